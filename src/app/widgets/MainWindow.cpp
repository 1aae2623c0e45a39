#include "app/widgets/MainWindow.h"
#include "app/widgets/LongWork.h"
#include "app/widgets/ShellLayout.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>

#include "app/StartUpChores.h"
#include "app/WindowPosition.h"
#include "app/widgets/AfterFirstPaint.h"
#include "app/widgets/Banner.h"
#include "app/widgets/CryptPage.h"
#include "app/widgets/FileDrag.h"
#include "app/widgets/FilterBar.h"
#include "app/widgets/FolderPane.h"
#include "app/widgets/FullScreenShow.h"
#include "app/widgets/HelpWindow.h"
#include "app/widgets/LauncherPage.h"
#include "app/widgets/MessageBoxes.h"
#include "app/widgets/ShellHints.h"
#include "app/widgets/StartFile.h"
#include "app/widgets/StatusBar.h"
#include "app/widgets/WindowFeedback.h"
#include "app/widgets/WindowPlacement.h"
#include "cipher/Cipher.h"
#include "imaging/picture/PictureState.h"

namespace vls {

TFmainVLS::TFmainVLS(QStringList arguments, QWidget* parent)
    : QWidget(parent),
      arguments_(std::move(arguments)),
      full_screen_(std::make_unique<FullScreenShow>(SlideWaitMs, FullScreenWaitMs)),
      filter_bar_(new FilterBar),
      folders_(new FolderPane),
      tabs_(new QTabWidget),
      status_(new StatusBar),
      timer_(new QTimer(this)) {
  setObjectName("FmainVLS");
  setWindowTitle("MORVANE Veilstore 32-bit v 3.3");
  feedback_ = std::make_unique<WindowFeedback>(*status_, *this);
  viewer_ = new ViewerPage(*this, *feedback_, disk_caps_, keys_, flow_lock_, *full_screen_);
  crypt_ = new CryptPage(*this, *feedback_, disk_caps_, viewer_->Flow(), *full_screen_);
  launcher_ = new LauncherPage(*this, *feedback_, disk_caps_, keys_, flow_lock_);
  auto* banner = new Banner;

  QSplitter* sides = LayOutShell(
      *this, {filter_bar_, folders_, banner, tabs_, crypt_, viewer_, launcher_, status_});
  HintShellControls(*this);

  timer_->setObjectName("Timer1");
  timer_->setInterval(kKeyTimerIntervalMs);
  connect(timer_, &QTimer::timeout, this, [this] { keys_.Timer1Timer(); });
  connect(tabs_, &QTabWidget::currentChanged, this, [this] { TabNotebook1Click(); });
  connect(crypt_, &CryptPage::ModeChanged, this, [this] { TabNotebook1Click(); });
  // A double click on the preview opens the viewer's picture, as it always has.
  connect(crypt_, &CryptPage::PreviewDoubleClicked, viewer_, &ViewerPage::OpenWindowOnce);
  connect(filter_bar_, &FilterBar::MaskChosen, folders_, &FolderPane::SetMask);
  connect(filter_bar_, &FilterBar::UpOneLevelClicked, folders_, &FolderPane::GoUpOneLevel);
  connect(folders_, &FolderPane::FolderShown, filter_bar_, &FilterBar::ShowFolder);
  connect(folders_, &FolderPane::FolderShown, viewer_, &ViewerPage::FolderShown);
  connect(folders_, &FolderPane::FileClicked, this, [this] { FileList1Click(); });
  // The list's highlight follows the viewer's picture; its keys step through them there.
  connect(viewer_, &ViewerPage::Showing, folders_, &FolderPane::HighlightFile);
  folders_->PictureStepsWanted = [this] { return CurrentPage() == kPageViewer; };
  start_file_ = new StartFile(*tabs_, *folders_, *viewer_, *launcher_, [this] {
    return flow_lock_.busy || status_->IsBusy() || full_screen_->Shown();
  });
  connect(folders_, &FolderPane::UnlistedNames, this, [this](int unlisted) {
    status_->SetText(QString("Not listed here: %1 file(s) whose names are not UTF-8 "
                             "(Add All and drops take them)")
                         .arg(unlisted));
  });
  connect(banner, &Banner::HelpClicked, this, [this] { ShowHelp(this, 1000); });
  AddHelpKey(*this, [this] { return PageHelpTopic(CurrentPage()); });
  file_drag_ = new TFileDrag(this);
  file_drag_->OnDrop = [this](TFileDrag& drag) { FileDrag1Drop(drag.NameWithPath()); };

  resize(600, 426);
  placement_ = new WindowPlacement(*this, "FmainVLS");
  placement_->RememberSplitter(*sides);
  placement_->RememberSplitter(*folders_);
  placement_->Restore();
  FormCreate();
}

TFmainVLS::~TFmainVLS() {
  if (!closing_)
    FormClose();
  // The pages go after this object's members: no page switch may reach them.
  tabs_->blockSignals(true);
}

void TFmainVLS::FormCreate() {
  // The chores read and wipe files: the window is painted first, and they
  // run before the user or a file named at start can start any work.
  chores_ = new AfterFirstPaint(*this, [this] { DoStartUpChores(); });
  status_->SetGauge(0);
  status_->SetText(QString());
  // Picture loads report their progress on Gauge1 and keep the window alive;
  // once the program is closing they are told to stop.
  ProgressHook = [this](int percent) {
    if (closing_)
      return 0;
    status_->SetGauge(percent);
    QCoreApplication::processEvents();
    return 1;
  };
  SetFilterText(DefaultFilterText);
  file_drag_->SetEnableDrop(true);
  // Where the user left off, or home at the first start.
  folders_->ShowFolder(StartFolder(ProgramSettings(), "FmainVLS", QDir::homePath()));
}

void TFmainVLS::DoStartUpChores() {
  for (const QString& notice : RunStartUpChores(QCoreApplication::applicationFilePath())) {
    QTimer::singleShot(0, this, [this, notice] { ShowMessage(this, MessageKind::Error, notice); });
  }
}

bool TFmainVLS::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) {
    FormActivate();
  } else if (event->type() == QEvent::Show && !first_activation_) {
    // Where no window manager activates the window (or focus stealing is
    // prevented), the command-line file is still opened once it is shown.
    QTimer::singleShot(0, this, [this] { FormActivate(); });
  }
  return QWidget::event(event);
}

void TFmainVLS::FormActivate() {
  if (first_activation_)
    return;
  first_activation_ = true;
  if (arguments_.isEmpty())
    return;
  chores_->RunNow();
  start_file_->OpenAtStart(arguments_.first());
}

void TFmainVLS::OpenHandedFile(const QString& path) {
  chores_->RunNow();
  start_file_->OpenHanded(path);
}

void TFmainVLS::closeEvent(QCloseEvent* event) {
  FormClose();
  QWidget::closeEvent(event);
}

void TFmainVLS::FormClose() {
  // No picture load may call into a window that is going away.
  closing_ = true;
  ProgressHook = nullptr;
  SaveLastFolder(ProgramSettings(), "FmainVLS", folders_->Folder());
  placement_->Save();
  // Closed before the event loop came back after the first paint: what an
  // earlier run left is still wiped by this one.
  chores_->RunNow();
}

void TFmainVLS::TabNotebook1Click() {
  PageReset();
  const int page = CurrentPage();
  if (page == kPageCrypt) {
    crypt_->Activate();
    return;
  }
  crypt_->Leave();
  if (page == kPageViewer)
    viewer_->Activate();
  else if (page == kPageLauncher)
    launcher_->Activate();
}

void TFmainVLS::PageReset() {
  crypt_->Reset();
  viewer_->Reset();
  launcher_->Reset();
  status_->SetText(QString());
  DropKey();
}

void TFmainVLS::FileList1Click() {
  folders_->FocusList();
  crypt_->ClearPreview();
  const QString path = folders_->CurrentFile();
  if (path.isEmpty())
    return;
  const int page = CurrentPage();
  if (page == kPageViewer)
    viewer_->ViewClicked(path);
  if (page != kPageLauncher)
    crypt_->PreviewClicked(path, page == kPageViewer);
  if (page == kPageLauncher) {
    launcher_->Launch(path);
    ReadyForClicks();
  }
}

void TFmainVLS::FileDrag1Drop(const QStringList& paths) {
  chores_->RunNow();
  const int page = CurrentPage();
  if (page == kPageCrypt)
    crypt_->AddDropped(paths);
  else if (page == kPageViewer)
    viewer_->ViewDropped(paths);
  else
    launcher_->LaunchDropped(paths);
  ReadyForClicks();
}

void TFmainVLS::ReadyForClicks() {
  SetBusy(false);
  folders_->SetListEnabled(true);
  folders_->FocusList();
}

void TFmainVLS::SetFullSlide(TFullSlide* form) {
  full_screen_->SetForm(form);
}

bool TFmainVLS::ViewEncryptedPicture(const QString& path, ViewTarget target) {
  chores_->RunNow();
  return viewer_->View(path, target);
}

QString TFmainVLS::CurrentViewerFile() const {
  return viewer_->CurrentFile();
}

int TFmainVLS::CurrentPage() const {
  return tabs_->currentIndex();
}

QString TFmainVLS::FileListMask() const {
  return folders_->Mask();
}

void TFmainVLS::SetFilterText(const QString& text) {
  filter_bar_->SetFilterText(text);
}

QString TFmainVLS::FileListFolder() const {
  return folders_->Folder();
}

void TFmainVLS::SetFileListFolder(const QString& folder) {
  folders_->SetFolder(folder);
}

void TFmainVLS::SetStatusLine(const QString& text, bool repaint_now) {
  status_->SetText(text);
  if (repaint_now)
    status_->RepaintText();
}

void TFmainVLS::SetBusy(bool busy) {
  status_->SetBusy(busy);
}

void TFmainVLS::SetCancellable(bool on) {
  long_work_.reset();
  if (on)
    long_work_ = std::make_unique<LongWork>(*this, status_->CancelButton());
}

void TFmainVLS::SetGauge(int position) {
  status_->SetGauge(position);
}

void TFmainVLS::SetGaugeColor(const QColor& color) {
  status_->SetGaugeColor(color);
}

void TFmainVLS::ShowGauge(bool shown) {
  status_->ShowGauge(shown);
}

QStringList TFmainVLS::SelectedFiles() const {
  return folders_->SelectedFiles();
}

void TFmainVLS::SetFileListEnabled(bool enabled) {
  folders_->SetListEnabled(enabled);
}

void TFmainVLS::FocusFileList() {
  folders_->FocusList();
}

void TFmainVLS::RereadFileList() {
  folders_->Reread();
}

QString TFmainVLS::FilterDescription() const {
  return filter_bar_->Description();
}

void TFmainVLS::SetFileListMask(const QString& mask) {
  folders_->SetMask(mask);
}

void TFmainVLS::SetKeyTimerEnabled(bool enabled) {
  // Enabling a running timer leaves its phase alone, as a use must not restart it.
  if (!enabled)
    timer_->stop();
  else if (!timer_->isActive())
    timer_->start();
}

void TFmainVLS::ClearViewerPicture() {
  viewer_->ClearPicture();
}

void TFmainVLS::SetKeyIndicatorsVisible(KeyPage page, bool visible) {
  if (page == KeyPage::Viewer)
    viewer_->SetKeyIndicatorsVisible(visible);
  else
    launcher_->SetKeyIndicatorsVisible(visible);
}

void TFmainVLS::SetKeyGauge(KeyPage page, int progress) {
  if (page == KeyPage::Viewer)
    viewer_->SetKeyGauge(progress);
  else
    launcher_->SetKeyGauge(progress);
}

bool TFmainVLS::IsEncryptPageCurrent() const {
  return CurrentPage() == kPageCrypt;
}

void TFmainVLS::ClearStatusLine() {
  status_->SetText(QString());
}

void TFmainVLS::DisableViewerButtons() {
  viewer_->DisableButtons();
}

void TFmainVLS::RepaintWindow() {
  repaint();
}

}  // namespace vls
