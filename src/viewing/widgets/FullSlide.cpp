#include "viewing/widgets/FullSlide.h"

#include <QGuiApplication>
#include <QScreen>

#include "imaging/widgets/GIFImage.h"
#include "imaging/widgets/PMultiMedia.h"
#include "imaging/widgets/PictureView.h"

namespace vls {

bool SlideStop = false;

TFullSlide::TFullSlide(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("FullSlide");
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::black);
  setPalette(p);
  setCursor(Qt::BlankCursor);

  Picture = new PictureView("MultiMedia1", "GIFImage1", this);
  GIFImage1 = Picture->Animation();
  GIFImage1->SetAnimate(true);
  GIFImage1->SetStretch(true);
  MultiMedia1 = Picture->Still();
  MultiMedia1->SetColor(Qt::black);
  MultiMedia1->SetStretchRatio(true);
  MultiMedia1->SetImageDither(true);
}

void TFullSlide::resizeEvent(QResizeEvent*) {
  Picture->setGeometry(rect());
}

void TFullSlide::FormShow() {
  if (QScreen* screen = QGuiApplication::primaryScreen())
    setGeometry(screen->geometry());
  show();
  raise();
  activateWindow();
}

void TFullSlide::keyPressEvent(QKeyEvent*) {
  SlideStop = true;
}
void TFullSlide::mousePressEvent(QMouseEvent*) {
  SlideStop = true;
}

}  // namespace vls
