#include "imaging/widgets/GIFImage.h"

#include <QPaintEvent>
#include <QPainter>
#include <cstring>
#include <utility>

namespace vls {

TGIFImage::Timer::Timer(TGIFImage* owner) : owner_(owner) {
  QObject::connect(&timer_, &QTimer::timeout, owner, [owner] { owner->player_.Tick(); });
}

void TGIFImage::Timer::SetRunning(bool on) {
  wanted_ = on;
  Follow();
}

void TGIFImage::Timer::Follow() {
  const bool tick = wanted_ && owner_->isVisible();
  if (tick == timer_.isActive())
    return;
  if (tick) {
    timer_.start();
  } else {
    timer_.stop();
  }
}

TGIFImage::TGIFImage(QWidget* parent) : QWidget(parent), timer_(this), player_(timer_) {
  resize(105, 105);
  // No background of its own: the parent shows through.
  setAutoFillBackground(false);
  setAttribute(Qt::WA_NoSystemBackground, false);
  player_.OnChanging = [this] { emit OnChanging(); };
  player_.OnChange = [this] { emit OnChange(); };
  player_.OnRepaint = [this] {
    RebuildImage();
    update();
  };
}

TGIFImage::~TGIFImage() {
  player_.OnChanging = nullptr;
  player_.OnChange = nullptr;
  player_.OnRepaint = nullptr;
}

bool TGIFImage::SetFileName(const QString& name) {
  last_load_ = player_.LoadFile(name.toStdString());
  if (last_load_ == gif::LoadResult::kFileNotFound || last_load_ == gif::LoadResult::kReadError) {
    return false;
  }
  return Loaded(name);
}

bool TGIFImage::LoadBytes(std::span<const std::uint8_t> bytes, const QString& name) {
  last_load_ = player_.LoadData(bytes);
  return Loaded(name);
}

bool TGIFImage::Loaded(const QString& name) {
  file_name_ = name;
  if (last_load_ != gif::LoadResult::kOk) {
    Repaint();
    return false;
  }
  if (auto_size_)
    resize(LogicalSize());
  Repaint();
  return true;
}

void TGIFImage::Clear() {
  player_.Clear();
  file_name_.clear();
  last_load_ = gif::LoadResult::kEmpty;
  image_ = QImage();
  Repaint();
}

void TGIFImage::SetAutoSize(bool on) {
  auto_size_ = on;
  if (on && !IsEmpty())
    resize(LogicalSize());
  Repaint();
}

void TGIFImage::SetCenter(bool on) {
  center_ = on;
  Repaint();
}

void TGIFImage::SetStretch(bool on) {
  stretch_ = on;
  Repaint();
}

void TGIFImage::SetTile(bool on) {
  tile_ = on;
  Repaint();
}

void TGIFImage::SetVisible(bool on) {
  visible_ = on;
  Repaint();
}

void TGIFImage::Repaint() {
  if (!RefreshOpaque())
    update();
}

bool TGIFImage::RefreshOpaque() {
  const bool opaque = DecideOpaque();
  if (opaque == opaque_)
    return false;
  // Qt paints the parent under a control only while the control is not
  // marked opaque, so the mark must be right before the repaint is asked.
  opaque_ = opaque;
  setAttribute(Qt::WA_OpaquePaintEvent, opaque);
  update();
  return true;
}

void TGIFImage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  RefreshOpaque();
}

void TGIFImage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  timer_.Follow();
}

void TGIFImage::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  // Nothing of a hidden control is seen: no frame needs composing.
  timer_.Pause();
}

bool TGIFImage::Stretching() const {
  return stretch_ && size() != LogicalSize();
}

QPoint TGIFImage::PictureOrigin() const {
  if (!center_)
    return {0, 0};
  // C++ division truncates toward zero: a larger picture starts at a negative offset.
  return {(width() - player_.LogicalWidth()) / 2, (height() - player_.LogicalHeight()) / 2};
}

bool TGIFImage::DecideOpaque() const {
  if (!visible_ || IsEmpty() || FrameCount() == 0 || player_.AnyTransparent())
    return false;
  if (tile_ || Stretching())
    return true;
  const QPoint origin = PictureOrigin();
  return origin.x() <= 0 && origin.y() <= 0 && origin.x() + player_.LogicalWidth() >= width() &&
         origin.y() + player_.LogicalHeight() >= height();
}

void TGIFImage::RebuildImage() {
  const gif::Composition& picture = player_.Picture();
  if (picture.Width() <= 0 || picture.Height() <= 0) {
    image_ = QImage();
    return;
  }
  const bool masked = picture.HasMask();
  const QImage::Format format = masked ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
  // Frames of one file share the buffer; a new one only for a new picture.
  QImage image = std::move(image_);
  if (image.width() != picture.Width() || image.height() != picture.Height() ||
      image.format() != format) {
    image = QImage(picture.Width(), picture.Height(), format);
  }
  const std::size_t width = static_cast<std::size_t>(picture.Width());
  for (int y = 0; y < picture.Height(); ++y) {
    auto* out = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
    const std::uint32_t* in = picture.Pixels().data() + static_cast<std::size_t>(y) * width;
    if (!masked) {
      std::memcpy(out, in, width * sizeof(std::uint32_t));
      continue;
    }
    const std::uint8_t* mask = picture.Mask().data() + static_cast<std::size_t>(y) * width;
    for (std::size_t x = 0; x < width; ++x)
      out[x] = mask[x] != 0 ? 0u : in[x];
  }
  image_ = std::move(image);
}

void TGIFImage::paintEvent(QPaintEvent* event) {
  // A control that covers all its pixels lets Qt skip painting the parent
  // under it; one with transparent or uncovered pixels needs the parent
  // drawn. Under a decision that changed, the parent was not drawn as the
  // new one needs: the control only asks for a whole new paint.
  if (RefreshOpaque())
    return;
  player_.SyncTimer();
  if (!visible_ || IsEmpty() || FrameCount() == 0 || image_.isNull())
    return;

  QPainter painter(this);
  painter.setClipRegion(event->region());
  if (Stretching()) {
    painter.drawImage(rect(), image_);
  } else if (tile_) {
    for (int y = 0; y < height(); y += image_.height()) {
      for (int x = 0; x < width(); x += image_.width())
        painter.drawImage(x, y, image_);
    }
  } else {
    painter.drawImage(PictureOrigin(), image_);
  }
}

}  // namespace vls
