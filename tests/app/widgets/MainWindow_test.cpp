// The main window by objectName: start-up state, page and mode switches with
// their filters, masks and resets, the command-line file, window position,
// help and browsing.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include "app/WindowPosition.h"
#include "app/widgets/HelpWindow.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "app/widgets/StatusControls.h"
#include "cipher/Cipher.h"
#include "protect/widgets/Ask.h"
#include "support/WindowTestSupport.h"

using namespace vls;
using namespace vls::test;

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;
  QStringList messages_;

  static QStringList ShownNames(TFmainVLS& window) {
    auto* list = Find<QListView>(window, "FileListBox1");
    const QFileSystemModel& files = FileModelOf(window);
    QStringList names;
    const QModelIndex root = list->rootIndex();
    for (int row = 0; row < files.rowCount(root); ++row) {
      if (!list->isRowHidden(row))
        names << files.fileName(files.index(row, 0, root));
    }
    names.sort();
    return names;
  }

  // The descriptions of the default filter list, in order.
  static QStringList DefaultFilterEntries() {
    const QStringList parts = QString(DefaultFilterText).split('|');
    QStringList descriptions;
    for (int i = 0; i < parts.size(); i += 2)
      descriptions << parts[i];
    return descriptions;
  }

  static QStringList Entries(QComboBox* combo) {
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
      entries << combo->itemText(i);
    return entries;
  }

 private slots:
  void initTestCase() {
    qputenv("HOME", home_.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home_.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home_.path() + "/data").toUtf8());
    SetMessageSink([this](MessageKind, const QString& text) { messages_ << text; });
  }

  void startsReadyOnTheEncryptPage() {
    TFmainVLS window({});
    QCOMPARE(window.windowTitle(), QString("MORVANE Veilstore 32-bit v 3.3"));
    QCOMPARE(window.CurrentPage(), kPageCrypt);
    QVERIFY(Find<QRadioButton>(window, "RadioEncrypt")->isChecked());
    QVERIFY(Find<LedLamp>(window, "LedReady")->isOn());
    QVERIFY(!Find<LedLamp>(window, "LedBusy")->isOn());
    QVERIFY(!Find<QPushButton>(window, "Btn_Clear")->isEnabled());
    QVERIFY(!Find<QPushButton>(window, "Btn_Remove")->isEnabled());
    QVERIFY(Find<QPushButton>(window, "ButtOk")->isHidden());
    QVERIFY(Find<QWidget>(window, "ButKeyOff")->isHidden());
    QVERIFY(Find<QWidget>(window, "GaugeKey2")->isHidden());
    QCOMPARE(Find<BarGauge>(window, "Gauge1")->width(), 128);
    QCOMPARE(Find<QLabel>(window, "HintLb")->text(), QString());
    QCOMPARE(Find<QPushButton>(window, "Add")->toolTip(), QString("Add a file to the list"));
    QCOMPARE(Find<LedLamp>(window, "LedBusy")->toolTip(), QString("Red LED ON when BUSY"));
    QCOMPARE(Find<QTabWidget>(window, "TabNotebook1")->tabText(0), QString("En&crypt/Decrypt"));
    QCOMPARE(KeyTimerOf(window).interval(), 30000);
    QVERIFY(!KeyTimerOf(window).isActive());
    auto* combo = Find<QComboBox>(window, "FilterComboBox1");
    QCOMPARE(combo->count(), 8);
    QCOMPARE(Entries(combo), DefaultFilterEntries());
    QCOMPARE(combo->currentText(), QString("All Files (*.*)"));
    QCOMPARE(window.FileListMask(), QString("*.*"));
    QCOMPARE(WorkListOf(window).headerData(3, Qt::Horizontal).toString(),
             QString("Full Path Name"));
  }

  void pagesAndModesSetTheirFiltersAndResetEverything() {
    TFmainVLS window({});
    auto* tabs = Find<QTabWidget>(window, "TabNotebook1");
    auto* combo = Find<QComboBox>(window, "FilterComboBox1");

    // Rows, a key and OK from an earlier mode never survive a switch.
    window.FileDrag1Drop({QCoreApplication::applicationFilePath()});
    QCOMPARE(WorkListOf(window).Count(), 1);
    auto* ok = Find<QPushButton>(window, "ButtOk");
    QVERIFY(!ok->isHidden());
    KeyString.Set("armed key");
    tabs->setCurrentIndex(kPageViewer);
    QCOMPARE(WorkListOf(window).Count(), 0);
    QVERIFY(ok->isHidden());
    QVERIFY(KeyString.empty());
    QCOMPARE(combo->currentText(), QString("EnCrypted Pics(*.VLP)"));
    QCOMPARE(window.FileListMask(), QString("*.VLP"));
    QVERIFY(KeyTimerOf(window).isActive());
    QVERIFY(Find<QCheckBox>(window, "PreviewCheck")->isHidden());

    tabs->setCurrentIndex(kPageLauncher);
    QCOMPARE(window.FileListMask(), QString("*.VLD;*.VLP"));
    QCOMPARE(combo->currentText(), QString("EnCrypted Files(*.VLD;*.VLP)"));

    tabs->setCurrentIndex(kPageCrypt);
    QVERIFY(!KeyTimerOf(window).isActive());
    QCOMPARE(Entries(combo), DefaultFilterEntries());
    QCOMPARE(combo->currentText(), QString("All Files (*.*)"));
    QCOMPARE(window.FileListMask(), QString("*.*"));

    // Encrypt -> Wipe keeps the user's choice of filter entry.
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    QCOMPARE(window.FileListMask(), QString("*.JPG"));
    QVERIFY(Click(window, "RadioWipe"));
    QCOMPARE(window.FileListMask(), QString("*.JPG"));
    QCOMPARE(combo->currentText(), QString("JPEG (*.jpg)"));

    // Decrypt -> Encrypt brings the default list back with "*.*".
    QVERIFY(Click(window, "RadioDecrypt"));
    QCOMPARE(window.FileListMask(), QString("*.VLP;*.VLD"));
    QCOMPARE(combo->currentText(), QString("EnCrypted Files(*.VLP,*.VLD)"));
    QVERIFY(Click(window, "RadioEncrypt"));
    QCOMPARE(window.FileListMask(), QString("*.*"));

    QVERIFY(Click(window, "RadioSlide"));
    QCOMPARE(window.FileListMask(), QString("*.VLP"));
    QVERIFY(Find<QCheckBox>(window, "PreviewCheck")->isHidden());
  }

  void onlyARealChangeOfModeEmptiesTheList() {
    TFmainVLS window({});
    window.FileDrag1Drop({QCoreApplication::applicationFilePath()});
    QVERIFY(Click(window, "RadioEncrypt"));
    QCOMPARE(WorkListOf(window).Count(), 1);
    QVERIFY(Click(window, "RadioWipe"));
    QCOMPARE(WorkListOf(window).Count(), 0);
  }

  void thePreviewFollowsTheModes() {
    TFmainVLS window({});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* preview = Find<QGroupBox>(window, "Viewer1");
    QVERIFY(Click(window, "PreviewCheck"));
    QVERIFY(Find<QCheckBox>(window, "PreviewCheck")->isChecked());
    QVERIFY(preview->isVisible());
    QVERIFY(Click(window, "RadioDecrypt"));
    QVERIFY(!preview->isVisible());
    QVERIFY(Click(window, "RadioEncrypt"));
    QVERIFY(preview->isVisible());
    QVERIFY(Find<QCheckBox>(window, "PreviewCheck")->isVisible());
  }

  void masksMatchWithoutRegardToCase() {
    QTemporaryDir folder;
    for (const char* name : {"a.vlp", "b.VLP", "c.Vld", "d.txt", "noext"}) {
      QFile file(folder.filePath(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    TFmainVLS window({});
    window.SetFileListFolder(folder.path());
    // The model reads the folder on its own thread.
    QTRY_COMPARE_WITH_TIMEOUT(ShownNames(window),
                              QStringList({"a.vlp", "b.VLP", "c.Vld", "d.txt", "noext"}), 10000);
    ShowPage(window, kPageViewer);
    QTRY_COMPARE_WITH_TIMEOUT(ShownNames(window), QStringList({"a.vlp", "b.VLP"}), 10000);
    ShowPage(window, kPageLauncher);
    QTRY_COMPARE_WITH_TIMEOUT(ShownNames(window), QStringList({"a.vlp", "b.VLP", "c.Vld"}), 10000);
  }

  void theFirstActivationOpensTheCommandLineFileOnce() {
    // Missing files, so each road shows where it went: the viewer writes
    // "FILE DELETED", the launcher cannot open the container.
    struct Case {
      QStringList arguments;
      int page;
      QString status, opened;
    };
    const QList<Case> cases = {
        {{"/p/photo.vlp"}, kPageViewer, "FILE DELETED", ""},
        {{"/p/letter.VLD"}, kPageLauncher, "", "/p/letter.VLD"},
        {{"/p/a.vld", "/p/b.vlp"}, kPageLauncher, "", "/p/a.vld"},
        {{"/p/notes.txt"}, kPageCrypt, "", ""},
        {{}, kPageCrypt, "", ""},
    };
    for (const Case& c : cases) {
      KeyString.Set("armed key");
      messages_.clear();
      TFmainVLS window(c.arguments);
      window.FormActivate();
      QCOMPARE(StatusText(window), c.status);
      Find<QLabel>(window, "HintLb")->clear();
      window.FormActivate();  // coming back to the window repeats nothing
      QCOMPARE(StatusText(window), QString());
      QCOMPARE(window.CurrentPage(), c.page);
      if (c.opened.isEmpty()) {
        QVERIFY(messages_.isEmpty());
      } else {
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_[0].contains(c.opened), qPrintable(messages_[0]));
      }
      if (c.page == kPageViewer)
        QCOMPARE(window.FileListMask(), QString("*.VLP"));
      if (c.page == kPageLauncher)
        QCOMPARE(window.FileListMask(), QString("*.VLD"));
    }
    DropKey();
  }

  void keepsItsPositionInTheSettings() {
    QSettings& settings = ProgramSettings();
    // Each readable edge is taken; an unreadable one keeps that edge.
    const struct {
      const char *left, *top;
      QPoint position;
    } cases[] = {
        {"0x20", "40", {32, 40}},
        {"50", "not a number", {50, 0}},
        {"", "60", {0, 60}},
        {"x", "y", {0, 0}},
    };
    for (const auto& c : cases) {
      settings.setValue("FmainVLS/Left", c.left);
      settings.setValue("FmainVLS/Top", c.top);
      TFmainVLS window({});
      QCOMPARE(window.pos(), c.position);
    }
    {
      TFmainVLS window({});
      window.move(70, 80);
      window.close();
    }
    QCOMPARE(settings.value("FmainVLS/Left").toString(), QString("70"));
    QCOMPARE(settings.value("FmainVLS/Top").toString(), QString("80"));
  }

  void aMaximisedWindowComesBackWhereItWas() {
    ProgramSettings().setValue("FmainVLS/Left", "100");
    ProgramSettings().setValue("FmainVLS/Top", "120");
    {
      TFmainVLS window({});
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      QCOMPARE(window.frameGeometry().topLeft(), QPoint(100, 120));
      window.showMaximized();
      QTRY_VERIFY(window.isMaximized());
      window.close();
    }
    QCOMPARE(ProgramSettings().value("FmainVLS/Left").toString(), QString("100"));
    QCOMPARE(ProgramSettings().value("FmainVLS/Top").toString(), QString("120"));
    // It comes back maximised; its normal placement is where it was.
    TFmainVLS window({});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.isMaximized());
    window.showNormal();
    QTRY_COMPARE(window.frameGeometry().topLeft(), QPoint(100, 120));
    window.close();
    ProgramSettings().remove("FmainVLS/Maximized");
  }

  void helpOpensTheTopicOfEachContext() {
    QCOMPARE(HelpTopicOf(1000), QString("index.html"));
    QCOMPARE(HelpTopicOf(1080), QString("viewer.html"));
    QCOMPARE(HelpTopicOf(1090), QString("launcher.html"));
    TFmainVLS window({});
    messages_.clear();
    ShowPage(window, kPageViewer);
    QVERIFY(Click(window, "View_Butthelp"));
    if (HelpFolder().isEmpty()) {
      QCOMPARE(messages_.size(), 1);
    } else {
      QVERIFY(messages_.isEmpty());
      QWidget* help = nullptr;
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == "HelpWindow" && top->isVisible())
          help = top;
      }
      QVERIFY(help != nullptr);
      help->close();
    }
  }

  void anArmedKeyDrainsOnTheWindowAndEndsOnPutTheKeyOff() {
    TFmainVLS window({});
    window.show();
    ShowPage(window, kPageLauncher);
    KeyString.Set("armed key");
    window.keys().ArmLauncher();
    auto* gauge = Find<QProgressBar>(window, "GaugeKey2");
    QVERIFY(Find<QToolButton>(window, "ButKeyOff2")->isVisible());
    QCOMPARE(gauge->value(), 6);
    window.keys().Timer1Timer();
    window.keys().Timer1Timer();
    QCOMPARE(gauge->value(), 4);
    QVERIFY(!KeyString.empty());
    Find<QLabel>(window, "HintLb")->setText("picture.jpg 640x480 100 bytes");
    QVERIFY(Click(window, "ButKeyOff2"));
    QVERIFY(KeyString.empty());
    QVERIFY(Find<QToolButton>(window, "ButKeyOff2")->isHidden());
    QVERIFY(Find<QProgressBar>(window, "GaugeKey")->isHidden());
    QCOMPARE(StatusText(window), QString());
    QVERIFY(KeyTimerOf(window).isActive());
  }

  // A wipe asks, names each file on the status line, moves and colours the
  // gauge and reports what it could not wipe, all through the window.
  void theFileRoutinesReachTheWindowThroughItsFeedback() {
    QTemporaryDir folder;
    const QString plain = folder.filePath("report\tdoc.txt");  // the tab shows as "\t"
    QVERIFY(WriteBytes(plain, "old words"));
    TFmainVLS window({});
    QVERIFY(Click(window, "RadioWipe"));
    auto* gauge = Find<BarGauge>(window, "Gauge1");
    QStringList seen;  // the status line each time the gauge moves
    connect(gauge, &QProgressBar::valueChanged, gauge,
            [&](int value) { seen << QString("%1 %2").arg(value).arg(StatusText(window)); });
    window.FileDrag1Drop({plain, folder.filePath("vanished.txt")});

    TAsk::SetNextAnswer(kAnswerNo);
    QVERIFY(Click(window, "ButtOk"));
    QCOMPARE(AskQuestion, QString("DELETE THE FILES ?"));
    QVERIFY(QFile::exists(plain));
    QVERIFY(seen.isEmpty());

    messages_.clear();
    TAsk::SetNextAnswer(kAnswerYes);
    QVERIFY(Click(window, "ButtOk"));
    QVERIFY(!QFile::exists(plain));
    QVERIFY2(seen.contains("100 report\\tdoc.txt"), qPrintable(seen.join('|')));
    QCOMPARE(gauge->value(), 0);
    QCOMPARE(gauge->barColor(), QColor(Qt::red));
    QCOMPARE(messages_.size(), 2);
    QVERIFY2(messages_[0].startsWith("These files could not be wiped:") &&
                 messages_[0].contains("vanished.txt"),
             qPrintable(messages_[0]));
  }

  void upOneLevelStopsAtTheTop() {
    TFmainVLS window({});
    auto* tree = Find<QTreeView>(window, "PTShellTree1");
    const QFileSystemModel& folders = FolderModelOf(window);
    tree->setCurrentIndex(folders.index("/"));
    QVERIFY(Click(window, "UpOneLevelBtn"));
    QCOMPARE(folders.filePath(tree->currentIndex()), QString("/"));
    tree->setCurrentIndex(folders.index(QDir::tempPath()));
    QVERIFY(Click(window, "UpOneLevelBtn"));
    QCOMPARE(window.FileListFolder(), QString("/"));
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindow_test.moc"
