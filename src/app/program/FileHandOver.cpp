#include "app/program/FileHandOver.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <QtEndian>
#include <memory>

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
constexpr int kConnectMs = 1000;
constexpr int kAnswerMs = 5000;
constexpr int kPatienceMs = 10000;

// The name is this user's socket: a socket, and the user's own.
bool OwnSocket(const QString& name) {
  struct stat st {};
  return ::lstat(QFile::encodeName(name).constData(), &st) == 0 && S_ISSOCK(st.st_mode) &&
         st.st_uid == ::geteuid();
}

bool SameUser(qintptr descriptor) {
  struct ucred peer {};
  socklen_t length = sizeof peer;
  return ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 &&
         peer.uid == ::geteuid();
}

}  // namespace

FileHandOver::FileHandOver(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

QString FileHandOver::DefaultName() {
  // Qt gives the runtime folder only when it is the user's own, mode 0700.
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (runtime.isEmpty())
    return QString();
  return QDir(runtime).filePath(QString("veilstore-%1.socket").arg(::geteuid()));
}

bool FileHandOver::Serving() const {
  return server_ != nullptr && server_->isListening();
}

bool FileHandOver::HandOrServe(const QString& path) {
  if (name_.isEmpty())
    return false;
  QLockFile lock(name_ + ".lock");
  if (!lock.tryLock(kAnswerMs))
    return false;
  if (auto socket = Connect()) {
    // A running program: it takes the file, or this start goes on alone.
    return !path.isEmpty() && Hand(*socket, path);
  }
  Serve();
  return false;
}

std::unique_ptr<QLocalSocket> FileHandOver::Connect() const {
  if (!OwnSocket(name_))
    return nullptr;
  auto socket = std::make_unique<QLocalSocket>();
  socket->connectToServer(name_);
  if (!socket->waitForConnected(kConnectMs))
    return nullptr;
  return socket;
}

bool FileHandOver::Hand(QLocalSocket& socket, const QString& path) const {
  // The running program has another working folder.
  const QByteArray bytes = QFile::encodeName(QFileInfo(path).absoluteFilePath());
  if (bytes.size() > static_cast<qsizetype>(kMaxPath))
    return false;
  QByteArray message(kMagic, 4);
  const quint32 length = qToBigEndian(static_cast<quint32>(bytes.size()));
  message.append(reinterpret_cast<const char*>(&length), sizeof length);
  message.append(bytes);
  socket.write(message);
  if (!socket.waitForBytesWritten(kAnswerMs) || !socket.waitForReadyRead(kAnswerMs))
    return false;
  return socket.read(1) == QByteArray(1, kTaken);
}

void FileHandOver::Serve() {
  // Nothing answered: whatever socket is there was left behind.
  if (OwnSocket(name_))
    QLocalServer::removeServer(name_);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &FileHandOver::Accept);
  if (!server_->listen(name_)) {
    delete server_;
    server_ = nullptr;
  }
}

void FileHandOver::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!SameUser(socket->socketDescriptor())) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    // One message and no more is kept.
    socket->setReadBufferSize(kHeader + kMaxPath);
    QTimer::singleShot(kPatienceMs, socket, [socket] { socket->abort(); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Receive(*socket); });
  }
}

void FileHandOver::Receive(QLocalSocket& socket) {
  const QByteArray header = socket.peek(kHeader);
  if (!QByteArray(kMagic).startsWith(header.left(4))) {
    socket.abort();
    return;
  }
  if (header.size() < kHeader)
    return;
  const quint32 length = qFromBigEndian<quint32>(header.constData() + 4);
  if (length == 0 || length > kMaxPath) {
    socket.abort();
    return;
  }
  if (socket.bytesAvailable() < kHeader + static_cast<qint64>(length))
    return;
  socket.skip(kHeader);
  const QByteArray bytes = socket.read(length);
  const QString path = QFile::decodeName(bytes);
  if (bytes.contains('\0') || !QDir::isAbsolutePath(path)) {
    socket.abort();
    return;
  }
  socket.write(QByteArray(1, kTaken));
  socket.flush();
  socket.disconnectFromServer();
  emit FileHanded(path);
}

}  // namespace vls
