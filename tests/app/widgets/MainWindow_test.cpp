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
#include "app/widgets/StatusBar.h"
#include "app/widgets/StatusControls.h"
#include "app/widgets/WindowFeedback.h"
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
    QStringList names;
    const QModelIndex root = Find<QListView>(window, "FileListBox1")->rootIndex();
    for (int row = 0; row < FileModelOf(window).rowCount(root); ++row) {
      const QModelIndex index = FileModelOf(window).index(row, 0, root);
      if (!Find<QListView>(window, "FileListBox1")->isRowHidden(row))
        names << FileModelOf(window).fileName(index);
    }
    names.sort();
    return names;
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
    QCOMPARE(combo->currentText(), QString("All Files (*.*)"));
    QCOMPARE(window.FileListMask(), QString("*.*"));
    auto* headers = &WorkListOf(window);
    QCOMPARE(headers->headerData(3, Qt::Horizontal).toString(), QString("Full Path Name"));
  }

  void pagesAndModesSetTheirFiltersAndResetEverything() {
    TFmainVLS window({});
    auto* tabs = Find<QTabWidget>(window, "TabNotebook1");
    auto* combo = Find<QComboBox>(window, "FilterComboBox1");

    // Rows, a key and OK from an earlier mode never survive a switch.
    WorkListOf(window).AddEntry(QCoreApplication::applicationFilePath(), WorkMode::Encrypt);
    Find<QPushButton>(window, "ButtOk")->show();
    KeyString.Set("armed key");
    tabs->setCurrentIndex(kPageViewer);
    QCOMPARE(WorkListOf(window).Count(), 0);
    QVERIFY(Find<QPushButton>(window, "ButtOk")->isHidden());
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
    QCOMPARE(combo->currentText(), QString("All Files (*.*)"));
    QCOMPARE(window.FileListMask(), QString("*.*"));

    // Encrypt -> Wipe keeps the user's choice of filter entry.
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    QCOMPARE(window.FileListMask(), QString("*.JPG"));
    QTest::mouseClick(Find<QRadioButton>(window, "RadioWipe"), Qt::LeftButton);
    QCOMPARE(window.FileListMask(), QString("*.JPG"));
    QCOMPARE(combo->currentText(), QString("JPEG (*.jpg)"));

    // Decrypt -> Encrypt brings the default list back with "*.*".
    QTest::mouseClick(Find<QRadioButton>(window, "RadioDecrypt"), Qt::LeftButton);
    QCOMPARE(window.FileListMask(), QString("*.VLP;*.VLD"));
    QCOMPARE(combo->currentText(), QString("EnCrypted Files(*.VLP,*.VLD)"));
    QTest::mouseClick(Find<QRadioButton>(window, "RadioEncrypt"), Qt::LeftButton);
    QCOMPARE(window.FileListMask(), QString("*.*"));

    QTest::mouseClick(Find<QRadioButton>(window, "RadioSlide"), Qt::LeftButton);
    QCOMPARE(window.FileListMask(), QString("*.VLP"));
    QVERIFY(Find<QCheckBox>(window, "PreviewCheck")->isHidden());
  }

  void onlyARealChangeOfModeEmptiesTheList() {
    TFmainVLS window({});
    WorkListOf(window).AddEntry(QCoreApplication::applicationFilePath(), WorkMode::Encrypt);
    QTest::mouseClick(Find<QRadioButton>(window, "RadioEncrypt"), Qt::LeftButton);
    QCOMPARE(WorkListOf(window).Count(), 1);
    QTest::mouseClick(Find<QRadioButton>(window, "RadioWipe"), Qt::LeftButton);
    QCOMPARE(WorkListOf(window).Count(), 0);
  }

  void thePreviewFollowsTheModes() {
    TFmainVLS window({});
    window.show();
    Find<QCheckBox>(window, "PreviewCheck")->setChecked(true);
    QVERIFY(Find<QGroupBox>(window, "Viewer1")->isVisible());
    QTest::mouseClick(Find<QRadioButton>(window, "RadioDecrypt"), Qt::LeftButton);
    QVERIFY(!Find<QGroupBox>(window, "Viewer1")->isVisible());
    QTest::mouseClick(Find<QRadioButton>(window, "RadioEncrypt"), Qt::LeftButton);
    QVERIFY(Find<QGroupBox>(window, "Viewer1")->isVisible());
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
    Find<QTabWidget>(window, "TabNotebook1")->setCurrentIndex(kPageViewer);
    QTRY_COMPARE_WITH_TIMEOUT(ShownNames(window), QStringList({"a.vlp", "b.VLP"}), 10000);
    Find<QTabWidget>(window, "TabNotebook1")->setCurrentIndex(kPageLauncher);
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
      QCOMPARE(Find<QLabel>(window, "HintLb")->text(), c.status);
      Find<QLabel>(window, "HintLb")->clear();
      window.FormActivate();  // coming back to the window repeats nothing
      QCOMPARE(Find<QLabel>(window, "HintLb")->text(), QString());
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
    for (int start = 0; start < 2; ++start) {
      TFmainVLS window({});
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      QCOMPARE(window.frameGeometry().topLeft(), QPoint(100, 120));
      window.showMaximized();
      QTRY_VERIFY(window.isMaximized());
      window.close();
    }
  }

  void helpOpensTheTopicOfEachContext() {
    QCOMPARE(HelpTopicOf(1000), QString("index.html"));
    QCOMPARE(HelpTopicOf(1080), QString("viewer.html"));
    QCOMPARE(HelpTopicOf(1090), QString("launcher.html"));
    TFmainVLS window({});
    messages_.clear();
    QTest::mouseClick(Find<QPushButton>(window, "View_Butthelp"), Qt::LeftButton);
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
    Find<QTabWidget>(window, "TabNotebook1")->setCurrentIndex(kPageLauncher);
    KeyString.Set("armed key");
    window.keys().ArmLauncher();
    QVERIFY(Find<QToolButton>(window, "ButKeyOff2")->isVisible());
    QCOMPARE(Find<QProgressBar>(window, "GaugeKey2")->value(), 6);
    window.keys().Timer1Timer();
    window.keys().Timer1Timer();
    QCOMPARE(Find<QProgressBar>(window, "GaugeKey2")->value(), 4);
    QVERIFY(!KeyString.empty());
    Find<QLabel>(window, "HintLb")->setText("picture.jpg 640x480 100 bytes");
    QTest::mouseClick(Find<QToolButton>(window, "ButKeyOff2"), Qt::LeftButton);
    QVERIFY(KeyString.empty());
    QVERIFY(Find<QToolButton>(window, "ButKeyOff2")->isHidden());
    QVERIFY(Find<QProgressBar>(window, "GaugeKey")->isHidden());
    QCOMPARE(Find<QLabel>(window, "HintLb")->text(), QString());
    QVERIFY(KeyTimerOf(window).isActive());
  }

  void theFileRoutinesReachTheWindowThroughItsFeedback() {
    TFmainVLS window({});
    WindowFeedback feedback(*Find<StatusBar>(window, "StatusPn"), window);
    feedback.SetGaugeColor(GaugeColor::Red);
    feedback.SetGaugePosition(35);
    QCOMPARE(Find<BarGauge>(window, "Gauge1")->barColor(), QColor(Qt::red));
    QCOMPARE(Find<BarGauge>(window, "Gauge1")->value(), 35);
    feedback.SetStatus("report.doc");
    QCOMPARE(Find<QLabel>(window, "HintLb")->text(), QString("report.doc"));
    TAsk::SetNextAnswer(kAnswerNo);
    QCOMPARE(feedback.Ask("letter.doc exists. Replace?"), kAnswerNo);
    messages_.clear();
    feedback.ShowError("Error during encryption of /x");
    QCOMPARE(messages_, QStringList{"Error during encryption of /x"});
  }

  void upOneLevelStopsAtTheTop() {
    TFmainVLS window({});
    Find<QTreeView>(window, "PTShellTree1")->setCurrentIndex(FolderModelOf(window).index("/"));
    Find<QToolButton>(window, "UpOneLevelBtn")->click();
    QCOMPARE(
        FolderModelOf(window).filePath(Find<QTreeView>(window, "PTShellTree1")->currentIndex()),
        QString("/"));
    Find<QTreeView>(window, "PTShellTree1")
        ->setCurrentIndex(FolderModelOf(window).index(QDir::tempPath()));
    Find<QToolButton>(window, "UpOneLevelBtn")->click();
    QCOMPARE(window.FileListFolder(), QString("/"));
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindow_test.moc"
