// Shows a container on the "&Viewer" page of the main window and saves a
// capture of the window from the screen. Run under xvfb-run:
//   viewer_shots still|gif OUTPUT.png

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
  if (argc != 3 || (std::strcmp(argv[1], "still") != 0 && std::strcmp(argv[1], "gif") != 0)) {
    std::fprintf(stderr, "usage: viewer_shots still|gif OUTPUT.png\n");
    return 2;
  }
  const bool gif = std::strcmp(argv[1], "gif") == 0;
  QTemporaryDir home;
  qputenv("HOME", home.path().toUtf8());
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
  qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
  QTemporaryDir folder;
  MakeContainer(folder.path(), "pictures/libtiffpic/flower-rgb-contig-08.tif", "flower.tif");
  MakeContainer(folder.path(), "gif/wuffs/bricks-dither.gif", "bricks.gif");
  const QString shown =
      gif ? MakeContainer(folder.path(), "gif/wuffs/muybridge.gif", "horse.gif")
          : MakeContainer(folder.path(), "pictures/bmpsuite/rgb24.bmp", "rgb.bmp");

  vls::TFmainVLS window({});
  vls::test::ShowPage(window, vls::kPageViewer);
  window.move(20, 20);
  window.resize(640, 440);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window) || !vls::test::ListFolder(window, folder.path(), 3))
    return 1;
  vls::SetNextPasswordAnswer("open sesame");
  if (!vls::test::ClickFile(window, shown))
    return 1;
  QTest::qWait(gif ? 700 : 300);  // a few frames into the animation
  const QPixmap capture = window.screen()->grabWindow(window.winId());
  if (!capture.save(QString::fromLocal8Bit(argv[2])))
    return 1;
  std::printf("%s: %s\n", argv[2], qPrintable(vls::test::StatusText(window)));
  return 0;
}
