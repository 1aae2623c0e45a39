#include "viewing/widgets/FullSlide.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

#include "imaging/widgets/GIFImage.h"
#include "imaging/widgets/PMultiMedia.h"
#include "imaging/widgets/PictureView.h"

namespace vls {

bool SlideStop = false;
SlideKey SlideStopKey = SlideKey::Stop;

SlideKey SlideKeyOf(int key) {
  switch (key) {
    case Qt::Key_Space:
    case Qt::Key_P:
      return SlideKey::Pause;
    case Qt::Key_Right:
    case Qt::Key_PageDown:
      return SlideKey::Next;
    case Qt::Key_Left:
    case Qt::Key_PageUp:
      return SlideKey::Previous;
    default:
      return SlideKey::Stop;
  }
}

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
  PausedLb = new QLabel("Paused", this);
  PausedLb->setObjectName("PausedLb");
  PausedLb->setStyleSheet(
      "color: white; background: rgba(0, 0, 0, 160); padding: 6px 12px;"
      "font-size: 16pt;");
  PausedLb->hide();
}

void TFullSlide::SetPaused(bool paused) {
  PausedLb->adjustSize();
  PausedLb->move(16, 16);
  PausedLb->setVisible(paused);
  PausedLb->raise();
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

void TFullSlide::keyPressEvent(QKeyEvent* event) {
  SlideStopKey = SlideKeyOf(event->key());
  SlideStop = true;
}
void TFullSlide::mousePressEvent(QMouseEvent*) {
  SlideStopKey = SlideKey::Stop;
  SlideStop = true;
}

}  // namespace vls
