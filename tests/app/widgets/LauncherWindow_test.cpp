// The secure launcher through the real window, in a private desktop
// environment: a recording script is the default program for two types, a
// third type has no program at all. Yes, No, no program, a wrong key, a
// picture container and drops.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "app/WorkList.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "cipher/Cipher.h"
#include "protect/Container.h"
#include "protect/ProtectState.h"
#include "protect/widgets/Ask.h"
#include "support/TestSupport.h"
#include "support/WindowTestSupport.h"
#include "viewing/widgets/PasswordDialogs.h"

using namespace vls;
using namespace vls::test;

namespace {

const QString kKey = "open sesame";
const QString kReminder = "Dont't forget to re-encrypt the file.";

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Entries(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

}  // namespace

class LauncherWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir xdg_;
  QStringList messages_;
  QString record_;  // what the recording program was given, one path a line

  static void OpenLauncher(TFmainVLS& window, const QString& folder) {
    ShowPage(window, kPageLauncher);
    QVERIFY(
        ListFolder(window, folder, QDir(folder).entryList({"*.vld", "*.vlp"}, QDir::Files).size()));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
  }

 private slots:
  void initTestCase() {
    const QDir root(xdg_.path());
    for (const char* sub :
         {"home", "config", "data/mime", "data/applications", "dirs", "runtime"}) {
      QVERIFY(root.mkpath(sub));
    }
    qputenv("HOME", root.filePath("home").toUtf8());
    qputenv("XDG_CONFIG_HOME", root.filePath("config").toUtf8());
    qputenv("XDG_DATA_HOME", root.filePath("data").toUtf8());
    qputenv("XDG_DATA_DIRS", root.filePath("dirs").toUtf8());
    qputenv("XDG_RUNTIME_DIR", root.filePath("runtime").toUtf8());
    qputenv("GIO_USE_VFS", "local");

    // Three types known by name alone (the files GIO reads without a cache).
    QVERIFY(WriteBytes(root.filePath("data/mime/globs2"),
                       "50:application/x-vls-letter:*.letter\n"
                       "50:application/x-vls-orphan:*.orphan\n"
                       "50:image/png:*.png\n"));
    // The recording program, the default for letters and PNG pictures.
    record_ = root.filePath("record.txt");
    const QString script = root.filePath("recorder.sh");
    QVERIFY(WriteBytes(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + record_.toUtf8() + "'\n"));
    QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(WriteBytes(root.filePath("data/applications/vls-recorder.desktop"),
                       "[Desktop Entry]\nType=Application\nName=Recorder\nExec=" + script.toUtf8() +
                           " %f\nMimeType=application/x-vls-letter;image/png;\n"));
    QVERIFY(WriteBytes(root.filePath("config/mimeapps.list"),
                       "[Default Applications]\n"
                       "application/x-vls-letter=vls-recorder.desktop\n"
                       "image/png=vls-recorder.desktop\n"));
    SetMessageSink([this](MessageKind, const QString& text) { messages_ << text; });
  }

  void init() {
    messages_.clear();
    QFile::remove(record_);
    ResetProtectState();
    DropKey();
    ClearNextPasswordAnswer();
    TAsk::ClearNextAnswer();
    AskQuestion.clear();
  }

  void yesOpensTheRestoredFileAndDeletesTheContainer() {
    QTemporaryDir folder;
    const QString container = MakeContainer(folder.path(), "report.letter", "dear ann", kKey);
    const QString restored = folder.filePath("report.letter");
    TFmainVLS window({});
    OpenLauncher(window, folder.path());
    SetNextPasswordAnswer(kKey);
    TAsk::SetNextAnswer(kAnswerYes);
    QVERIFY(ClickFile(window, container));

    QCOMPARE(AskQuestion, "Open " + restored + " with Recorder");  // its entry's name
    QTRY_COMPARE(ReadAll(record_), restored.toUtf8() + "\n");
    QCOMPARE(ReadAll(restored), QByteArray("dear ann"));
    QVERIFY(!QFile::exists(container));
    QCOMPARE(messages_, QStringList(kReminder));
    // The key stays armed on both pages.
    QVERIFY(!KeyString.empty());
    QVERIFY(Find<QToolButton>(window, "ButKeyOff2")->isVisible());
    QCOMPARE(Find<QProgressBar>(window, "GaugeKey2")->value(), 6);
    QVERIFY(KeyTimerOf(window).isActive());
    QVERIFY(Find<QListView>(window, "FileListBox1")->isEnabled());
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void noWipesTheRestoredFileAndKeepsTheContainer() {
    QTemporaryDir folder;
    const QString container = MakeContainer(folder.path(), "report.letter", "dear ann", kKey);
    TFmainVLS window({});
    OpenLauncher(window, folder.path());
    SetNextPasswordAnswer(kKey);
    TAsk::SetNextAnswer(kAnswerNo);
    QVERIFY(ClickFile(window, container));
    QVERIFY(AskQuestion.startsWith("Open "));
    QCOMPARE(Entries(folder.path()), QStringList("report.vld"));
    QVERIFY(messages_.isEmpty());
    QVERIFY(!QFile::exists(record_));

    // The armed key serves the next launch without a dialog (it would cancel).
    SetNextPasswordCancel();
    TAsk::SetNextAnswer(kAnswerCancel);
    AskQuestion.clear();
    QVERIFY(ClickFile(window, container));
    QVERIFY(!AskQuestion.isEmpty());
    QCOMPARE(Entries(folder.path()), QStringList("report.vld"));
  }

  // With no program to open it, a restored file stays only when the user
  // says so; otherwise it is wiped and the container kept.
  void aTypeWithNoProgramIsKeptOnlyWhenTheUserSaysSo() {
    QTemporaryDir folder;
    const QString kept = MakeContainer(folder.path(), "data.orphan", "bytes", kKey);
    const QString wiped = MakeContainer(folder.path(), "other.orphan", "bytes", kKey);
    TFmainVLS window({});
    OpenLauncher(window, folder.path());
    SetNextPasswordAnswer(kKey);
    TAsk::SetNextAnswer(kAnswerYes);
    QVERIFY(ClickFile(window, kept));
    QCOMPARE(AskQuestion, QString("No program is associated with data.orphan. Keep it?"));
    QCOMPARE(StatusText(window), QString("No program is associated with data.orphan"));
    TAsk::SetNextAnswer(kAnswerNo);
    QVERIFY(ClickFile(window, wiped));
    QCOMPARE(Entries(folder.path()), QStringList({"data.orphan", "data.vld", "other.vld"}));
    QVERIFY(messages_.isEmpty());
  }

  void aWrongKeyHidesBothKeyIndicatorsAndStopsTheTimer() {
    QTemporaryDir folder;
    const QString container = MakeContainer(folder.path(), "report.letter", "dear ann", kKey);
    TFmainVLS window({});
    OpenLauncher(window, folder.path());
    window.keys().ArmLauncher();  // as after an earlier launch with another key
    QVERIFY(!Find<QToolButton>(window, "ButKeyOff")->isHidden());
    SetNextPasswordAnswer("some other key");
    QVERIFY(ClickFile(window, container));
    QCOMPARE(messages_, QStringList("BAD KEY! " + container));
    QVERIFY(KeyString.empty());
    for (const char* name : {"ButKeyOff", "GaugeKey", "ButKeyOff2", "GaugeKey2"}) {
      QVERIFY2(Find<QWidget>(window, name)->isHidden(), name);
    }
    QVERIFY(!KeyTimerOf(window).isActive());
    QCOMPARE(Entries(folder.path()), QStringList("report.vld"));
    QVERIFY(Find<QListView>(window, "FileListBox1")->isEnabled());
  }

  void picturesAreLaunchedAndDropsTakeOnlyDataContainers() {
    QTemporaryDir folder;
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(folder.filePath("dot.png")));
    const QByteArray png = ReadAll(folder.filePath("dot.png"));
    const QString picture = MakeContainer(folder.path(), "dot.png", png, kKey);
    const QString letter = MakeContainer(folder.path(), "report.letter", "dear ann", kKey);
    TFmainVLS window({});
    OpenLauncher(window, folder.path());

    // A drop looks at ".VLD" files only.
    SetNextPasswordAnswer(kKey);
    TAsk::SetNextAnswer(kAnswerNo);
    window.FileDrag1Drop({picture, letter});
    QCOMPARE(AskQuestion, "Open " + folder.filePath("report.letter") + " with Recorder");
    QCOMPARE(Entries(folder.path()), QStringList({"dot.vlp", "report.vld"}));

    // A click opens a picture container like any other.
    TAsk::SetNextAnswer(kAnswerYes);
    QVERIFY(ClickFile(window, picture));
    QTRY_COMPARE(ReadAll(record_), folder.filePath("dot.png").toUtf8() + "\n");
    QCOMPARE(ReadAll(folder.filePath("dot.png")), png);
    QCOMPARE(Entries(folder.path()), QStringList({"dot.png", "report.vld"}));
    QCOMPARE(messages_, QStringList(kReminder));
  }
};

QTEST_MAIN(LauncherWindowTest)
#include "LauncherWindow_test.moc"
