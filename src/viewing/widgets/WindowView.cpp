#include "viewing/widgets/WindowView.h"

#include <QApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "imaging/widgets/PMultiMedia.h"
#include "imaging/widgets/PictureView.h"
#include "viewing/PictureWindowSize.h"

namespace vls {
namespace {

// The frame around a window on the screen (none before it is shown).
FrameMargins FrameOf(const QWidget& window) {
  const QRect outer = window.frameGeometry();
  const QRect inner = window.geometry();
  return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
          outer.bottom() - inner.bottom()};
}

// The frame a window gets, or will get: a window not shown yet has none to
// measure, and the window manager frames it as it framed the windows
// already on the screen.
FrameMargins FrameToExpect(const QWidget& self) {
  if (self.isVisible())
    return FrameOf(self);
  for (const QWidget* window : QApplication::topLevelWidgets()) {
    if (window != &self && window->isVisible() && !window->isMinimized() &&
        window->frameGeometry() != window->geometry())
      return FrameOf(*window);
  }
  return {};
}

}  // namespace

TWindowView::TWindowView(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
  setObjectName("WindowView");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle("MORVANE Veilstore 32-bit v 3.3 *Resizable Window*");
  Picture = new PictureView("MultiMedia1", QString(), this);
  MultiMedia1 = Picture->Still();
  MultiMedia1->SetColor(Qt::black);
  MultiMedia1->SetStretchRatio(true);
  MultiMedia1->SetImageDither(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Picture);
  move(kDesignedPosition);
  resize(kDesignedClientSize);
}

QRect TWindowView::AvailableArea() const {
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

int TWindowView::ScreenHeight() const {
  // The height the client may take: the usable area's, less the frame.
  const FrameMargins frame = FrameToExpect(*this);
  return std::max(AvailableArea().height() - frame.top - frame.bottom, 1);
}

bool TWindowView::SizePictureWindow(const QImage& picture) {
  const FrameMargins expected = FrameToExpect(*this);
  if (!Place(picture.size(), expected))
    return false;
  Picture->ShowCopy(picture);
  show();
  // Where the system tells the frame at once and it is not the one
  // expected, the window is placed again for the frame it got.
  if (const FrameMargins framed = FrameOf(*this); framed != expected)
    Place(picture.size(), framed);
  return true;
}

bool TWindowView::Place(const QSize& picture, const FrameMargins& frame) {
  const QRect area = AvailableArea();
  const auto place = OpeningPlace(picture.width(), picture.height(),
                                  {area.x(), area.y(), area.width(), area.height()}, frame,
                                  kDesignedPosition.x(), kDesignedPosition.y());
  if (!place)
    return false;
  resize(place->client.width, place->client.height);
  move(place->x, place->y);
  return true;
}

void TWindowView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const QImage& picture = Picture->StillPicture();
  if (resizing_ || picture.width() <= 0 || picture.height() <= 0)
    return;
  const int height = FollowingHeight(width(), picture.width(), picture.height(), ScreenHeight());
  if (height == this->height())
    return;
  resizing_ = true;
  resize(width(), height);
  resizing_ = false;
}

}  // namespace vls
