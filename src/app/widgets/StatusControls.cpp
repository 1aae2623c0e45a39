#include "app/widgets/StatusControls.h"

#include <QPainter>
#include <QStyle>

#include "platform/DisplayText.h"

namespace vls {

LedLamp::LedLamp(QColor color, QWidget* parent) : QWidget(parent), color_(color) {
  setFixedSize(16, 16);
}

void LedLamp::setOn(bool on) {
  if (on_ == on)
    return;
  on_ = on;
  update();
}

void LedLamp::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::darkGray, 1));
  painter.setBrush(on_ ? color_ : color_.darker(350));
  painter.drawEllipse(rect().adjusted(2, 2, -2, -2));
}

BlinkLabel::BlinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  Toggle();
  connect(&timer_, &QTimer::timeout, this, &BlinkLabel::Toggle);
  timer_.start(600);
}

void BlinkLabel::Toggle() {
  second_ = !second_;
  QPalette p = palette();
  p.setColor(QPalette::WindowText, currentColor());
  setPalette(p);
}

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
}

QString StatusLine::ShownText() const {
  QString line = text();
  // Trailing blanks only overwrote longer earlier text where lines were
  // drawn over each other; here they would show as a count.
  while (line.endsWith(u' '))
    line.chop(1);
  const QString shown = QString::fromStdString(DisplayText(line.toStdString()));
  return fontMetrics().elidedText(shown, Qt::ElideMiddle, contentsRect().width());
}

void StatusLine::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  style()->drawItemText(&painter, contentsRect(),
                        QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                        isEnabled(), ShownText(), foregroundRole());
}

BarGauge::BarGauge(int maximum, QColor bar, QColor background, QWidget* parent)
    : QProgressBar(parent), bar_(bar), background_(background) {
  setRange(0, maximum);
  setValue(0);
  setTextVisible(false);
  ApplyColors();
}

void BarGauge::setBarColor(QColor bar) {
  if (bar == bar_)
    return;
  bar_ = bar;
  ApplyColors();
}

void BarGauge::ApplyColors() {
  setStyleSheet(QString("QProgressBar { border: 1px solid gray; background: %1; }"
                        "QProgressBar::chunk { background: %2; }")
                    .arg(background_.name(), bar_.name()));
}

}  // namespace vls
