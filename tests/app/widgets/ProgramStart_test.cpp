// The desktop program as started from a shell or a file manager: --help and
// --version answer without a display and end.

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include "support/TestSupport.h"

class ProgramStartTest : public QObject {
  Q_OBJECT

 private:
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
};

QTEST_MAIN(ProgramStartTest)
#include "ProgramStart_test.moc"
