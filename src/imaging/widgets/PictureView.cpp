#include "imaging/widgets/PictureView.h"

#include <QEvent>

#include "imaging/picture/PictureLoader.h"
#include "imaging/widgets/GIFImage.h"
#include "imaging/widgets/PMultiMedia.h"

namespace vls {

PictureView::PictureView(const QString& still_name, const QString& animation_name, QWidget* parent)
    : QWidget(parent),
      // Created first, so the still control lies over it.
      animation_(new TGIFImage(this)),
      still_(new TPMultiMedia(this)) {
  animation_->setObjectName(animation_name);
  still_->setObjectName(still_name);
  animation_->hide();
  animation_->installEventFilter(this);
  connect(still_, &TPMultiMedia::OnDblClick, this, &PictureView::DoubleClicked);
}

PictureView::~PictureView() = default;

void PictureView::Load(const QString& path) {
  LoadWith(
      path, [&] { return animation_->SetFileName(path); }, [&] { still_->SetMediaName(path); });
}

void PictureView::LoadBytes(std::span<const std::uint8_t> bytes, const QString& name) {
  LoadWith(
      name, [&] { return animation_->LoadBytes(bytes, name); },
      [&] { still_->LoadBytes(bytes, name); });
}

void PictureView::LoadWith(const QString& name, const std::function<bool()>& load_animation,
                           const std::function<void()>& load_still) {
  // The old picture goes before the new one is decoded: two are never held.
  still_->SetMediaName(QString());
  animation_->Clear();
  const bool animated =
      KindOfPath(name) == PictureKind::Gif && load_animation() && animation_->IsAnimated();
  // A single frame is the still control's to show; its copy here goes.
  if (!animated)
    animation_->Clear();
  ShowAnimation(animated);
  // Last, as the decode processes window events: whatever the view is told
  // meanwhile stands, nothing here acts on it afterwards.
  if (!animated || first_frame_as_still_)
    load_still();
}

void PictureView::ShowCopy(const QImage& picture) {
  DropAnimation();
  still_->SetPicture(picture);
}

void PictureView::Clear() {
  DropAnimation();
  still_->SetMediaName(QString());
  still_->SetText(QString());
}

void PictureView::DropAnimation() {
  animation_->Clear();
  ShowAnimation(false);
}

void PictureView::ShowAnimation(bool on) {
  still_->setVisible(!on);
  animation_->setVisible(on);
}

bool PictureView::IsAnimated() const {
  return !animation_->isHidden();
}

bool PictureView::ShowsStill() const {
  return !IsAnimated() && !still_->Picture().isNull();
}

const QImage& PictureView::StillPicture() const {
  return still_->Picture();
}

int PictureView::PictureWidth() const {
  return still_->PictureWidth();
}

int PictureView::PictureHeight() const {
  return still_->PictureHeight();
}

std::int64_t PictureView::FileSize() const {
  return still_->FileSize();
}

QSize PictureView::sizeHint() const {
  return still_->sizeHint();
}

void PictureView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  animation_->setGeometry(rect());
  still_->setGeometry(rect());
}

bool PictureView::eventFilter(QObject* watched, QEvent* event) {
  // The GIF control has no double click of its own; the owner's filters
  // still see the event.
  if (watched == animation_ && event->type() == QEvent::MouseButtonDblClick)
    emit DoubleClicked();
  return QWidget::eventFilter(watched, event);
}

}  // namespace vls
