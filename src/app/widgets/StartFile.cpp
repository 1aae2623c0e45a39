#include "app/widgets/StartFile.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFileInfo>
#include <QTabWidget>
#include <QTimer>

#include "app/widgets/FolderPane.h"
#include "app/widgets/LauncherPage.h"
#include "app/widgets/MainWindow.h"
#include "app/widgets/ViewerPage.h"

namespace vls {

StartFile::StartFile(QTabWidget& tabs, FolderPane& folders, ViewerPage& viewer,
                     LauncherPage& launcher, std::function<bool()> busy)
    : QObject(&tabs),
      tabs_(tabs),
      folders_(folders),
      viewer_(viewer),
      launcher_(launcher),
      busy_(std::move(busy)) {
  // Long work and dialogs take events without letting the loop sleep, or in
  // loops of their own under a dialog; a sleeping top loop with no dialog is
  // a window waiting for its user.
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
          [this] {
            if (!handed_.isEmpty() && !posted_ && Idle()) {
              posted_ = true;
              QTimer::singleShot(0, this, [this] { OpenNextWhenIdle(); });
            }
          });
}

void StartFile::OpenAtStart(const QString& path) {
  Open(path, false);
}

void StartFile::OpenHanded(const QString& path) {
  handed_ << path;
}

bool StartFile::Idle() const {
  return QApplication::activeModalWidget() == nullptr &&
         QApplication::activePopupWidget() == nullptr && !busy_();
}

void StartFile::OpenNextWhenIdle() {
  posted_ = false;
  // Something may have started between the sleep and now.
  if (handed_.isEmpty() || !Idle())
    return;
  QWidget* window = tabs_.window();
  if (window->isMinimized())
    window->showNormal();
  window->raise();
  window->activateWindow();
  Open(handed_.takeFirst(), true);
}

void StartFile::Open(const QString& path, bool running) {
  const QString extension = QFileInfo(path).suffix().toUpper();
  const int page = extension == "VLP" ? kPageViewer : extension == "VLD" ? kPageLauncher : -1;
  if (page < 0)
    return;
  // The list shows the file's folder, where its row is highlighted.
  folders_.ShowFolder(QFileInfo(path).absolutePath());
  {
    const QSignalBlocker blocker(running ? nullptr : &tabs_);
    tabs_.setCurrentIndex(page);
  }
  if (page == kPageViewer)
    viewer_.OpenNamed(path);
  else
    launcher_.OpenNamed(path);
}

}  // namespace vls
