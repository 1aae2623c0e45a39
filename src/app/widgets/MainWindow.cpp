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
#include "app/widgets/FileDrag.h"
#include "app/widgets/HelpWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "app/widgets/NameDelegate.h"
#include "app/widgets/StatusControls.h"
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

const char* const DefaultFilterText =
    "All Files (*.*)|*.*|All Picture "
    "Files|*.JPG;*.GIF;*.TIF;*.PNG;*.PCX;*.BMP;*.ICO;*.WMF|JPEG (*.jpg)|*.JPG|Windows "
    "(*.bmp)|*.BMP|GIF (*.gif)|*.GIF|PCX (*.pcx)|*.PCX|TIFF (*.tif)|*.TIF|PNG (*.png)|*.PNG";

namespace {

const QString kApplicationName = "Veilstore 32-bit v 3.3";
const QColor kNavy(0, 0, 128);
const QColor kMenuColor(0xD4, 0xD0, 0xC8);

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

// A picture control black, fitted with its proportions kept, dithered.
TPMultiMedia* SetUpPicture(TPMultiMedia* control, PictureMessages* messages) {
  control->SetColor(Qt::black);
  control->SetStretchRatio(true);
  control->SetImageDither(true);
  control->SetImageReadRes(LoadResolution::AutoMatic);
  control->SetMessages(messages);
  return control;
}

// Files of a folder whose names are not UTF-8. Qt's directory listing leaves
// such names out, and the file list with it; this walk reads the names as
// bytes. Run once the list has loaded the folder, when its entries are cached.
int CountNamesNotUtf8(const QString& folder) {
  int count = 0;
  TFileIterator walk;
  walk.SetOptions(0);  // bare names of this folder only
  walk.SetRootFolder(PathBytes(folder));
  walk.OnAddFileQuery = [&count](TFileIterator&, const std::string& name, const TFileInfo&,
                                 bool& can_add) {
    count += IsValidUtf8(name) ? 0 : 1;
    can_add = false;
  };
  walk.Execute();
  return count;
}

}  // namespace

// Picture-load failures reach the user through the window's message boxes.
class WindowPictureMessages : public PictureMessages {
 public:
  explicit WindowPictureMessages(QWidget* window) : window_(window) {}
  void ShowError(const QString& text) override { ShowMessage(window_, MessageKind::Error, text); }
  void ShowInformation(const QString& text) override {
    ShowMessage(window_, MessageKind::Information, text);
  }

 private:
  QWidget* window_;
};

TFmainVLS::TFmainVLS(QStringList arguments, QWidget* parent)
    : QWidget(parent),
      arguments_(std::move(arguments)),
      feedback_(std::make_unique<WindowFeedback>(*this)),
      picture_messages_(std::make_unique<WindowPictureMessages>(this)) {
  setObjectName("FmainVLS");
  setWindowTitle("MORVANE " + kApplicationName);

  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);
  auto* top = Named(new QWidget, "PTGroup1");
  top->setFixedHeight(33);
  BuildTopBar(top);
  root->addWidget(top);

  SplitterWnd1 = Named(new QSplitter(Qt::Horizontal), "SplitterWnd1");
  SplitterWnd1->setHandleWidth(3);
  SplitterWnd2 = Named(new QSplitter(Qt::Vertical), "SplitterWnd2");
  SplitterWnd2->setHandleWidth(3);

  folderModel = new QFileSystemModel(this);
  folderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::Drives);
  folderModel->setRootPath("/");
  PTShellTree1 = Named(new QTreeView, "PTShellTree1");
  PTShellTree1->setModel(folderModel);
  for (int column = 1; column < folderModel->columnCount(); ++column)
    PTShellTree1->hideColumn(column);
  PTShellTree1->setHeaderHidden(true);
  PTShellTree1->setRootIsDecorated(false);
  PTShellTree1->setItemDelegate(new NameDelegate(NameDelegate::RowWidth::Name, PTShellTree1));

  fileModel = new QFileSystemModel(this);
  fileModel->setFilter(QDir::Files | QDir::Hidden | QDir::System);
  fileModel->setNameFilterDisables(false);
  FileListBox1 = Named(new QListView, "FileListBox1");
  FileListBox1->setModel(fileModel);
  // Rows as wide as the list, laid out again when it is resized: a long name
  // is drawn without its middle rather than scrolled out of sight.
  FileListBox1->setItemDelegate(new NameDelegate(NameDelegate::RowWidth::View, FileListBox1));
  FileListBox1->setResizeMode(QListView::Adjust);
  connect(fileModel, &QFileSystemModel::directoryLoaded, this, [this](const QString& folder) {
    if (QDir::cleanPath(folder) != QDir::cleanPath(folder_))
      return;
    if (const int unlisted = CountNamesNotUtf8(folder); unlisted > 0) {
      HintLb->setText(QString("Not listed here: %1 file(s) whose names are not UTF-8 "
                              "(Add All and drops take them)")
                          .arg(unlisted));
    }
  });
  FileListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  FileListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);

  SplitterWnd2->addWidget(PTShellTree1);
  SplitterWnd2->addWidget(FileListBox1);
  SplitterWnd2->setSizes({178, 180});
  SplitterWnd1->addWidget(SplitterWnd2);

  auto* right = new QWidget;
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->setSpacing(0);
  rightLayout->addWidget(BuildBanner());
  TabNotebook1 = Named(new QTabWidget, "TabNotebook1");
  TabNotebook1->addTab(BuildCryptPage(), "En&crypt/Decrypt");
  TabNotebook1->addTab(BuildViewerPage(), "&Viewer");
  TabNotebook1->addTab(BuildLauncherPage(), "&Launcher");
  rightLayout->addWidget(TabNotebook1, 1);
  SplitterWnd1->addWidget(right);
  SplitterWnd1->setSizes({174, 426});
  SplitterWnd1->setStretchFactor(1, 1);
  root->addWidget(SplitterWnd1, 1);
  root->addWidget(BuildStatusBar());

  Timer1 = Named(new QTimer(this), "Timer1");
  Timer1->setInterval(kKeyTimerIntervalMs);
  connect(Timer1, &QTimer::timeout, this, [this] { keys_.Timer1Timer(); });
  connect(ButKeyOff, &QToolButton::clicked, this, [this] { keys_.ButKeyOffClick(); });
  connect(ButKeyOff2, &QToolButton::clicked, this, [this] { keys_.ButKeyOffClick(); });

  connect(TabNotebook1, &QTabWidget::currentChanged, this, [this] { TabNotebook1Click(); });
  for (QRadioButton* radio : {RadioEncrypt, RadioDecrypt, RadioWipe, RadioSlide}) {
    // Only a real change of mode resets the page: a click on the mode that
    // is already checked keeps the gathered list.
    connect(radio, &QRadioButton::toggled, this, [this](bool checked) {
      if (checked)
        TabNotebook1Click();
    });
  }
  connect(FilterComboBox1, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    filter_.Select(index);
    FilterComboBox1Change();
  });
  connect(PTShellTree1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { PTShellTree1Change(); });
  connect(UpOneLevelBtn, &QToolButton::clicked, this, [this] { UpOneLevelBtnClick(); });
  connect(ButtHelp, &QPushButton::clicked, this, [this] { ButHelpClick(); });
  connect(TransparentButton1, &QPushButton::clicked, this, [this] { ButHelpClick(); });
  connect(View_Butthelp, &QPushButton::clicked, this, [this] { View_ButthelpClick(); });
  connect(Launch_butthelp, &QPushButton::clicked, this, [this] { Launch_butthelpClick(); });
  connect(PreviewCheck, &QCheckBox::toggled, this, [this] { PreviewCheckClick(); });
  connect(FileListBox1, &QListView::clicked, this, [this] { FileList1Click(); });
  connect(View_Delete, &QPushButton::clicked, this, [this] { View_DeleteClick(); });

  SetUpWorkList();
  SetUpViewing();
  SetUpPictureWindows();
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

void TFmainVLS::BuildTopBar(QWidget* parent) {
  auto* layout = new QHBoxLayout(parent);
  layout->setContentsMargins(4, 3, 4, 3);
  FilterComboBox1 = Named(new QComboBox, "FilterComboBox1");
  FilterComboBox1->setMinimumWidth(166);
  UpOneLevelBtn = Named(new QToolButton, "UpOneLevelBtn");
  UpOneLevelBtn->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
  UpOneLevelBtn->setAutoRaise(true);
  layout->addWidget(FilterComboBox1);
  layout->addWidget(UpOneLevelBtn);
  layout->addStretch(1);
}

QWidget* TFmainVLS::BuildBanner() {
  Panel2 = Named(new QWidget, "Panel2");
  Panel2->setFixedHeight(64);
  Panel2->setAutoFillBackground(true);
  QPalette palette = Panel2->palette();
  palette.setColor(QPalette::Window, Qt::black);
  palette.setColor(QPalette::WindowText, Qt::white);
  Panel2->setPalette(palette);
  auto* layout = new QHBoxLayout(Panel2);
  layout->setContentsMargins(10, 4, 10, 4);
  auto* logo = Named(new QLabel("<b><i>MORVANE</i></b> Veilstore"), "TransparentButton2");
  logo->setStyleSheet("color: #d0d8ff; font-size: 16pt;");
  UrlLabel1 = Named(new QLabel("<a style=\"color:#7fb2ff\" href=\"https://veilstore.invalid/\">"
                               "veilstore.invalid</a>"),
                    "UrlLabel1");
  UrlLabel1->setOpenExternalLinks(true);
  TransparentButton1 = Named(new QPushButton("?"), "TransparentButton1");
  TransparentButton1->setFlat(true);
  TransparentButton1->setFixedSize(32, 32);
  TransparentButton1->setStyleSheet("color: white; font-weight: bold; font-size: 14pt;");
  layout->addWidget(logo);
  layout->addStretch(1);
  layout->addWidget(UrlLabel1);
  layout->addWidget(TransparentButton1);
  return Panel2;
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
  Preview = SetUpPicture(Named(new TPMultiMedia, "Preview"), picture_messages_.get());
  viewerLayout->addWidget(Preview);
  Viewer1->move(150, 140);
  Viewer1->hide();
  return page;
}

QWidget* TFmainVLS::BuildViewerPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* middle = new QHBoxLayout;
  auto* panel = Named(new QGroupBox("Secure Viewer"), "ViewerPanel");
  auto* panelLayout = new QGridLayout(panel);
  panelLayout->setContentsMargins(4, 4, 4, 4);
  View_Picture = new PictureView("View_PMultiMedia1", "GIFImage1");
  View_PMultiMedia1 = SetUpPicture(View_Picture->Still(), picture_messages_.get());
  GIFImage1 = View_Picture->Animation();
  GIFImage1->SetAnimate(true);
  GIFImage1->SetLoop(true);
  GIFImage1->SetStretch(true);
  GIFImage1->SetCenter(true);
  // The first frame of an animation is the picture "&Window" and "&Full" show.
  View_Picture->SetFirstFrameAsStill(true);
  panelLayout->addWidget(View_Picture, 0, 0);
  middle->addWidget(panel, 1);
  auto* column = new QVBoxLayout;
  View_Butthelp = Button("&Help", "View_Butthelp");
  View_Delete = Button("&Delete", "View_Delete", "Delete Picture");
  View_Maximize = Button("&Window", "View_Maximize", "Put Image in a Window");
  View_FullScreen = Button("&Full", "View_FullScreen", "Full Screen");
  for (auto* button : {View_Delete, View_Maximize, View_FullScreen})
    button->setEnabled(false);
  for (auto* button : {View_Butthelp, View_Delete, View_Maximize, View_FullScreen}) {
    column->addWidget(button);
  }
  column->addStretch(1);
  ButKeyOff = MakeKeyOffButton("ButKeyOff", nullptr);
  GaugeKey = new TKeyGauge("GaugeKey");
  column->addWidget(ButKeyOff, 0, Qt::AlignHCenter);
  column->addWidget(GaugeKey, 0, Qt::AlignHCenter);
  middle->addLayout(column);
  layout->addLayout(middle, 1);
  DRLabel2 = Named(new BlinkLabel("Click on an encrypted picture (.VLP) to view it."), "DRLabel2");
  layout->addWidget(DRLabel2);
  return page;
}

QWidget* TFmainVLS::BuildLauncherPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* middle = new QHBoxLayout;
  auto* panel = Named(new QGroupBox("Secure Launcher"), "LauncherPanel");
  auto* panelLayout = new QVBoxLayout(panel);
  auto* explanation = new QLabel(
      "The file is restored beside the encrypted one and opened with the program "
      "associated with its type. Encrypt it again when you are done.");
  explanation->setWordWrap(true);
  panelLayout->addWidget(explanation);
  panelLayout->addStretch(1);
  middle->addWidget(panel, 1);
  auto* column = new QVBoxLayout;
  Launch_butthelp = Button("&Help", "Launch_butthelp");
  column->addWidget(Launch_butthelp);
  column->addStretch(1);
  ButKeyOff2 = MakeKeyOffButton("ButKeyOff2", nullptr);
  GaugeKey2 = new TKeyGauge("GaugeKey2");
  column->addWidget(ButKeyOff2, 0, Qt::AlignHCenter);
  column->addWidget(GaugeKey2, 0, Qt::AlignHCenter);
  middle->addLayout(column);
  layout->addLayout(middle, 1);
  DRLabel1 =
      Named(new BlinkLabel("Click on an encrypted file to launch it. (.VLP or .VLD)"), "DRLabel1");
  layout->addWidget(DRLabel1);
  return page;
}

QWidget* TFmainVLS::BuildStatusBar() {
  auto* bar = Named(new QWidget, "StatusPn");
  bar->setFixedHeight(25);
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(4, 2, 4, 2);
  StatusLb = Named(new QLabel("Status:"), "StatusLb");
  HintLb = Named(new StatusLine, "HintLb");
  for (QLabel* label : {StatusLb, HintLb}) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, kNavy);
    label->setPalette(p);
  }
  HintLb->setMinimumWidth(60);
  HintLb->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  Gauge1 = Named(new BarGauge(100, Qt::yellow, palette().color(QPalette::Button)), "Gauge1");
  Gauge1->setFixedSize(128, 16);
  LedReady = Named(new LedLamp(Qt::green), "LedReady");
  LedReady->setToolTip("Green LED ON when READY");
  LedReady->setOn(true);
  LedBusy = Named(new LedLamp(Qt::red), "LedBusy");
  LedBusy->setToolTip("Red LED ON when BUSY");
  layout->addWidget(StatusLb);
  layout->addWidget(HintLb, 1);
  layout->addWidget(Gauge1);
  layout->addWidget(LedReady);
  layout->addWidget(LedBusy);
  return bar;
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
  ShowFolderInTree(QCoreApplication::applicationDirPath());
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
    SetFilterText("EnCrypted Pics(*.VLP)|*.VLP");
    ViewEncryptedPicture(path, ViewTarget::Viewer);
    // A still picture also opens in a picture window of its own.
    if (View_Maximize->isEnabled())
      View_MaximizeClick();
  } else if (extension == "VLD") {
    const QSignalBlocker blocker(TabNotebook1);
    TabNotebook1->setCurrentIndex(kPageLauncher);
    SetFilterText("EnCrypted Data(*.VLD)|*.VLD");
    LaunchEncryptedFile(path);
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
  View_Picture->Clear();
  Preview->SetMediaName(QString());
  HintLb->clear();
  View_Maximize->setEnabled(false);
  View_Delete->setEnabled(false);
  View_FullScreen->setEnabled(false);
  DropKey();
  Btn_Clear->setEnabled(false);
  Btn_Remove->setEnabled(false);
  ButtOk->hide();
  keys_.HideIndicators();
}

void TFmainVLS::SetKeyIndicatorsVisible(KeyPage page, bool visible) {
  const bool viewer = page == KeyPage::Viewer;
  (viewer ? static_cast<QWidget*>(ButKeyOff) : ButKeyOff2)->setVisible(visible);
  (viewer ? GaugeKey : GaugeKey2)->setVisible(visible);
}

void TFmainVLS::SetKeyGauge(KeyPage page, int progress) {
  (page == KeyPage::Viewer ? GaugeKey : GaugeKey2)->setValue(progress);
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
  View_Maximize->setEnabled(false);
  View_Delete->setEnabled(false);
  View_FullScreen->setEnabled(false);
}

void TFmainVLS::ClearViewerPicture() {
  // The frames of a hidden animation are the picture too: they go with it.
  View_Picture->Clear();
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
    SetKeyTimerEnabled(true);
    Viewer1->hide();
    SetFilterText("EnCrypted Pics(*.VLP)|*.VLP");
    SetFileListMask("*.VLP");
    PreviewCheck->hide();
  } else if (page == kPageLauncher) {
    SetKeyTimerEnabled(true);
    Viewer1->hide();
    SetFilterText("EnCrypted Files(*.VLD;*.VLP)|*.VLD;*.VLP");
    SetFileListMask("*.VLD;*.VLP");
    PreviewCheck->hide();
  }
}

void TFmainVLS::SetFilterText(const QString& text) {
  if (!filter_.SetText(text.toStdString()))
    return;
  FilterComboBox1->clear();
  for (const auto& entry : filter_.entries()) {
    FilterComboBox1->addItem(QString::fromStdString(entry.description));
  }
  FilterComboBox1->setCurrentIndex(filter_.selected());
  FilterComboBox1Change();
}

void TFmainVLS::FilterComboBox1Change() {
  if (filter_.selected() < 0)
    filter_.Select(-1);
  SetFileListMask(QString::fromStdString(filter_.SelectedMask()));
}

void TFmainVLS::SetFileListMask(const QString& mask) {
  mask_ = mask;
  QStringList patterns;
  for (const auto& pattern : FilterList::SplitMask(mask.toStdString())) {
    // "*.*" means every file, also those without a dot in their name.
    patterns << (pattern == "*.*" ? QString("*") : QString::fromStdString(pattern));
  }
  fileModel->setNameFilters(patterns);
}

QString TFmainVLS::FileListFolder() const {
  return folder_;
}

void TFmainVLS::SetFileListFolder(const QString& folder) {
  if (folder.isEmpty() || folder.compare(folder_, Qt::CaseInsensitive) == 0)
    return;
  folder_ = folder;
  FileListBox1->setRootIndex(fileModel->setRootPath(folder));
}

void TFmainVLS::RereadFileList() {
  const QString folder = folder_;
  folder_.clear();
  fileModel->setRootPath(QString());
  SetFileListFolder(folder);
}

void TFmainVLS::ShowFolderInTree(const QString& folder) {
  const QModelIndex index = folderModel->index(folder);
  if (!index.isValid())
    return;
  PTShellTree1->setCurrentIndex(index);
  SetFileListFolder(folder);
  PTShellTree1->scrollTo(index);
}

void TFmainVLS::PTShellTree1Change() {
  const QModelIndex index = PTShellTree1->currentIndex();
  if (!index.isValid())
    return;
  SetFileListFolder(folderModel->filePath(index));
}

void TFmainVLS::UpOneLevelBtnClick() {
  const QModelIndex index = PTShellTree1->currentIndex();
  if (!index.isValid() || !index.parent().isValid())
    return;
  PTShellTree1->setCurrentIndex(index.parent());
}

int TFmainVLS::CurrentPage() const {
  return TabNotebook1->currentIndex();
}

void TFmainVLS::SetBusy(bool busy) {
  LedBusy->setOn(busy);
  LedReady->setOn(!busy);
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
void TFmainVLS::View_ButthelpClick() {
  ShowHelp(this, 1080);
}
void TFmainVLS::Launch_butthelpClick() {
  ShowHelp(this, 1090);
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

}  // namespace vls
