#include "app/widgets/ViewerPage.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/WorkList.h"
#include "app/widgets/ControlHints.h"
#include "app/widgets/FullScreenShow.h"
#include "app/widgets/HelpWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "app/widgets/PageHost.h"
#include "app/widgets/PageParts.h"
#include "app/widgets/StatusControls.h"
#include "cipher/Cipher.h"
#include "imaging/widgets/GIFImage.h"
#include "imaging/widgets/PictureView.h"
#include "platform/desktop/RecycleBin.h"
#include "protect/widgets/Ask.h"
#include "viewing/widgets/KeyIndicators.h"
#include "viewing/widgets/PasswordDialogs.h"
#include "viewing/widgets/ThumbnailStrip.h"
#include "viewing/widgets/WindowView.h"

namespace vls {

ViewerPage::ViewerPage(PageHost& host, Feedback& feedback, VolumeFacts& volumes, KeyLifetime& keys,
                       FlowLock& lock, FullScreenShow& full_screen, QWidget* parent)
    : QWidget(parent),
      host_(host),
      keys_(keys),
      full_screen_(full_screen),
      messages_(std::make_unique<WindowPictureMessages>(*this)),
      picture_(new PictureView("View_PMultiMedia1", "GIFImage1")),
      delete_(PageButton("&Delete", "View_Delete", "Delete Picture")),
      window_button_(PageButton("&Window", "View_Maximize", "Put Image in a Window")),
      full_(PageButton("&Full", "View_FullScreen", "Full Screen")),
      key_off_(MakeKeyOffButton("ButKeyOff", nullptr)),
      key_gauge_(new TKeyGauge("GaugeKey")),
      strip_(new ThumbnailStrip),
      flow_(*this, feedback, volumes, keys, lock) {
  auto* layout = new QVBoxLayout(this);
  auto* middle = new QHBoxLayout;
  auto* panel = new QGroupBox("Secure Viewer");
  panel->setObjectName("ViewerPanel");
  auto* panelLayout = new QGridLayout(panel);
  panelLayout->setContentsMargins(4, 4, 4, 4);
  SetUpPicture(*picture_->Still(), *messages_);
  TGIFImage* animation = picture_->Animation();
  animation->SetAnimate(true);
  animation->SetLoop(true);
  animation->SetStretch(true);
  animation->SetCenter(true);
  // The first frame of an animation is the picture "&Window" and "&Full" show.
  picture_->SetFirstFrameAsStill(true);
  panelLayout->addWidget(picture_, 0, 0);
  middle->addWidget(panel, 1);
  auto* column = new QVBoxLayout;
  auto* help = PageButton("&Help", "View_Butthelp");
  DisableButtons();
  for (QPushButton* button : {help, delete_, window_button_, full_})
    column->addWidget(button);
  column->addStretch(1);
  column->addWidget(key_off_, 0, Qt::AlignHCenter);
  column->addWidget(key_gauge_, 0, Qt::AlignHCenter);
  middle->addLayout(column);
  layout->addLayout(middle, 1);
  layout->addWidget(strip_);
  auto* hint = new BlinkLabel("Click on an encrypted picture (.VLP) to view it.");
  hint->setObjectName("DRLabel2");
  layout->addWidget(hint);

  connect(help, &QPushButton::clicked, this, [this] { ShowHelp(window(), 1080); });
  connect(delete_, &QPushButton::clicked, this, [this] { DeleteShown(); });
  connect(window_button_, &QPushButton::clicked, this, [this] { OpenWindow(); });
  connect(full_, &QPushButton::clicked, this,
          [this] { full_screen_.ShowStill(picture_->StillPicture()); });
  connect(key_off_, &QToolButton::clicked, this, [this] { keys_.ButKeyOffClick(); });
  connect(strip_, &ThumbnailStrip::PictureChosen, this, &ViewerPage::ViewClicked);
  // An animation's double click opens a window each time; a still's at most once.
  connect(picture_, &PictureView::DoubleClicked, this, [this] {
    if (picture_->IsAnimated())
      OpenWindow();
    else
      OpenWindowOnce();
  });
  DescribeControls(*this);
}

ViewerPage::~ViewerPage() = default;

void ViewerPage::Activate() {
  host_.SetKeyTimerEnabled(true);
  host_.SetFilterText("EnCrypted Pics(*.VLP)|*.VLP");
  host_.SetFileListMask("*.VLP");
}

void ViewerPage::Reset() {
  picture_->Clear();
  DisableButtons();
  SetKeyIndicatorsVisible(false);
}

bool ViewerPage::View(const QString& path, ViewTarget target) {
  const bool on_page = target == ViewTarget::Viewer;
  if (on_page) {
    emit Showing(path);
    strip_->MarkShown(path);
  }
  const bool viewed = flow_.View(
      PathBytes(path), on_page ? static_cast<PictureShow&>(*this) : full_screen_, on_page);
  if (on_page)
    ShowThumbnails(false);
  return viewed;
}

void ViewerPage::FolderShown() {
  if (isVisible())
    ShowThumbnails(true);
}

void ViewerPage::ShowThumbnails(bool folder_changed) {
  if (KeyString.empty())
    return;
  const QDir folder(host_.FileListFolder());
  QStringList paths;
  for (const QString& name :
       folder.entryList({"*.vlp"}, QDir::Files, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware))
    paths << folder.filePath(name);
  // Made again only for another folder or list of pictures (the strip keeps
  // the thumbnails of files that have not changed).
  if (folder_changed || paths != strip_paths_ || strip_->count() == 0) {
    strip_paths_ = paths;
    strip_->ShowPictures(paths);
  }
  strip_->MarkShown(CurrentFile());
}

QString ViewerPage::CurrentFile() const {
  return PathText(flow_.CurrentFile());
}

void ViewerPage::ViewClicked(const QString& path) {
  picture_->Clear();
  keys_.Use();
  View(path, ViewTarget::Viewer);
  host_.FocusFileList();
}

void ViewerPage::ViewDropped(const QStringList& paths) {
  for (const QString& path : ContainersAmong(paths, "VLP")) {
    keys_.Use();
    View(path, ViewTarget::Viewer);
    if (paths.size() > 1 && !KeyString.empty()) {
      OpenWindow();
      window_button_->setEnabled(false);
      full_->setEnabled(true);
      delete_->setEnabled(true);
    }
  }
}

void ViewerPage::OpenNamed(const QString& path) {
  host_.SetFilterText("EnCrypted Pics(*.VLP)|*.VLP");
  View(path, ViewTarget::Viewer);
  if (window_button_->isEnabled())
    OpenWindow();
}

void ViewerPage::OpenWindow() {
  // A picture without width or height (nothing shown) opens no window.
  auto* window = new TWindowView(nullptr);
  if (!window->SizePictureWindow(picture_->StillPicture()))
    delete window;
}

void ViewerPage::OpenWindowOnce() {
  if (!window_button_->isEnabled())
    return;
  OpenWindow();
  window_button_->setEnabled(false);
}

void ViewerPage::DeleteShown() {
  const QString file = CurrentFile();
  const QString name = QFileInfo(file).fileName();
  if (Ask("DELETE " + name + " ?") == kAnswerYes) {
    if (DeleteToRecycleBin(file)) {
      DisableButtons();
      ClearPicture();
      host_.SetStatusLine(kFileDeleted);
    } else {
      // The file is still there, and so is its picture.
      ShowMessage(window(), MessageKind::Error, "Cannot move " + file + " to the trash.");
    }
  }
  host_.FocusFileList();
}

void ViewerPage::SetKeyIndicatorsVisible(bool visible) {
  key_off_->setVisible(visible);
  key_gauge_->setVisible(visible);
}

void ViewerPage::SetKeyGauge(int progress) {
  key_gauge_->setValue(progress);
}

void ViewerPage::DisableButtons() {
  for (QPushButton* button : {window_button_, delete_, full_})
    button->setEnabled(false);
}

void ViewerPage::ClearPicture() {
  picture_->Clear();
}

void ViewerPage::RequestDecryptionKey() {
  vls::RequestDecryptionKey(window());
}

void ViewerPage::SetViewBusy(bool busy) {
  host_.SetBusy(busy);
  host_.ShowGauge(busy);
  host_.SetFileListEnabled(!busy);
}

void ViewerPage::PrepareView(bool on_viewer_page) {
  if (on_viewer_page)
    DisableButtons();
  ClearPicture();
  host_.SetStatusLine(QString());
  if (on_viewer_page)
    host_.FocusFileList();
}

void ViewerPage::SetStatusLine(const std::string& text) {
  host_.SetStatusLine(QString::fromStdString(text));
}

void ViewerPage::ForgetShownPicture() {
  full_->setEnabled(false);
  delete_->setEnabled(false);
  host_.SetStatusLine(QString());
  ClearPicture();
}

void ViewerPage::ShowPictureInfo(const std::string& stored_name, std::int64_t plain_size,
                                 bool sealed) {
  const bool shown = !picture_->StillPicture().isNull();
  const std::int64_t size = shown ? picture_->FileSize() : plain_size;
  host_.SetGauge(0);
  host_.SetStatusLine(QString("%1 %2x%3 %4 bytes")
                          .arg(PathText(stored_name))
                          .arg(picture_->PictureWidth())
                          .arg(picture_->PictureHeight())
                          .arg(size) +
                      (sealed ? ", sealed" : ""));
}

void ViewerPage::ShowMissing() {
  picture_->Clear();
}

ShowOutcome ViewerPage::ShowPlainPicture(std::span<const std::uint8_t> plain,
                                         const std::string& stored_name) {
  SetViewBusy(true);
  host_.SetGauge(0);
  host_.SetGaugeColor(Qt::blue);
  picture_->LoadBytes(plain, PathText(stored_name));
  // A window or the full screen only for a still picture that did load (a
  // failed load has been reported by the picture control).
  if (picture_->ShowsStill()) {
    window_button_->setEnabled(true);
    full_->setEnabled(true);
  }
  delete_->setEnabled(true);
  host_.SetBusy(false);
  host_.SetFileListEnabled(true);
  host_.FocusFileList();
  // A failed decode has been told in the picture control's own boxes.
  return {picture_->IsAnimated() || picture_->ShowsStill(), {}};
}

}  // namespace vls
