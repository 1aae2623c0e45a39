// Encrypted pictures never touch a disk: viewing every kind on the page and
// on the full-screen form, with the thumbnails being made meanwhile, creates
// and writes no file in the pictures' folder, TempFolder, the temporary
// folders the decoders would use, or the home folder (watched with inotify).
// And the thumbnail strip: it fills while the key is armed, a click views
// its picture, and it empties with the key.

#include <sys/inotify.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "app/WorkList.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "cipher/Cipher.h"
#include "imaging/widgets/PMultiMedia.h"
#include "protect/Container.h"
#include "protect/ProtectState.h"
#include "support/TestSupport.h"
#include "support/WindowTestSupport.h"
#include "viewing/widgets/FullSlide.h"
#include "viewing/widgets/PasswordDialogs.h"
#include "viewing/widgets/ThumbnailStrip.h"

using namespace vls;
using namespace vls::test;

namespace {

const QString kKey = "open sesame";

QByteArray TestData(const QString& relative) {
  QFile file(VLS_TEST_DATA_DIR "/" + relative);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The names of files created, written or moved into the watched folders.
class FolderWatch {
 public:
  explicit FolderWatch(const QStringList& folders) : fd_(::inotify_init1(IN_NONBLOCK)) {
    for (const QString& folder : folders)
      ::inotify_add_watch(fd_, QFile::encodeName(folder).constData(),
                          IN_CREATE | IN_MOVED_TO | IN_MODIFY | IN_CLOSE_WRITE);
  }
  ~FolderWatch() { ::close(fd_); }
  QStringList Seen() {
    QStringList names;
    alignas(inotify_event) char buffer[8192];
    for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;) {
      for (char* at = buffer; at < buffer + n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(at);
        names << QString::fromUtf8(event->len > 0 ? event->name : "(folder)");
        at += sizeof(inotify_event) + event->len;
      }
    }
    return names;
  }

 private:
  int fd_;
};

}  // namespace

class PicturesInMemoryTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_, temp_;

  static ThumbnailStrip* Strip(TFmainVLS& window) {
    return Find<ThumbnailStrip>(window, "ThumbnailStrip");
  }
  // The worker is done and the window has shown what it made.
  static bool StripDone(TFmainVLS& window) {
    const bool done = QTest::qWaitFor([&] { return !Strip(window)->Busy(); }, 30000);
    QCoreApplication::processEvents();
    return done;
  }

 private slots:
  void initTestCase() {
    UsePrivateHome(home_.path());
    // Where a decoder would put a temporary file, watched below.
    qputenv("TMPDIR", temp_.path().toUtf8());
    qputenv("MAGICK_TMPDIR", temp_.path().toUtf8());
    SetMessageSink([](MessageKind, const QString&) {});
  }

  void init() {
    ResetProtectState();
    DropKey();
  }

  void noPictureOfAnyKindTouchesADisk() {
    QTemporaryDir folder;
    const QList<QPair<QString, QByteArray>> pictures = {
        {"photo.jpg", TestData("pictures/own/photo.jpg")},
        {"alpha.png", TestData("pictures/pngsuite/basn6a08.png")},
        {"screen.gif", TestData("pictures/own/screen.gif")},
        {"plain.gif", TestData("pictures/own/plain.gif")},
        {"bricks.bmp", TestData("pictures/bmpsuite/pal8.bmp")},
        {"flower.tif", TestData("pictures/libtiffpic/flower-rgb-contig-08.tif")},
        {"small.pcx", TestData("pictures/own/small.pcx")},
        {"drawing.wmf", TestData("pictures/pillow/drawing.wmf")}};
    QStringList containers;
    for (const auto& [name, bytes] : pictures) {
      QVERIFY2(!bytes.isEmpty(), qPrintable(name));
      containers << MakeContainer(folder.path(), name, bytes, kKey);
    }
    TFmainVLS window({});
    ShowPage(window, kPageViewer);
    QVERIFY(ListFolder(window, folder.path(), containers.size()));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();  // the start-up chores, which follow the first paint
    QDir().mkpath(PathText(TempFolder));
    FolderWatch watch({folder.path(), PathText(TempFolder), temp_.path(), home_.path()});

    SetNextPasswordAnswer(kKey);
    for (const QString& container : containers) {
      QVERIFY(ClickFile(window, container));
      QVERIFY2(StatusText(window).contains('x'), qPrintable(container + ": " + StatusText(window)));
    }
    QVERIFY(StripDone(window));
    QCOMPARE(Strip(window)->count(), containers.size());

    // The slide show decodes on the full-screen form.
    TFullSlide form(&window);
    window.SetFullSlide(&form);
    window.SlideWaitMs = 1;
    ShowPage(window, kPageCrypt);
    QVERIFY(Click(window, "RadioSlide"));
    window.FileDrag1Drop(containers);
    SetNextPasswordAnswer(kKey);
    QVERIFY(Click(window, "ButtOk"));
    QVERIFY2(!StatusText(window).startsWith("Skipped"), qPrintable(StatusText(window)));
    QCOMPARE(watch.Seen(), QStringList());
    // The watch itself sees a file written.
    QVERIFY(WriteBytes(PathText(TempFolder) + "/probe", "x"));
    QVERIFY(watch.Seen().contains("probe"));
  }

  void theStripFollowsTheKeyAndAClickViewsItsPicture() {
    QTemporaryDir folder;
    const QString beach =
        MakeContainer(folder.path(), "beach.jpg", PictureBytes("JPG", 640, 480), kKey);
    const QString dune =
        MakeContainer(folder.path(), "dune.png", PictureBytes("PNG", 90, 300), kKey);
    TFmainVLS window({});
    ShowPage(window, kPageViewer);
    QVERIFY(ListFolder(window, folder.path(), 2));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(Strip(window)->isHidden());

    SetNextPasswordAnswer(kKey);
    QVERIFY(ClickFile(window, beach));
    QVERIFY(StripDone(window));
    ThumbnailStrip* strip = Strip(window);
    QVERIFY(strip->isVisible());
    // The keys still step through the file list.
    QCOMPARE(QApplication::focusWidget(), Find<QWidget>(window, "FileListBox1"));
    QCOMPARE(strip->count(), 2);
    // 90 x 300 fitted into 160 x 120, centred.
    const QImage thumbnail = strip->item(1)->icon().pixmap(160, 120).toImage();
    QCOMPARE(qAlpha(thumbnail.pixel(61, 60)), 0);
    QCOMPARE(qAlpha(thumbnail.pixel(62, 60)), 255);
    QCOMPARE(qAlpha(thumbnail.pixel(97, 60)), 255);
    QCOMPARE(qAlpha(thumbnail.pixel(98, 60)), 0);

    const QRect second = strip->visualItemRect(strip->item(1));
    QTest::mouseClick(strip->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(window.CurrentViewerFile(), dune);
    QCOMPARE(Find<TPMultiMedia>(window, "View_PMultiMedia1")->PictureWidth(), 90);

    // A picture added to the folder joins the strip at the next view.
    const QString cliff = QDir(folder.path()).filePath("cliff.vlp");
    QVERIFY(QFile::copy(beach, cliff));
    QVERIFY(ListFolder(window, folder.path(), 3));
    QVERIFY(ClickFile(window, cliff));
    QVERIFY(StripDone(window));
    QCOMPARE(strip->count(), 3);

    QVERIFY(Click(window, "ButKeyOff"));
    QCOMPARE(strip->count(), 0);
    QVERIFY(strip->isHidden());
  }
};

QTEST_MAIN(PicturesInMemoryTest)
#include "PicturesInMemory_test.moc"
