#include "app/program/FileHandOver.h"

#include <unistd.h>

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <QtEndian>
#include <chrono>

namespace vls {
namespace {

// A message: the magic, the path's length (32 bits, big-endian), the path's
// bytes as the file system names it. The answer: one byte, kTaken.
constexpr char kMagic[] = "VLS1";
constexpr int kHeader = 8;
constexpr quint32 kMaxPath = 4096;
constexpr char kTaken = 'K';
// How long a start waits on the running program, and the running program
// on a start that connected and went quiet.
constexpr std::chrono::milliseconds kAnswerTime{5000};
constexpr int kPatienceMs = 10000;

std::string Encoded(const QString& name) {
  return QFile::encodeName(name).toStdString();
}

}  // namespace

// One start talking to the running program: its bytes are gathered on the
// event loop, a whole message at most, until the message is complete, wrong,
// or the start has been quiet too long; then it ends and deletes itself.
class FileHandOver::Conversation : public QObject {
 public:
  Conversation(UniqueFd socket, FileHandOver& owner)
      : QObject(&owner),
        owner_(owner),
        socket_(std::move(socket)),
        readable_(socket_.get(), QSocketNotifier::Read) {
    connect(&readable_, &QSocketNotifier::activated, this, &Conversation::Receive);
    QTimer::singleShot(kPatienceMs, this, &Conversation::End);
  }

 private:
  void End() {
    readable_.setEnabled(false);
    deleteLater();
  }

  void Receive() {
    char chunk[kHeader + kMaxPath];
    const auto got = ReceiveLocal(socket_.get(), {chunk, sizeof chunk - bytes_.size()});
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
      return;
    if (got <= 0)
      return End();  // the start left, or the socket failed
    bytes_.append(chunk, got);
    if (!QByteArray(kMagic).startsWith(bytes_.left(4)))
      return End();
    if (bytes_.size() < kHeader)
      return;
    const quint32 length = qFromBigEndian<quint32>(bytes_.constData() + 4);
    if (length == 0 || length > kMaxPath)
      return End();
    if (bytes_.size() < kHeader + static_cast<qsizetype>(length))
      return;
    const QByteArray path_bytes = bytes_.mid(kHeader, length);
    const QString path = QFile::decodeName(path_bytes);
    if (path_bytes.contains('\0') || !QDir::isAbsolutePath(path))
      return End();
    SendAllLocal(socket_.get(), {&kTaken, 1});
    End();
    emit owner_.FileHanded(path);
  }

  FileHandOver& owner_;
  UniqueFd socket_;
  QSocketNotifier readable_;
  QByteArray bytes_;  // never more than one message
};

FileHandOver::FileHandOver(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

FileHandOver::~FileHandOver() {
  delete incoming_;  // before the listener it watches closes
}

QString FileHandOver::DefaultName() {
  // Qt gives the runtime folder only when it is the user's own, mode 0700.
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (runtime.isEmpty())
    return QString();
  return QDir(runtime).filePath(QString("veilstore-%1.socket").arg(::geteuid()));
}

bool FileHandOver::Serving() const {
  return listener_.valid();
}

bool FileHandOver::HandOrServe(const QString& path) {
  if (name_.isEmpty())
    return false;
  QLockFile lock(name_ + ".lock");
  if (!lock.tryLock(static_cast<int>(kAnswerTime.count())))
    return false;
  if (const UniqueFd socket = ConnectLocal(Encoded(name_), kAnswerTime); socket.valid()) {
    // A running program: it takes the file, or this start goes on alone.
    return !path.isEmpty() && Hand(socket.get(), path);
  }
  Serve();
  return false;
}

bool FileHandOver::Hand(int socket, const QString& path) const {
  // The running program has another working folder.
  const QByteArray bytes = QFile::encodeName(QFileInfo(path).absoluteFilePath());
  if (bytes.size() > static_cast<qsizetype>(kMaxPath))
    return false;
  QByteArray message(kMagic, 4);
  const quint32 length = qToBigEndian(static_cast<quint32>(bytes.size()));
  message.append(reinterpret_cast<const char*>(&length), sizeof length);
  message.append(bytes);
  char answer = 0;
  return SendAllLocal(socket, {message.constData(), static_cast<std::size_t>(message.size())}) &&
         ReceiveLocal(socket, {&answer, 1}) == 1 && answer == kTaken;
}

void FileHandOver::Serve() {
  // Nothing answered: a socket of the user's under the name was left behind.
  listener_ = LocalListener::Listen(Encoded(name_));
  if (!listener_.valid())
    return;
  incoming_ = new QSocketNotifier(listener_.get(), QSocketNotifier::Read, this);
  connect(incoming_, &QSocketNotifier::activated, this, &FileHandOver::Accept);
}

void FileHandOver::Accept() {
  // Another user's connection is closed on the way.
  for (UniqueFd socket = AcceptSameUser(listener_.get()); socket.valid();
       socket = AcceptSameUser(listener_.get()))
    new Conversation(std::move(socket), *this);
}

}  // namespace vls
