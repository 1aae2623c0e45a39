#include "viewing/widgets/FullSlide.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

#include "imaging/widgets/GIFImage.h"
#include "imaging/widgets/PMultiMedia.h"

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

  GIFImage1 = new TGIFImage(this);
  GIFImage1->setObjectName("GIFImage1");
  GIFImage1->SetAnimate(true);
  GIFImage1->SetStretch(true);
  GIFImage1->hide();
  MultiMedia1 = new TPMultiMedia(this);
  MultiMedia1->setObjectName("MultiMedia1");
  MultiMedia1->SetColor(Qt::black);
  MultiMedia1->SetStretchRatio(true);
  MultiMedia1->SetImageDither(true);
  // A click on either picture ends the show as a click on the form does.
  GIFImage1->installEventFilter(this);
  MultiMedia1->installEventFilter(this);
}

void TFullSlide::resizeEvent(QResizeEvent*) {
  GIFImage1->setGeometry(rect());
  MultiMedia1->setGeometry(rect());
}

bool TFullSlide::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress)
    SlideStop = true;
  return QWidget::eventFilter(watched, event);
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
