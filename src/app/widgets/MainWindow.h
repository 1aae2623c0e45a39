#pragma once
// The main window, the shell around the pages: the filter bar, the folder
// tree over the file list, the banner, the pages "En&crypt/Decrypt",
// "&Viewer" and "&Launcher" (TabNotebook1), the status bar, the key's timer
// (Timer1) and its lifetime, the window's position and the start-up. The
// shell routes page switches, drops and clicks in the file list to the
// pages; the pages own their controls and reach the shell through PageHost.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

#include "app/DiskCaps.h"
#include "app/FilterList.h"
#include "app/widgets/PageHost.h"
#include "app/widgets/ViewerPage.h"
#include "viewing/KeyLifetime.h"

class QTabWidget;
class QTimer;

namespace vls {

class AfterFirstPaint;
class CryptPage;
class FilterBar;
class FolderPane;
class FullScreenShow;
class LauncherPage;
class LongWork;
class StartFile;
class StatusBar;
class TFileDrag;
class TFullSlide;
class WindowFeedback;
class WindowPlacement;

inline constexpr int kPageCrypt = 0;
inline constexpr int kPageViewer = 1;
inline constexpr int kPageLauncher = 2;

class TFmainVLS : public QWidget, private KeyWindow, private PageHost {
  Q_OBJECT

 public:
  // arguments: the program's command-line arguments, without the program.
  explicit TFmainVLS(QStringList arguments, QWidget* parent = nullptr);
  ~TFmainVLS() override;

  // The full-screen form the slide show and "&Full" use.
  void SetFullSlide(TFullSlide* form);
  // Files dropped on the window, in drop order: the work list takes them on
  // "En&crypt/Decrypt"; the viewer and the launcher open up to five of their
  // containers.
  void FileDrag1Drop(const QStringList& paths);
  // Every activation; the first one opens a container named on the command
  // line on its page.
  void FormActivate();
  // A file a second start handed over: opened as at start, once the window
  // waits for its user.
  void OpenHandedFile(const QString& path);
  // Decrypts the container into a plain copy in TempFolder, shows it and
  // wipes the copy. False when the file is missing or the password dialog was
  // cancelled, true in every other case.
  bool ViewEncryptedPicture(const QString& path, ViewTarget target = ViewTarget::Viewer);
  // The path last handed to ViewEncryptedPicture.
  QString CurrentViewerFile() const;
  int CurrentPage() const;
  // The mask of the file list ("*.VLP;*.VLD").
  QString FileListMask() const;
  // Replaces the list of file types unless it equals the current one
  // (without regard to case); a new list selects its first entry and applies
  // its mask.
  void SetFilterText(const QString& text) override;
  // The folder the file list shows.
  QString FileListFolder() const override;
  void SetFileListFolder(const QString& folder);
  KeyLifetime& keys() { return keys_; }

  // Length of one wait of the slide show (100 ms) and of "&Full" (50 ms);
  // tests shorten them.
  int SlideWaitMs = 100;
  int FullScreenWaitMs = 50;

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Start-up steps, in order; the constructor runs them.
  void FormCreate();
  // Wipes what an earlier run left and places the desktop shortcut once; the
  // user is told of failures once the window waits for its user.
  void DoStartUpChores();
  // Stops picture loads from reaching the window and saves its position.
  void FormClose();
  // Page or mode switch: every page reset, the key dropped, then the
  // current page's (or mode's) file types.
  void TabNotebook1Click();
  void PageReset();
  // A click in the file list, for the current page.
  void FileList1Click();
  // After a click or a drop: ready, the file list taking clicks, with the focus.
  void ReadyForClicks();

  // How the pages reach the window.
  void SetStatusLine(const QString& text, bool repaint_now) override;
  void SetBusy(bool busy) override;
  void SetCancellable(bool on) override;
  void SetGauge(int position) override;
  void SetGaugeColor(const QColor& color) override;
  void ShowGauge(bool shown) override;
  QStringList SelectedFiles() const override;
  void SetFileListEnabled(bool enabled) override;
  void FocusFileList() override;
  void RereadFileList() override;
  QString FilterDescription() const override;
  void SetFileListMask(const QString& mask) override;
  // Also how the key lifetime reaches the window.
  void SetKeyTimerEnabled(bool enabled) override;
  void ClearViewerPicture() override;

  // How the key lifetime reaches the pages that show the key.
  void SetKeyIndicatorsVisible(KeyPage page, bool visible) override;
  void SetKeyGauge(KeyPage page, int progress) override;
  bool IsEncryptPageCurrent() const override;
  void ClearStatusLine() override;
  void DisableViewerButtons() override;
  void RepaintWindow() override;

  QStringList arguments_;
  TDiskCaps disk_caps_;
  KeyLifetime keys_{*this};
  FlowLock flow_lock_;
  std::unique_ptr<WindowFeedback> feedback_;
  std::unique_ptr<LongWork> long_work_;
  std::unique_ptr<FullScreenShow> full_screen_;
  FilterBar* filter_bar_ = nullptr;
  FolderPane* folders_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  CryptPage* crypt_ = nullptr;
  ViewerPage* viewer_ = nullptr;
  LauncherPage* launcher_ = nullptr;
  StatusBar* status_ = nullptr;
  QTimer* timer_ = nullptr;
  TFileDrag* file_drag_ = nullptr;
  WindowPlacement* placement_ = nullptr;
  StartFile* start_file_ = nullptr;
  AfterFirstPaint* chores_ = nullptr;
  bool first_activation_ = false;
  bool closing_ = false;
};

}  // namespace vls
