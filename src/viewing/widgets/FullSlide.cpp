#include "viewing/widgets/FullSlide.h"

#include <QGuiApplication>
#include <QScreen>

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
}

void TFullSlide::FormShow() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->geometry());
  show();
  raise();
  activateWindow();
}

void TFullSlide::keyPressEvent(QKeyEvent*) { SlideStop = true; }
void TFullSlide::mousePressEvent(QMouseEvent*) { SlideStop = true; }

}  // namespace vls
