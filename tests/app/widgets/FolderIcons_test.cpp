// The folder icons of the folder tree, the file list and the work list: a
// look for each kind of folder, drawn without reading a picture. With them,
// the forms a start makes and the main window's first paint load no
// image-format plugin (whose loading costs milliseconds).

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include "app/widgets/FolderIcons.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/RowIcons.h"
#include "protect/widgets/Ask.h"
#include "support/WindowTestSupport.h"
#include "viewing/widgets/FullSlide.h"
#include "viewing/widgets/PasswordDialogs.h"

using namespace vls;
using namespace vls::test;

namespace {

bool ImageFormatPluginsLoaded() {
  QFile maps("/proc/self/maps");
  return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
}

}  // namespace

class FolderIconsTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir home_;

 private slots:
  void initTestCase() { UsePrivateHome(home_.path()); }

  // First, while no picture has been read in this process.
  void theFormsOfAStartAndTheFirstPaintLoadNoImageFormatPlugin() {
    QVERIFY2(!ImageFormatPluginsLoaded(), "loaded before any window");
    // As the program makes them.
    TFmainVLS window({});
    TFPass2 pass2(&window);
    TAsk ask(&window);
    TFullSlide slide(&window);
    TFPass pass(&window);
    QVERIFY(!ImageFormatPluginsLoaded());
    const QImage painted = window.grab().toImage();
    QVERIFY(!painted.isNull());
    QVERIFY(!ImageFormatPluginsLoaded());
  }

  void eachKindOfFolderHasALookOfItsOwn() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("plain"));
    QVERIFY(QFile::link(dir.filePath("plain"), dir.filePath("link")));
    const struct {
      QString path;
      FolderLook look;
    } cases[] = {
        {QDir::rootPath(), FolderLook::Drive},
        {QDir::homePath(), FolderLook::Home},
        {dir.filePath("plain"), FolderLook::Folder},
        {dir.filePath("link"), FolderLook::Link},
    };
    const NameIconProvider provider;
    QSet<QByteArray> drawn;
    for (const auto& c : cases) {
      const QIcon icon = provider.icon(QFileInfo(c.path));
      QCOMPARE(icon.cacheKey(), DrawnFolderIcon(c.look).cacheKey());
      for (const int size : {16, 32}) {
        const QImage image = icon.pixmap(size, size).toImage();
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY2(image.pixelColor(size / 2, size * 3 / 4).alpha() == 255, qPrintable(c.path));
        if (size == 16)
          drawn << QByteArray(reinterpret_cast<const char*>(image.constBits()),
                              image.sizeInBytes());
      }
    }
    QCOMPARE(drawn.size(), 4);
    // A folder in the work list, or a folder the model has not read yet.
    RowIcons rows;
    QCOMPARE(rows.Of(dir.filePath("plain"), true).cacheKey(),
             DrawnFolderIcon(FolderLook::Folder).cacheKey());
    QCOMPARE(provider.icon(QAbstractFileIconProvider::Folder).cacheKey(),
             DrawnFolderIcon(FolderLook::Folder).cacheKey());
  }
};

QTEST_MAIN(FolderIconsTest)
#include "FolderIcons_test.moc"
