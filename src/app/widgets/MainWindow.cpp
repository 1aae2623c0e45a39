#include "app/widgets/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/DesktopShortcut.h"
#include "app/FileIterator.h"
#include "app/WindowPosition.h"
#include "app/widgets/Banner.h"
#include "app/widgets/FileDrag.h"
#include "app/widgets/FilterBar.h"
#include "app/widgets/FolderPane.h"
#include "app/widgets/FullScreenShow.h"
#include "app/widgets/HelpWindow.h"
#include "app/widgets/LauncherPage.h"
#include "app/widgets/MessageBoxes.h"
#include "app/widgets/NameDelegate.h"
#include "app/widgets/PageParts.h"
#include "app/widgets/StatusBar.h"
#include "app/widgets/StatusControls.h"
#include "app/widgets/ViewerPage.h"
#include "app/widgets/WindowBatch.h"
#include "app/widgets/WindowFeedback.h"
#include "cipher/Cipher.h"
#include "imaging/picture/PictureState.h"
#include "imaging/widgets/GIFImage.h"
#include "imaging/widgets/PMultiMedia.h"
#include "imaging/widgets/PictureView.h"
#include "platform/AnsiText.h"
#include "protect/Batch.h"
#include "protect/ProtectState.h"
#include "viewing/widgets/KeyIndicators.h"

namespace vls {

namespace {

const QString kApplicationName = "Veilstore 32-bit v 3.3";

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QPushButton* Button(const QString& text, const char* name, const QString& hint = QString()) {
  auto* button = Named(new QPushButton(text), name);
  if (!hint.isEmpty())
    button->setToolTip(hint);
  button->setMinimumWidth(76);
  return button;
}

}  // namespace

TFmainVLS::TFmainVLS(QStringList arguments, QWidget* parent)
    : QWidget(parent),
      arguments_(std::move(arguments)),
      picture_messages_(std::make_unique<WindowPictureMessages>(*this)) {
  setObjectName("FmainVLS");
  setWindowTitle("MORVANE " + kApplicationName);

  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);
  filter_bar_ = new FilterBar;
  root->addWidget(filter_bar_);

  SplitterWnd1 = Named(new QSplitter(Qt::Horizontal), "SplitterWnd1");
  SplitterWnd1->setHandleWidth(3);
  folders_ = new FolderPane;
  SplitterWnd1->addWidget(folders_);

  auto* right = new QWidget;
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->setSpacing(0);
  auto* banner = new Banner;
  rightLayout->addWidget(banner);
  status_ = new StatusBar;
  feedback_ = std::make_unique<WindowFeedback>(*status_, *this);
  full_screen_ = std::make_unique<FullScreenShow>(SlideWaitMs, FullScreenWaitMs);
  viewer_ = new ViewerPage(*this, *feedback_, disk_caps_, keys_, flow_lock_, *full_screen_);
  launcher_ = new LauncherPage(*this, *feedback_, disk_caps_, keys_, flow_lock_);
  TabNotebook1 = Named(new QTabWidget, "TabNotebook1");
  TabNotebook1->addTab(BuildCryptPage(), "En&crypt/Decrypt");
  TabNotebook1->addTab(viewer_, "&Viewer");
  TabNotebook1->addTab(launcher_, "&Launcher");
  rightLayout->addWidget(TabNotebook1, 1);
  SplitterWnd1->addWidget(right);
  SplitterWnd1->setSizes({174, 426});
  SplitterWnd1->setStretchFactor(1, 1);
  root->addWidget(SplitterWnd1, 1);
  root->addWidget(status_);

  // The controls under their names, until the pages own them.
  FilterComboBox1 = findChild<QComboBox*>("FilterComboBox1");
  UpOneLevelBtn = findChild<QToolButton*>("UpOneLevelBtn");
  SplitterWnd2 = folders_;
  PTShellTree1 = findChild<QTreeView*>("PTShellTree1");
  FileListBox1 = findChild<QListView*>("FileListBox1");
  folderModel = qobject_cast<QFileSystemModel*>(PTShellTree1->model());
  fileModel = qobject_cast<QFileSystemModel*>(FileListBox1->model());
  Panel2 = banner;
  UrlLabel1 = findChild<QLabel*>("UrlLabel1");
  TransparentButton1 = findChild<QPushButton*>("TransparentButton1");
  StatusLb = findChild<QLabel*>("StatusLb");
  HintLb = findChild<QLabel*>("HintLb");
  Gauge1 = findChild<BarGauge*>("Gauge1");
  LedReady = findChild<LedLamp*>("LedReady");
  LedBusy = findChild<LedLamp*>("LedBusy");
  Launch_butthelp = findChild<QPushButton*>("Launch_butthelp");
  ButKeyOff2 = findChild<QToolButton*>("ButKeyOff2");
  GaugeKey2 = findChild<QProgressBar*>("GaugeKey2");
  DRLabel1 = findChild<BlinkLabel*>("DRLabel1");
  GIFImage1 = findChild<TGIFImage*>("GIFImage1");
  View_PMultiMedia1 = findChild<TPMultiMedia*>("View_PMultiMedia1");
  View_Butthelp = findChild<QPushButton*>("View_Butthelp");
  View_Delete = findChild<QPushButton*>("View_Delete");
  View_Maximize = findChild<QPushButton*>("View_Maximize");
  View_FullScreen = findChild<QPushButton*>("View_FullScreen");
  ButKeyOff = findChild<QToolButton*>("ButKeyOff");
  GaugeKey = findChild<QProgressBar*>("GaugeKey");
  DRLabel2 = findChild<BlinkLabel*>("DRLabel2");

  connect(folders_, &FolderPane::UnlistedNames, this, [this](int unlisted) {
    status_->SetText(QString("Not listed here: %1 file(s) whose names are not UTF-8 "
                             "(Add All and drops take them)")
                         .arg(unlisted));
  });
  connect(filter_bar_, &FilterBar::MaskChosen, folders_, &FolderPane::SetMask);
  connect(filter_bar_, &FilterBar::UpOneLevelClicked, folders_, &FolderPane::GoUpOneLevel);
  connect(banner, &Banner::HelpClicked, this, [this] { ButHelpClick(); });
  connect(folders_, &FolderPane::FileClicked, this, [this] { FileList1Click(); });

  Timer1 = Named(new QTimer(this), "Timer1");
  Timer1->setInterval(kKeyTimerIntervalMs);
  connect(Timer1, &QTimer::timeout, this, [this] { keys_.Timer1Timer(); });

  connect(TabNotebook1, &QTabWidget::currentChanged, this, [this] { TabNotebook1Click(); });
  for (QRadioButton* radio : {RadioEncrypt, RadioDecrypt, RadioWipe, RadioSlide}) {
    // Only a real change of mode resets the page: a click on the mode that
    // is already checked keeps the gathered list.
    connect(radio, &QRadioButton::toggled, this, [this](bool checked) {
      if (checked)
        TabNotebook1Click();
    });
  }
  connect(ButtHelp, &QPushButton::clicked, this, [this] { ButHelpClick(); });
  connect(PreviewCheck, &QCheckBox::toggled, this, [this] { PreviewCheckClick(); });

  SetUpWorkList();
  connect(Preview, &TPMultiMedia::OnDblClick, viewer_, &ViewerPage::OpenWindowOnce);
  file_drag_ = new TFileDrag(this);
  file_drag_->OnDrop = [this](TFileDrag& drag) { FileDrag1Drop(drag.NameWithPath()); };

  resize(600, 426);
  RestorePosition();
  FormCreate();
}

TFmainVLS::~TFmainVLS() {
  if (!closing_)
    FormClose();
}

QWidget* TFmainVLS::BuildCryptPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* modes = new QHBoxLayout;
  RadioEncrypt = Named(new QRadioButton("&Encrypt"), "RadioEncrypt");
  RadioDecrypt = Named(new QRadioButton("&Decrypt"), "RadioDecrypt");
  RadioWipe = Named(new QRadioButton("&Wipe"), "RadioWipe");
  RadioSlide = Named(new QRadioButton("&Slide Show"), "RadioSlide");
  RadioEncrypt->setChecked(true);
  for (auto* radio : {RadioEncrypt, RadioDecrypt, RadioWipe, RadioSlide})
    modes->addWidget(radio);
  modes->addStretch(1);
  layout->addLayout(modes);

  auto* middle = new QHBoxLayout;
  filesModel = new TWorkList(this);
  files = Named(new QTreeView, "files");
  files->setModel(filesModel);
  files->setItemDelegate(new NameDelegate(NameDelegate::RowWidth::Name, files));
  files->setRootIsDecorated(false);
  files->setSelectionMode(QAbstractItemView::ExtendedSelection);
  files->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // The first three columns are as wide as their headers, the path as its contents.
  files->header()->setStretchLastSection(false);
  for (int column = 0; column < 3; ++column) {
    files->header()->resizeSection(column, files->header()->sectionSizeHint(column));
  }
  files->header()->setSectionResizeMode(3, QHeaderView::ResizeToContents);
  files->setUniformRowHeights(true);
  middle->addWidget(files, 1);
  auto* column = new QVBoxLayout;
  ButtHelp = Button("&Help", "ButtHelp");
  Btn_Clear = Button("&Clear", "Btn_Clear", "Clear List");
  Add = Button("&Add", "Add", "Add a file to the list");
  AddALL = Button("Add A&ll", "AddALL", "Add ALL files to the list");
  Btn_Remove = Button("&Remove", "Btn_Remove", "Remove a File from the list");
  Btn_Clear->setEnabled(false);
  Btn_Remove->setEnabled(false);
  for (auto* button : {ButtHelp, Btn_Clear, Add, AddALL, Btn_Remove})
    column->addWidget(button);
  column->addStretch(1);
  middle->addLayout(column);
  layout->addLayout(middle, 1);

  auto* bottom = new QHBoxLayout;
  PreviewCheck = Named(new QCheckBox("View &Pictures"), "PreviewCheck");
  ButtOk = Button("OK", "ButtOk");
  ButtOk->hide();
  bottom->addWidget(PreviewCheck);
  bottom->addStretch(1);
  bottom->addWidget(ButtOk);
  layout->addLayout(bottom);

  // The preview floats over the page, in the lower right of the list.
  Viewer1 = Named(new QGroupBox("Viewer", page), "Viewer1");
  Viewer1->setFixedSize(139, 120);
  auto* viewerLayout = new QVBoxLayout(Viewer1);
  viewerLayout->setContentsMargins(3, 3, 3, 3);
  Preview = Named(new TPMultiMedia, "Preview");
  SetUpPicture(*Preview, *picture_messages_);
  viewerLayout->addWidget(Preview);
  Viewer1->move(150, 140);
  Viewer1->hide();
  return page;
}

void TFmainVLS::FormCreate() {
  HintLb->clear();
  InitFolders();  // WindowsFolder and TempFolder of this user
  WipeLeftoversOfEarlierRuns();
  if (const QString failure = PlaceDesktopShortcutOnce(QCoreApplication::applicationFilePath());
      !failure.isEmpty()) {
    // Told once the window is up; the start-up steps after it go on.
    QTimer::singleShot(0, this, [this, failure] {
      ShowMessage(this, MessageKind::Error, "The desktop shortcut could not be placed: " + failure);
    });
  }
  Gauge1->setValue(0);
  HintLb->clear();
  // Picture loads report their progress on Gauge1 and keep the window alive;
  // once the program is closing they are told to stop.
  ProgressHook = [this](int percent) {
    if (closing_)
      return 0;
    Gauge1->setValue(percent);
    QCoreApplication::processEvents();
    return 1;
  };
  SetFilterText(DefaultFilterText);
  DefaultFilter = DefaultFilterText;
  file_drag_->SetEnableDrop(true);
  folders_->ShowFolder(QCoreApplication::applicationDirPath());
}

bool TFmainVLS::event(QEvent* event) {
  if (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
      event->type() == QEvent::Show) {
    NoteFrameOffset();
  }
  if (event->type() == QEvent::WindowActivate) {
    FormActivate();
  } else if (event->type() == QEvent::Show && !FirstActivation) {
    // Where no window manager activates the window (or focus stealing is
    // prevented), the command-line file is still opened once it is shown.
    QTimer::singleShot(0, this, [this] { FormActivate(); });
  }
  return QWidget::event(event);
}

void TFmainVLS::FormActivate() {
  if (FirstActivation)
    return;
  FirstActivation = true;
  if (arguments_.isEmpty())
    return;
  const QString path = arguments_.first();
  const QString extension = QFileInfo(path).suffix().toUpper();
  if (extension == "VLP") {
    const QSignalBlocker blocker(TabNotebook1);
    TabNotebook1->setCurrentIndex(kPageViewer);
    viewer_->OpenNamed(path);
  } else if (extension == "VLD") {
    const QSignalBlocker blocker(TabNotebook1);
    TabNotebook1->setCurrentIndex(kPageLauncher);
    launcher_->OpenNamed(path);
  }
}

void TFmainVLS::closeEvent(QCloseEvent* event) {
  FormClose();
  QWidget::closeEvent(event);
}

void TFmainVLS::FormClose() {
  // No picture load may call into a window that is going away.
  closing_ = true;
  ProgressHook = nullptr;
  SavePosition();
}

void TFmainVLS::PageReset() {
  filesModel->Clear();
  viewer_->Reset();
  Preview->SetMediaName(QString());
  HintLb->clear();
  DropKey();
  Btn_Clear->setEnabled(false);
  Btn_Remove->setEnabled(false);
  ButtOk->hide();
  launcher_->Reset();
  keys_.HideIndicators();
}

void TFmainVLS::SetKeyIndicatorsVisible(KeyPage page, bool visible) {
  if (page == KeyPage::Launcher) {
    launcher_->SetKeyIndicatorsVisible(visible);
    return;
  }
  viewer_->SetKeyIndicatorsVisible(visible);
}

void TFmainVLS::SetKeyGauge(KeyPage page, int progress) {
  if (page == KeyPage::Launcher)
    launcher_->SetKeyGauge(progress);
  else
    viewer_->SetKeyGauge(progress);
}

void TFmainVLS::SetKeyTimerEnabled(bool enabled) {
  // Enabling a running timer leaves its phase alone, as a use must not restart it.
  if (!enabled) {
    Timer1->stop();
  } else if (!Timer1->isActive()) {
    Timer1->start();
  }
}

bool TFmainVLS::IsEncryptPageCurrent() const {
  return CurrentPage() == kPageCrypt;
}
void TFmainVLS::ClearStatusLine() {
  HintLb->clear();
}

void TFmainVLS::DisableViewerButtons() {
  viewer_->DisableButtons();
}

void TFmainVLS::ClearViewerPicture() {
  viewer_->ClearPicture();
}

void TFmainVLS::RepaintWindow() {
  repaint();
}

void TFmainVLS::TabNotebook1Click() {
  PageReset();
  const int page = CurrentPage();
  if (page == kPageCrypt) {
    Timer1->stop();
    if (PreviewCheck->isChecked())
      Viewer1->show();
    if (RadioEncrypt->isChecked() || RadioWipe->isChecked()) {
      SetFilterText(DefaultFilter);
      PreviewCheck->show();
    } else if (RadioDecrypt->isChecked()) {
      SetFilterText("EnCrypted Files(*.VLP,*.VLD)|*.VLP;*.VLD");
      SetFileListMask("*.VLP;*.VLD");
      PreviewCheck->hide();
      Viewer1->hide();
    } else if (RadioSlide->isChecked()) {
      SetFilterText("EnCrypted Pictures(*.VLP)|*.VLP");
      SetFileListMask("*.VLP");
      PreviewCheck->hide();
      Viewer1->hide();
    }
  } else if (page == kPageViewer) {
    Viewer1->hide();
    PreviewCheck->hide();
    viewer_->Activate();
  } else if (page == kPageLauncher) {
    Viewer1->hide();
    PreviewCheck->hide();
    launcher_->Activate();
  }
}

void TFmainVLS::SetFilterText(const QString& text) {
  filter_bar_->SetFilterText(text);
}

void TFmainVLS::SetFileListMask(const QString& mask) {
  folders_->SetMask(mask);
}

QString TFmainVLS::FileListMask() const {
  return folders_->Mask();
}

QString TFmainVLS::FileListFolder() const {
  return folders_->Folder();
}

void TFmainVLS::SetFileListFolder(const QString& folder) {
  folders_->SetFolder(folder);
}

void TFmainVLS::RereadFileList() {
  folders_->Reread();
}

void TFmainVLS::UpOneLevelBtnClick() {
  folders_->GoUpOneLevel();
}

int TFmainVLS::CurrentPage() const {
  return TabNotebook1->currentIndex();
}

void TFmainVLS::SetBusy(bool busy) {
  status_->SetLamps(busy);
  // The hourglass is pushed once and taken off once, however often a long
  // operation says busy or ready, so no other cursor is ever taken off.
  if (busy == busy_)
    return;
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void TFmainVLS::ButHelpClick() {
  ShowHelp(this, 1000);
}
void TFmainVLS::RestorePosition() {
  // move() places the frame's corner, which is what is saved.
  if (const auto position = LoadWindowPosition(ProgramSettings(), "FmainVLS", pos()))
    move(*position);
}

void TFmainVLS::NoteFrameOffset() {
  if (isVisible() &&
      !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) {
    frame_offset_ = geometry().topLeft() - frameGeometry().topLeft();
  }
}

void TFmainVLS::SavePosition() {
  // The frame's corner of the normal placement. Minimised or maximised, only
  // the normal client area is known: its corner less the frame's border as it
  // was in the normal placement.
  QPoint corner = frameGeometry().topLeft();
  if (isMinimized() || isMaximized() || isFullScreen())
    corner = normalGeometry().topLeft() - frame_offset_;
  SaveWindowPosition(ProgramSettings(), "FmainVLS", corner);
}

void TFmainVLS::SetStatusLine(const QString& text, bool repaint_now) {
  status_->SetText(text);
  if (repaint_now)
    status_->RepaintText();
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

QString TFmainVLS::FilterDescription() const {
  return filter_bar_->Description();
}

}  // namespace vls
