#include "viewing/widgets/KeyIndicators.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

#include "viewing/KeyLifetime.h"

namespace vls {

namespace {

const QColor kGaugeFill(0x00, 0x80, 0x00);

// A brass key lying across a 32 x 20 picture.
QPixmap KeyPicture() {
  QPixmap picture(32, 20);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0x6b, 0x4f, 0x10), 1.2));
  painter.setBrush(QColor(0xd9, 0xa8, 0x2e));
  QPainterPath key;
  key.addEllipse(QRectF(2, 4, 12, 12));
  key.addRect(QRectF(13, 8.5, 17, 3));
  key.addRect(QRectF(22, 11, 2.5, 4));
  key.addRect(QRectF(26.5, 11, 2.5, 5));
  key = key.simplified();
  key.addEllipse(QRectF(5, 8, 4, 4));
  painter.drawPath(key);
  return picture;
}

}  // namespace

TKeyGauge::TKeyGauge(const QString& name, QWidget* parent) : QProgressBar(parent) {
  setObjectName(name);
  setRange(0, kKeyTicks);
  setValue(kKeyTicks);
  setTextVisible(false);
  setFixedSize(kWidth, kHeight);
  hide();
}

void TKeyGauge::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QRect frame = rect();
  const QRect inside = frame.adjusted(1, 1, -1, -1);
  painter.fillRect(frame, palette().color(QPalette::Dark));
  painter.fillRect(inside, QApplication::palette("QMenu").color(QPalette::Window));
  const int span = maximum() - minimum();
  if (span > 0) {
    const int filled = inside.width() * (value() - minimum()) / span;
    painter.fillRect(QRect(inside.topLeft(), QSize(filled, inside.height())), kGaugeFill);
  }
}

QToolButton* MakeKeyOffButton(const QString& name, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setToolTip(QStringLiteral("Put the Key off"));
  button->setIcon(QIcon(KeyPicture()));
  button->setIconSize(QSize(32, 20));
  button->setToolButtonStyle(Qt::ToolButtonIconOnly);
  button->setFixedSize(TKeyGauge::kWidth, 28);
  button->hide();
  return button;
}

}  // namespace vls
