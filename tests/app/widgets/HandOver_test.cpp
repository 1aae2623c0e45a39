// Files handed to the running window: the socket between two starts (a
// stale one replaced, a live one never taken over, bad messages refused)
// and the window opening a handed file only once it waits for its user,
// through its page switch.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include "app/program/FileHandOver.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "cipher/Cipher.h"
#include "support/WindowTestSupport.h"
#include "viewing/widgets/PasswordDialogs.h"

using namespace vls;
using namespace vls::test;

namespace {

// Runs the event loop as the program does, so it sleeps when idle.
void RunLoop(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

QByteArray Message(const QByteArray& magic, quint32 length, const QByteArray& bytes) {
  const quint32 big = qToBigEndian(length);
  return magic + QByteArray(reinterpret_cast<const char*>(&big), sizeof big) + bytes;
}

// A socket file nobody listens on, as a program killed while serving leaves.
bool LeaveStaleSocket(const QString& name) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray path = QFile::encodeName(name);
  std::memcpy(address.sun_path, path.constData(), path.size());
  const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return bound;
}

}  // namespace

class HandOverTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;
  QStringList messages_;

 private slots:
  void initTestCase() {
    UsePrivateHome(home_.path());
    SetMessageSink([this](MessageKind, const QString& text) { messages_ << text; });
  }

  void theSocketIsTheUsersAndAStaleOneIsReplaced() {
    const QString name = FileHandOver::DefaultName();
    QCOMPARE(name, home_.path() + QString("/run/veilstore-%1.socket").arg(::geteuid()));
    QVERIFY(LeaveStaleSocket(name));
    FileHandOver first;
    QVERIFY(!first.HandOrServe(QString()));
    QVERIFY(first.Serving());
    // A start without a file while the first serves leaves it serving.
    FileHandOver second;
    QVERIFY(!second.HandOrServe(QString()));
    QVERIFY(!second.Serving());
    QLocalSocket probe;
    probe.connectToServer(name);
    QVERIFY(probe.waitForConnected(1000));
    // Without a runtime folder of its own the program hands nothing over.
    QVERIFY(!FileHandOver(QString()).HandOrServe("/x.vlp"));
  }

  void theRunningSideTakesOnlyAWholeAbsolutePath() {
    QTemporaryDir run;
    const QString name = run.filePath("s");
    FileHandOver serving(name);
    serving.HandOrServe(QString());
    QSignalSpy handed(&serving, &FileHandOver::FileHanded);
    const struct {
      const char* label;
      QByteArray message;
      bool taken;
    } cases[] = {
        {"garbage", "HELLO, WORLD", false},
        {"relative", Message("VLS1", 5, "a.vlp"), false},
        {"empty", Message("VLS1", 0, ""), false},
        {"too long", Message("VLS1", 5000, QByteArray(5000, 'a')), false},
        {"a NUL inside", Message("VLS1", 8, QByteArray("/a\0b.vlp", 8)), false},
        {"whole", Message("VLS1", 12, "/p/photo.vlp"), true},
    };
    for (const auto& c : cases) {
      QLocalSocket client;
      client.connectToServer(name);
      QVERIFY(client.waitForConnected(1000));
      client.write(c.message);
      QTRY_VERIFY2(client.state() == QLocalSocket::UnconnectedState, c.label);
      QCOMPARE(client.readAll() == "K", c.taken);
    }
    QCOMPARE(handed.count(), 1);
    QCOMPARE(handed[0][0].toString(), QString("/p/photo.vlp"));
  }

  void aHandedFileOpensOnceTheWindowWaitsAndSwitchesPageProperly() {
    const struct {
      int page;  // shown when the file comes
      QString file;
      int opened_on;
      bool key_kept;
    } cases[] = {
        {kPageLauncher, "/p/missing.vlp", kPageViewer, false},  // the page switch drops it
        {kPageViewer, "/p/missing.VLP", kPageViewer, true},
        {kPageCrypt, "/p/missing.vld", kPageLauncher, false},
        {kPageViewer, "/p/notes.txt", kPageViewer, true},  // left alone
    };
    for (const auto& c : cases) {
      messages_.clear();
      TFmainVLS window({});
      window.show();
      ShowPage(window, c.page);
      KeyString.Set("armed key");
      SetNextPasswordCancel();  // the launcher asks, having no key after the switch
      // Handed while a dialog is up: nothing happens until it is gone.
      QDialog dialog(&window);
      int page_under_dialog = -1;
      QTimer::singleShot(0, &dialog, [&] { window.OpenHandedFile(c.file); });
      QTimer::singleShot(200, &dialog, [&] {
        page_under_dialog = window.CurrentPage();
        dialog.accept();
      });
      dialog.exec();
      QCOMPARE(page_under_dialog, c.page);
      QCOMPARE(window.CurrentViewerFile(), QString());
      RunLoop(200);
      QCOMPARE(window.CurrentPage(), c.opened_on);
      QCOMPARE(!KeyString.empty(), c.key_kept);
      if (c.opened_on == kPageViewer && c.file.endsWith("VLP", Qt::CaseInsensitive)) {
        QCOMPARE(window.CurrentViewerFile(), c.file);
        QCOMPARE(StatusText(window), QString("FILE DELETED"));
      }
      DropKey();
      ClearNextPasswordAnswer();
    }
  }
};

QTEST_MAIN(HandOverTest)
#include "HandOver_test.moc"
