// The secure viewer through the real window, over containers made by
// CryptFile: what a click shows, that no plain copy outlives a view, the key
// asked once, wrong keys, tiny and animated pictures, Delete into the trash,
// drops, the preview of plain pictures and the start-up clean-up.

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "app/WorkList.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "app/widgets/StatusControls.h"
#include "cipher/Cipher.h"
#include "imaging/widgets/GIFImage.h"
#include "imaging/widgets/PMultiMedia.h"
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

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray TestData(const QString& relative) {
  return ReadAll(VLS_TEST_DATA_DIR "/" + relative);
}

QStringList Entries(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

}  // namespace

class ViewerWindowTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir xdg_;
  QStringList messages_;

  // The window on the "&Viewer" page, showing folder.
  static void OpenViewer(TFmainVLS& window, const QString& folder, int page = kPageViewer) {
    // Every file the page's mask lets through is listed before anything is clicked.
    ShowPage(window, page);
    const QStringList masks = page == kPageViewer ? QStringList("*.vlp") : QStringList("*");
    QVERIFY(ListFolder(window, folder, QDir(folder).entryList(masks, QDir::Files).size()));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
  }

  static QString TempFolderText() { return PathText(TempFolder); }

  static TPMultiMedia* Pane(TFmainVLS& window) {
    return Find<TPMultiMedia>(window, "View_PMultiMedia1");
  }

  static bool PaneEmpty(TFmainVLS& window) {
    return Pane(window)->Picture().isNull() && Pane(window)->isVisible() &&
           Find<TGIFImage>(window, "GIFImage1")->isHidden();
  }

  static bool ButtonsEnabled(TFmainVLS& window, bool remove, bool maximize, bool full) {
    return Find<QPushButton>(window, "View_Delete")->isEnabled() == remove &&
           Find<QPushButton>(window, "View_Maximize")->isEnabled() == maximize &&
           Find<QPushButton>(window, "View_FullScreen")->isEnabled() == full;
  }

 private slots:
  void initTestCase() {
    for (const char* sub : {"home", "config", "data", "dirs", "runtime"}) {
      QVERIFY(QDir().mkpath(xdg_.filePath(sub)));
    }
    QFile::setPermissions(xdg_.filePath("runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", xdg_.filePath("home").toUtf8());
    qputenv("XDG_CONFIG_HOME", xdg_.filePath("config").toUtf8());
    qputenv("XDG_DATA_HOME", xdg_.filePath("data").toUtf8());
    qputenv("XDG_DATA_DIRS", xdg_.filePath("dirs").toUtf8());
    qputenv("XDG_RUNTIME_DIR", xdg_.filePath("runtime").toUtf8());
    SetMessageSink([this](MessageKind, const QString& text) { messages_ << text; });
  }

  void init() {
    messages_.clear();
    ResetProtectState();
    DropKey();
    ClearNextPasswordAnswer();
    TAsk::ClearNextAnswer();
  }

  void aViewShowsThePictureAndLeavesNoPlainCopy() {
    QTemporaryDir folder;
    const QByteArray jpeg = PictureBytes("JPG", 640, 480);
    const QString beach = MakeContainer(folder.path(), "beach.jpg", jpeg, kKey);
    const QString bricks =
        MakeContainer(folder.path(), "bricks.bmp", TestData("pictures/bmpsuite/pal8.bmp"), kKey);
    TFmainVLS window({});
    OpenViewer(window, folder.path());

    SetNextPasswordAnswer(kKey);
    QVERIFY(ClickFile(window, beach));
    QCOMPARE(Pane(window)->PictureWidth(), 640);
    QVERIFY(Pane(window)->isVisible());
    QCOMPARE(StatusText(window), QString("beach.jpg 640x480 %1 bytes").arg(jpeg.size()));
    QVERIFY(ButtonsEnabled(window, true, true, true));
    QVERIFY(Find<LedLamp>(window, "LedReady")->isOn());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(Find<QListView>(window, "FileListBox1")->isEnabled());
    // The key is armed: its button and gauge show, full.
    QVERIFY(Find<QToolButton>(window, "ButKeyOff")->isVisible());
    QCOMPARE(Find<QProgressBar>(window, "GaugeKey")->value(), 6);
    QVERIFY(messages_.isEmpty());
    // Neither the temporary folder nor the container's folder holds the plain picture.
    QCOMPARE(Entries(TempFolderText()), QStringList());
    QCOMPARE(Entries(folder.path()), QStringList({"beach.vlp", "bricks.vlp"}));

    // The armed key opens the next file without asking: a dialog would be cancelled.
    SetNextPasswordCancel();
    QVERIFY(ClickFile(window, bricks));
    QCOMPARE(StatusText(window), QString("bricks.bmp 127x64 9254 bytes"));
    QCOMPARE(window.CurrentViewerFile(), bricks);
    ClearNextPasswordAnswer();
    QCOMPARE(Entries(TempFolderText()), QStringList());
  }

  void aWrongKeyIsToldAndTheNextClickAsksAgain() {
    QTemporaryDir folder;
    const QString path =
        MakeContainer(folder.path(), "bricks.bmp", TestData("pictures/bmpsuite/pal8.bmp"), kKey);
    TFmainVLS window({});
    OpenViewer(window, folder.path());
    SetNextPasswordAnswer("not the key");
    QVERIFY(ClickFile(window, path));
    QCOMPARE(messages_, QStringList("BAD KEY! " + path));
    QVERIFY(KeyString.empty());
    QVERIFY(PaneEmpty(window));
    QVERIFY(ButtonsEnabled(window, false, false, false));
    QCOMPARE(StatusText(window), QString());
    QCOMPARE(Entries(folder.path()), QStringList("bricks.vlp"));
    QCOMPARE(Entries(TempFolderText()), QStringList());

    SetNextPasswordAnswer(kKey);
    QVERIFY(ClickFile(window, path));
    QVERIFY(!Pane(window)->Picture().isNull());
    QCOMPARE(messages_.size(), 1);
  }

  // A Caps Lock twin of the password opens this header byte for byte (its
  // name has 8 characters); it must still read as a wrong key.
  void aPasswordInAnotherLetterCaseIsAWrongKey() {
    QTemporaryDir folder;
    const QString path =
        MakeContainer(folder.path(), "wall.bmp", TestData("pictures/bmpsuite/pal8.bmp"), "1L30g8");
    TFmainVLS window({});
    OpenViewer(window, folder.path());
    SetNextPasswordAnswer("1l30G8");
    QVERIFY(ClickFile(window, path));
    QCOMPARE(messages_, QStringList("BAD KEY! " + path));
    QVERIFY(PaneEmpty(window));
    QCOMPARE(Entries(folder.path()), QStringList("wall.vlp"));
    QCOMPARE(Entries(TempFolderText()), QStringList());
  }

  void aCancelledPasswordShowsNothing() {
    QTemporaryDir folder;
    const QString path =
        MakeContainer(folder.path(), "bricks.bmp", TestData("pictures/bmpsuite/pal8.bmp"), kKey);
    TFmainVLS window({});
    OpenViewer(window, folder.path());
    SetNextPasswordCancel();
    QVERIFY(!window.ViewEncryptedPicture(path));
    QVERIFY(PaneEmpty(window));
    QVERIFY(messages_.isEmpty());
    QVERIFY(Find<LedLamp>(window, "LedReady")->isOn());
  }

  // However small, a picture the decoder reads is shown; only an empty one
  // holds no data, and a broken one is told in the decoder's words.
  void smallPicturesShowAndOnlyAnEmptyOneHoldsNoData() {
    QTemporaryDir folder;
    const QString tiny =
        MakeContainer(folder.path(), "tiny.gif", TestData("pictures/own/plain.gif"), kKey);
    const QString empty = MakeContainer(folder.path(), "empty.png", QByteArray(), kKey);
    const QString broken = MakeContainer(folder.path(), "broken.png", QByteArray(300, 'x'), kKey);
    TFmainVLS window({});
    OpenViewer(window, folder.path());

    SetNextPasswordAnswer(kKey);
    QVERIFY(window.ViewEncryptedPicture(tiny));
    QVERIFY(messages_.isEmpty());
    QCOMPARE(StatusText(window), QString("tiny.gif 24x16 175 bytes"));
    QVERIFY(ButtonsEnabled(window, true, true, true));

    QVERIFY(window.ViewEncryptedPicture(empty));
    QCOMPARE(messages_, QStringList("File contains no data"));
    QVERIFY(PaneEmpty(window));
    QVERIFY(ButtonsEnabled(window, false, false, false));
    QCOMPARE(StatusText(window), QString("empty.png 0x0 0 bytes"));
    QVERIFY(!KeyString.empty());  // the key is right, so it stays armed

    messages_.clear();
    QVERIFY(window.ViewEncryptedPicture(broken));
    QCOMPARE(messages_.size(), 2);  // the decoder's words, then "Reading png file failed"
    QCOMPARE(messages_.last(), QString("Reading png file failed"));
    QVERIFY(PaneEmpty(window));
    QCOMPARE(Entries(TempFolderText()), QStringList());
  }

  void gifsAnimateOnlyWithSeveralFrames() {
    QTemporaryDir folder;
    const QString animated = MakeContainer(folder.path(), "redblue.gif",
                                           TestData("gif/wuffs/animated-red-blue.gif"), kKey);
    const QString still = MakeContainer(folder.path(), "hippo.gif",
                                        TestData("gif/wuffs/hippopotamus.regular.gif"), kKey);
    TFmainVLS window({});
    OpenViewer(window, folder.path());

    SetNextPasswordAnswer(kKey);
    QVERIFY(ClickFile(window, animated));
    auto* gif = Find<TGIFImage>(window, "GIFImage1");
    QVERIFY(gif->isVisible());
    QVERIFY(Pane(window)->isHidden());
    QVERIFY(gif->IsAnimated());
    QVERIFY(ButtonsEnabled(window, true, false, false));
    QCOMPARE(StatusText(window), QString("redblue.gif 64x48 2913 bytes"));
    QTRY_VERIFY(gif->CurrentFrame() > 1);  // it plays from memory, the copy being gone
    QCOMPARE(Entries(TempFolderText()), QStringList());

    QVERIFY(ClickFile(window, still));
    QVERIFY(gif->isHidden());
    QVERIFY(Pane(window)->isVisible());
    QCOMPARE(Pane(window)->PictureWidth(), 36);
    QVERIFY(ButtonsEnabled(window, true, true, true));
    QCOMPARE(Entries(TempFolderText()), QStringList());
  }

  void aStoredNameOfAnotherTypeShowsNothingAndIsWiped() {
    QTemporaryDir folder;
    const QString data = MakeContainer(folder.path(), "notes.txt", QByteArray(5000, 'n'), kKey);
    const QString renamed = folder.filePath("notes.vlp");
    QVERIFY(QFile::rename(data, renamed));
    TFmainVLS window({});
    OpenViewer(window, folder.path());
    SetNextPasswordAnswer(kKey);
    QVERIFY(ClickFile(window, renamed));
    QVERIFY(messages_.isEmpty());
    QVERIFY(PaneEmpty(window));
    QVERIFY(!KeyString.empty());
    QCOMPARE(Entries(TempFolderText()), QStringList());
    QCOMPARE(Entries(folder.path()), QStringList("notes.vlp"));
  }

  void deleteMovesTheContainerToTheTrash() {
    QTemporaryDir folder;
    const QString path =
        MakeContainer(folder.path(), "bricks.bmp", TestData("pictures/bmpsuite/pal8.bmp"), kKey);
    TFmainVLS window({});
    OpenViewer(window, folder.path());
    SetNextPasswordAnswer(kKey);
    QVERIFY(ClickFile(window, path));

    TAsk::SetNextAnswer(kAnswerNo);
    QVERIFY(Click(window, "View_Delete"));
    QCOMPARE(AskQuestion, QString("DELETE bricks.vlp ?"));
    QVERIFY(QFile::exists(path));
    QVERIFY(!Pane(window)->Picture().isNull());

    TAsk::SetNextAnswer(kAnswerYes);
    QVERIFY(Click(window, "View_Delete"));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(ReadAll(xdg_.filePath("data/Trash/files/bricks.vlp")).size(), 255 + 9254);
    QCOMPARE(StatusText(window), QString("FILE DELETED"));
    QVERIFY(PaneEmpty(window));
    QVERIFY(ButtonsEnabled(window, false, false, false));
    QVERIFY(messages_.isEmpty());
  }

  void aContainerDeletedBehindTheListsBackIsReported() {
    QTemporaryDir folder;
    const QString path =
        MakeContainer(folder.path(), "bricks.bmp", TestData("pictures/bmpsuite/pal8.bmp"), kKey);
    TFmainVLS window({});
    OpenViewer(window, folder.path());
    auto* list = Find<QListView>(window, "FileListBox1");
    QModelIndex index;
    QVERIFY(QTest::qWaitFor([&] {
      index = FileModelOf(window).index(path);
      return index.isValid() && !list->visualRect(index).isEmpty();
    }));
    const QPoint where = list->visualRect(index).center();
    // Gone before the list hears of it; no key is asked for a missing file.
    QVERIFY(QFile::remove(path));
    SetNextPasswordAnswer(kKey);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, where);
    QCOMPARE(StatusText(window), QString("FILE DELETED"));
    QVERIFY(PaneEmpty(window));
    QVERIFY(KeyString.empty());
    QVERIFY(messages_.isEmpty());
    QVERIFY(!window.ViewEncryptedPicture(path));
  }

  void dropsOnTheViewerShowAtMostFiveContainers() {
    QTemporaryDir folder;
    QStringList dropped;
    const QByteArray bmp = TestData("pictures/bmpsuite/pal8.bmp");
    for (int i = 0; i < 7; ++i) {
      dropped << MakeContainer(folder.path(), QString("p%1.bmp").arg(i), bmp, kKey);
    }
    dropped.insert(1, folder.filePath("ignored.txt"));
    WriteBytes(dropped[1], "not a container");
    TFmainVLS window({});
    OpenViewer(window, folder.path());
    SetNextPasswordAnswer(kKey);
    window.FileDrag1Drop(dropped);
    // The first five paths hold four containers; the last one shown is p3.
    QCOMPARE(window.CurrentViewerFile(), dropped[4]);
    QCOMPARE(StatusText(window), QString("p3.bmp 127x64 9254 bytes"));
    QVERIFY(messages_.isEmpty());
    QCOMPARE(Entries(TempFolderText()), QStringList());
    QVERIFY(QApplication::overrideCursor() == nullptr);
  }

  void theFirstPagePreviewsPlainPictures() {
    QTemporaryDir folder;
    WriteBytes(folder.filePath("photo.JPG"), PictureBytes("JPG", 64, 48));
    WriteBytes(folder.filePath("notes.txt"), "text");
    WriteBytes(folder.filePath("empty.png"), "");
    TFmainVLS window({});
    OpenViewer(window, folder.path(), kPageCrypt);
    QVERIFY(Click(window, "PreviewCheck"));
    QVERIFY(Find<QCheckBox>(window, "PreviewCheck")->isChecked());
    auto* preview = Find<TPMultiMedia>(window, "Preview");
    QVERIFY(Find<QWidget>(window, "Viewer1")->isVisible());

    QVERIFY(ClickFile(window, folder.filePath("photo.JPG")));
    QCOMPARE(preview->PictureWidth(), 64);
    QVERIFY(Find<BarGauge>(window, "Gauge1")->isHidden());
    QVERIFY(Find<LedLamp>(window, "LedReady")->isOn());
    QVERIFY(ClickFile(window, folder.filePath("notes.txt")));
    QVERIFY(preview->Picture().isNull());
    QVERIFY(ClickFile(window, folder.filePath("empty.png")));
    QCOMPARE(messages_, QStringList("File contains no data"));
    QVERIFY(preview->Picture().isNull());

    // Unchecking hides the panel and drops the picture.
    QVERIFY(ClickFile(window, folder.filePath("photo.JPG")));
    QVERIFY(Click(window, "PreviewCheck"));
    QVERIFY(Find<QWidget>(window, "Viewer1")->isHidden());
    QVERIFY(preview->Picture().isNull());
  }

  // A previewed picture wiped by its encryption, or deleted, leaves the preview.
  void thePreviewGoesWithItsFile() {
    QTemporaryDir folder;
    WriteBytes(folder.filePath("photo.JPG"), PictureBytes("JPG", 64, 48));
    WriteBytes(folder.filePath("other.JPG"), PictureBytes("JPG", 32, 24));
    TFmainVLS window({});
    OpenViewer(window, folder.path(), kPageCrypt);
    QVERIFY(Click(window, "PreviewCheck"));
    auto* preview = Find<TPMultiMedia>(window, "Preview");

    QVERIFY(ClickFile(window, folder.filePath("photo.JPG")));
    QCOMPARE(preview->PictureWidth(), 64);
    window.FileDrag1Drop({folder.filePath("photo.JPG")});
    SetNextPasswordAnswer(kKey);
    QVERIFY(Click(window, "ButtOk"));
    QVERIFY(QFile::exists(folder.filePath("photo.vlp")));
    QTRY_VERIFY(preview->Picture().isNull());

    QVERIFY(ClickFile(window, folder.filePath("other.JPG")));
    QCOMPARE(preview->PictureWidth(), 32);
    QVERIFY(QFile::remove(folder.filePath("other.JPG")));
    QTRY_VERIFY(preview->Picture().isNull());
  }

  // Plain copies an earlier run left in TempFolder are wiped once the window
  // has painted, or before the user's first key, the file named at start or
  // the window's closing if that comes first; not while the window is built,
  // and only once: a later copy is this run's.
  void startUpWipesPlainCopiesOfAnEarlierRunOnce() {
    InitFolders();
    const QDir temp(TempFolderText());
    QVERIFY(QDir().mkpath(temp.path()));
    enum class First { Paint, Key, StartFile, Close };
    for (const First first : {First::Paint, First::Key, First::StartFile, First::Close}) {
      for (const char* name : {"ar~te.jpg", "ar~te", "beach.~tx", "letter.doc"}) {
        WriteBytes(temp.filePath(name), "plain picture bytes");
      }
      ResetProtectState();
      TFmainVLS window(first == First::StartFile ? QStringList("/p/photo.vlp") : QStringList());
      QCOMPARE(Entries(temp.path()).size(), 4);
      if (first == First::Paint) {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(Entries(temp.path()), QStringList("letter.doc"));
      } else {
        if (first == First::Key)
          QTest::keyClick(&window, Qt::Key_Tab);
        else if (first == First::StartFile)
          window.FormActivate();
        else
          window.close();
        QCOMPARE(Entries(temp.path()), QStringList("letter.doc"));
      }
      WriteBytes(temp.filePath("ar~te.jpg"), "this run's plain copy");
      window.repaint();
      QTest::keyClick(&window, Qt::Key_Tab);
      QTest::qWait(20);
      QCOMPARE(Entries(temp.path()), QStringList({"ar~te.jpg", "letter.doc"}));
      QVERIFY(QFile::remove(temp.filePath("ar~te.jpg")));
    }
    QVERIFY(messages_.isEmpty());
    QVERIFY(QFile::remove(temp.filePath("letter.doc")));
  }
};

QTEST_MAIN(ViewerWindowTest)
#include "ViewerWindow_test.moc"
