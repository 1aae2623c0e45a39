#pragma once
// The main window: a folder tree over a file list beside the three pages
// "En&crypt/Decrypt", "&Viewer" and "&Launcher", with the status bar.

#include <QFileSystemModel>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/DiskCaps.h"
#include "app/FilterList.h"
#include "app/WorkList.h"
#include "app/widgets/PageHost.h"
#include "app/widgets/ViewerPage.h"
#include "viewing/KeyLifetime.h"
#include "viewing/LauncherFlow.h"
#include "viewing/SlideShowFlow.h"
#include "viewing/ViewerFlow.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListView;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTabWidget;
class QToolButton;
class QProgressBar;
class QTreeView;

namespace vls {

class BarGauge;
class BlinkLabel;
class LedLamp;
class BatchDrivers;
class TFileDrag;
class PictureView;
class TGIFImage;
class TPMultiMedia;
class WindowFeedback;

inline constexpr int kPageCrypt = 0;
inline constexpr int kPageViewer = 1;
inline constexpr int kPageLauncher = 2;

class TFmainVLS : public QWidget, public KeyWindow, public SlideShowWindow, private PageHost {
  Q_OBJECT

 public:
  // arguments: the program's command-line arguments, without the program.
  explicit TFmainVLS(QStringList arguments, QWidget* parent = nullptr);
  ~TFmainVLS() override;

  // Start-up steps, in order; the constructor runs it.
  void FormCreate();
  // Stops picture loads from reaching the window and saves its position.
  void FormClose();
  // Every activation; the first one opens a protected file named on the command line.
  void FormActivate();
  // Page and mode switch: PageReset, then the page's or mode's filter and views.
  void TabNotebook1Click();
  void PageReset();
  void UpOneLevelBtnClick();
  void ButHelpClick();

  // Replaces the filter list unless it equals the current one (without regard
  // to case); a new list selects its first entry and applies its mask.
  void SetFilterText(const QString& text);
  void SetFileListMask(const QString& mask);
  QString FileListMask() const;
  // The folder the file list shows.
  QString FileListFolder() const;
  void SetFileListFolder(const QString& folder);
  // Reads the shown folder again, so new and removed files show.
  void RereadFileList();
  int CurrentPage() const;
  void SetBusy(bool busy);

  // The work list (page 0).
  WorkMode CurrentMode() const;
  void Btn_AddClick();
  void Btn_AddALLClick();
  void Btn_RemoveClick();
  void Btn_ClearClick();
  void FileDrag1Drop(const QStringList& paths);

  // "OK": runs the checked mode over the work list.
  void ButtOkClick();
  // The slide show over the work list, on the full-screen form.
  void RunSlideShow();
  // The full-screen form the slide show and "&Full" use.
  void SetFullSlide(class TFullSlide* form);
  // Length of one wait of the slide show (100 ms) and of "&Full" (50 ms);
  // tests shorten them.
  int SlideWaitMs = 100;
  int FullScreenWaitMs = 50;
  TFileDrag& FileDrag1() { return *file_drag_; }

  WindowFeedback& feedback() { return *feedback_; }
  KeyLifetime& keys() { return keys_; }

  // How the key lifetime reaches the window.
  void SetKeyIndicatorsVisible(KeyPage page, bool visible) override;
  void SetKeyGauge(KeyPage page, int progress) override;
  void SetKeyTimerEnabled(bool enabled) override;
  bool IsEncryptPageCurrent() const override;
  void ClearStatusLine() override;
  void DisableViewerButtons() override;
  void ClearViewerPicture() override;
  void RepaintWindow() override;

  // How the slide show reaches the window.
  std::size_t RowCount() const override;
  std::string RowPath(std::size_t i) const override;
  void StepAside() override;
  bool WaitForStop(int rounds) override;
  void PutAway() override;
  TDiskCaps& DiskCaps1() { return disk_caps_; }
  QString DefaultFilter;
  bool FirstActivation = false;

  // The secure viewer (MainWindowViewer.cpp). A click in the file list, on
  // every page.
  void FileList1Click();
  // Decrypts the container into a plain copy in TempFolder, shows it and
  // wipes the copy. False when the file is missing or the password dialog was
  // cancelled, true in every other case.
  bool ViewEncryptedPicture(const QString& path, ViewTarget target = ViewTarget::Viewer);
  void PreviewCheckClick();
  // The path last handed to ViewEncryptedPicture.
  QString CurrentViewerFile() const;

  // The secure launcher (MainWindowLauncher.cpp): restores the container
  // beside itself and offers to open it with its associated program.
  void LaunchEncryptedFile(const QString& path);

 private:
  // How the pages reach the window.
  void SetStatusLine(const QString& text, bool repaint_now) override;
  void SetGauge(int position) override;
  void SetGaugeColor(const QColor& color) override;
  void ShowGauge(bool shown) override;
  QStringList SelectedFiles() const override;
  void SetFileListEnabled(bool enabled) override;
  void FocusFileList() override;
  QString FilterDescription() const override;

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* BuildCryptPage();
  void RestorePosition();
  void SavePosition();
  // The client area's corner less the frame's, kept while the window is in
  // its normal placement, so a maximised window saves its frame's corner.
  void NoteFrameOffset();
  QPoint frame_offset_;
  // Wipes the plain copies an earlier run left in TempFolder.
  void WipeLeftoversOfEarlierRuns();
  // The viewer's steps (MainWindowViewer.cpp).
  void PreviewPicture(const QString& path);

  QStringList arguments_;
  std::unique_ptr<WindowFeedback> feedback_;
  std::unique_ptr<class WindowPictureMessages> picture_messages_;
  std::unique_ptr<class FullScreenShow> full_screen_;
  std::unique_ptr<class WindowBatch> batch_window_;
  std::unique_ptr<BatchDrivers> batch_;
  TFileDrag* file_drag_ = nullptr;

  // Shows "OK" and enables "&Clear" and "&Remove" when the list has rows;
  // hides and disables them when it is empty.
  void UpdateListButtons();
  void SetUpWorkList();
  void AfterListChange();
  TDiskCaps disk_caps_;
  KeyLifetime keys_{*this};
  class FilterBar* filter_bar_ = nullptr;
  class FolderPane* folders_ = nullptr;
  class StatusBar* status_ = nullptr;
  bool closing_ = false;
  bool busy_ = false;
  FlowLock flow_lock_;
  class ViewerPage* viewer_ = nullptr;
  class LauncherPage* launcher_ = nullptr;

 public:
  // Components under their names (objectName is the same).
  QComboBox* FilterComboBox1 = nullptr;
  QToolButton* UpOneLevelBtn = nullptr;
  QSplitter* SplitterWnd1 = nullptr;
  QSplitter* SplitterWnd2 = nullptr;
  QFileSystemModel* folderModel = nullptr;
  QFileSystemModel* fileModel = nullptr;
  QTreeView* PTShellTree1 = nullptr;
  QListView* FileListBox1 = nullptr;
  QWidget* Panel2 = nullptr;
  QLabel* UrlLabel1 = nullptr;
  QPushButton* TransparentButton1 = nullptr;
  QTabWidget* TabNotebook1 = nullptr;
  QRadioButton *RadioEncrypt = nullptr, *RadioDecrypt = nullptr, *RadioWipe = nullptr,
               *RadioSlide = nullptr;
  QPushButton *ButtHelp = nullptr, *Btn_Clear = nullptr, *Add = nullptr, *AddALL = nullptr,
              *Btn_Remove = nullptr, *ButtOk = nullptr;
  QTreeView* files = nullptr;
  TWorkList* filesModel = nullptr;
  QCheckBox* PreviewCheck = nullptr;
  QGroupBox* Viewer1 = nullptr;
  TPMultiMedia* Preview = nullptr;
  // The view's two controls.
  TGIFImage* GIFImage1 = nullptr;
  TPMultiMedia* View_PMultiMedia1 = nullptr;
  QPushButton *View_Butthelp = nullptr, *View_Delete = nullptr, *View_Maximize = nullptr,
              *View_FullScreen = nullptr;
  QToolButton* ButKeyOff = nullptr;
  QProgressBar* GaugeKey = nullptr;
  BlinkLabel* DRLabel2 = nullptr;
  QPushButton* Launch_butthelp = nullptr;
  QToolButton* ButKeyOff2 = nullptr;
  QProgressBar* GaugeKey2 = nullptr;
  BlinkLabel* DRLabel1 = nullptr;
  QLabel* StatusLb = nullptr;
  QLabel* HintLb = nullptr;
  BarGauge* Gauge1 = nullptr;
  LedLamp* LedReady = nullptr;
  LedLamp* LedBusy = nullptr;
  QTimer* Timer1 = nullptr;
};

}  // namespace vls
