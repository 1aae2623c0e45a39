// Shows a container on the "&Viewer" page of the main window and saves a
// capture of the window from the screen; "strip" shows more pictures, with
// their thumbnails under the picture. Run under xvfb-run:
//   viewer_shots still|gif|strip OUTPUT.png

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QPixmap>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/WorkList.h"
#include "app/widgets/MainWindow.h"
#include "cipher/Cipher.h"
#include "protect/Container.h"
#include "protect/ProtectState.h"
#include "support/WindowTestSupport.h"
#include "viewing/widgets/PasswordDialogs.h"

namespace {

// Copies a test picture into folder under name and encrypts it there.
QString MakeContainer(const QString& folder, const QString& source, const QString& name) {
  const QString plain = QDir(folder).filePath(name);
  QFile::copy(QStringLiteral(VLS_TEST_DATA_DIR "/") + source, plain);
  vls::KeyString.Set("open sesame");
  vls::SilentFeedback feedback;
  vls::KernelVolumeFacts volumes;
  vls::CryptFile(vls::PathBytes(plain), vls::kModeEncrypt, false,
                 {feedback, volumes, vls::CryptPurpose::Batch});
  vls::DropKey();
  return QDir(folder).filePath(QFileInfo(name).completeBaseName() + ".vlp");
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::string mode = argc == 3 ? argv[1] : "";
  if (mode != "still" && mode != "gif" && mode != "strip") {
    std::fprintf(stderr, "usage: viewer_shots still|gif|strip OUTPUT.png\n");
    return 2;
  }
  const bool gif = mode == "gif";
  const bool strip = mode == "strip";
  QTemporaryDir home;
  qputenv("HOME", home.path().toUtf8());
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
  qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
  QTemporaryDir folder;
  MakeContainer(folder.path(), "pictures/libtiffpic/flower-rgb-contig-08.tif", "flower.tif");
  MakeContainer(folder.path(), "gif/wuffs/bricks-dither.gif", "bricks.gif");
  QString shown = gif ? MakeContainer(folder.path(), "gif/wuffs/muybridge.gif", "horse.gif")
                      : MakeContainer(folder.path(), "pictures/bmpsuite/rgb24.bmp", "rgb.bmp");
  int files = 3;
  if (strip) {
    MakeContainer(folder.path(), "gif/wuffs/muybridge.gif", "horse.gif");
    MakeContainer(folder.path(), "pictures/pngsuite/basn6a08.png", "alpha.png");
    MakeContainer(folder.path(), "pictures/commons-imaging/3plane8bppCompressed.pcx", "boat.pcx");
    shown = MakeContainer(folder.path(), "pictures/own/photo.jpg", "photo.jpg");
    files = 7;
  }

  vls::TFmainVLS window({});
  vls::test::ShowPage(window, vls::kPageViewer);
  window.move(20, 20);
  window.resize(strip ? QSize(900, 640) : QSize(640, 440));
  window.show();
  if (!QTest::qWaitForWindowExposed(&window) ||
      !vls::test::ListFolder(window, folder.path(), files))
    return 1;
  vls::SetNextPasswordAnswer("open sesame");
  if (!vls::test::ClickFile(window, shown))
    return 1;
  QTest::qWait(gif || strip ? 700 : 300);  // a few frames into the animation, the thumbnails
  const QPixmap capture = window.screen()->grabWindow(window.winId());
  if (!capture.save(QString::fromLocal8Bit(argv[2])))
    return 1;
  std::printf("%s: %s\n", argv[2], qPrintable(vls::test::StatusText(window)));
  return 0;
}
