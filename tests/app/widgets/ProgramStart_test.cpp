// The desktop program as started from a shell or a file manager: --help and
// --version answer without a display and end; a second start with a file
// hands it to the running window and ends.

#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/program/FileHandOver.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "support/WindowTestSupport.h"
#include "viewing/widgets/PasswordDialogs.h"

using namespace vls;
using namespace vls::test;

class ProgramStartTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;
  QStringList messages_;

  struct Run {
    int exit_code = -1;
    QString out, err;
  };

  // Runs a program of the build with no display at all: a window toolkit
  // started by it would fail.
  static Run Start(const QString& program, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.insert("QT_QPA_PLATFORM", "no-such-platform");
    process.setProcessEnvironment(environment);
    process.start(VLS_BIN_DIR "/" + program, arguments);
    if (!process.waitForFinished(20000))
      process.kill();
    Run run;
    run.exit_code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
  }

 private slots:
  void initTestCase() {
    UsePrivateHome(home_.path());
    SetMessageSink([this](MessageKind, const QString& text) { messages_ << text; });
  }

  void helpAndVersionPrintAndEndWithoutAWindow() {
    const QString version = Start("veilstore-cli", {"--version"}).out.section(' ', 1);
    QVERIFY(!version.trimmed().isEmpty());
    const struct {
      QStringList arguments;
      QString starts;
    } cases[] = {
        {{"--help"}, "Usage: veilstore [OPTION]... [FILE]\n"},
        {{"-h"}, "Usage: veilstore"},
        {{"photo.vlp", "--help"}, "Usage: veilstore"},
        {{"--version"}, "veilstore " + version},
        {{"-v"}, "veilstore " + version},
        {{"-platform", "xcb", "-reverse", "--version"}, "veilstore " + version},
    };
    for (const auto& c : cases) {
      const Run run = Start("veilstore", c.arguments);
      QVERIFY2(run.exit_code == 0, qPrintable(c.arguments.join(' ') + ": " + run.err));
      QVERIFY2(run.out.startsWith(c.starts), qPrintable(run.out));
      QCOMPARE(run.err, QString());
    }
    // Without them the program does start its window, which has no display here.
    QVERIFY(Start("veilstore", {"-reverse"}).exit_code != 0);
  }

  void aSecondStartHandsItsFileToTheRunningWindow() {
    QTemporaryDir folder;
    const QString container =
        MakeContainer(folder.path(), "sea.bmp", PictureBytes(), "open sesame");

    TFmainVLS window({});
    window.show();
    FileHandOver serving;
    QVERIFY(!serving.HandOrServe(QString()));
    QVERIFY(serving.Serving());
    connect(&serving, &FileHandOver::FileHanded, &window, &TFmainVLS::OpenHandedFile);
    SetNextPasswordAnswer("open sesame");

    // Named relative to where the second start runs.
    QProcess second;
    second.setWorkingDirectory(folder.path());
    second.start(VLS_BIN_DIR "/veilstore", {"-platform", "offscreen", "sea.vlp"});
    QSignalSpy finished(&second, &QProcess::finished);

    QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 20000);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    // The window opens it once its event loop waits for the user.
    QEventLoop waiting;
    QTimer::singleShot(500, &waiting, &QEventLoop::quit);
    waiting.exec();
    QCOMPARE(window.CurrentViewerFile(), container);
    QCOMPARE(window.CurrentPage(), kPageViewer);
    QCOMPARE(window.FileListFolder(), folder.path());
    QVERIFY2(StatusText(window).startsWith("sea.bmp 40x30"), qPrintable(StatusText(window)));
    QVERIFY(messages_.isEmpty());
  }
};

QTEST_MAIN(ProgramStartTest)
#include "ProgramStart_test.moc"
