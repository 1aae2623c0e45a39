#include "viewing/widgets/WindowView.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "imaging/widgets/PMultiMedia.h"
#include "imaging/widgets/PictureView.h"
#include "viewing/PictureWindowSize.h"

namespace vls {

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

int TWindowView::ScreenHeight() const {
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  return screen ? screen->geometry().height() : kDesignedClientSize.height();
}

bool TWindowView::SizePictureWindow(const QImage& picture) {
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const QSize screen_size = screen ? screen->geometry().size() : QSize(1024, 768);
  const auto size = OpeningClientSize(picture.width(), picture.height(), screen_size.width(),
                                      screen_size.height());
  if (!size)
    return false;
  Picture->ShowCopy(picture);
  resize(size->width, size->height);
  move(kDesignedPosition);
  show();
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
