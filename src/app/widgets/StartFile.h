#pragma once
// A container named when the program starts, or handed over later by a
// second start, opened on its page: a ".vlp" on "&Viewer", a ".vld" on
// "&Launcher" (in any case), with the file list showing its folder; any
// other file is left alone. At start the tab changes without a page switch,
// as the window holds nothing yet. A file handed to the running window comes
// through the window's own page switch when it changes page (so no key, row
// or picture carries over), and only once the window waits for the user:
// the event loop about to sleep, no dialog or menu up, and the window not
// busy. The window then comes to the front.

#include <QObject>
#include <QStringList>
#include <functional>

class QTabWidget;

namespace vls {

class FolderPane;
class LauncherPage;
class ViewerPage;

class StartFile : public QObject {
 public:
  // busy: whether work of the window is under way (a view, a batch, a show).
  StartFile(QTabWidget& tabs, FolderPane& folders, ViewerPage& viewer, LauncherPage& launcher,
            std::function<bool()> busy);

  void OpenAtStart(const QString& path);
  // Queued; opened in the order handed over.
  void OpenHanded(const QString& path);

 private:
  void Open(const QString& path, bool running);
  bool Idle() const;
  void OpenNextWhenIdle();

  QTabWidget& tabs_;
  FolderPane& folders_;
  ViewerPage& viewer_;
  LauncherPage& launcher_;
  std::function<bool()> busy_;
  QStringList handed_;
  bool posted_ = false;
};

}  // namespace vls
