#include "app/widgets/StatusBar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>

#include "app/widgets/StatusControls.h"
#include "platform/Interruption.h"

namespace vls {
namespace {

const QColor kNavy(0, 0, 128);

}  // namespace

StatusBar::StatusBar(QWidget* parent)
    : QWidget(parent),
      cancel_(new QPushButton("Cancel")),
      hint_(new StatusLine),
      gauge_(new BarGauge(100, Qt::yellow, palette().color(QPalette::Button))),
      ready_(new LedLamp(Qt::green)),
      busy_(new LedLamp(Qt::red)) {
  setObjectName("StatusPn");
  setFixedHeight(25);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 2);
  auto* caption = new QLabel("Status:");
  caption->setObjectName("StatusLb");
  hint_->setObjectName("HintLb");
  for (QLabel* label : {caption, static_cast<QLabel*>(hint_)}) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, kNavy);
    label->setPalette(p);
  }
  hint_->setMinimumWidth(60);
  hint_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  gauge_->setObjectName("Gauge1");
  gauge_->setFixedSize(128, 16);
  ready_->setObjectName("LedReady");
  ready_->setToolTip("Green LED ON when READY");
  ready_->setOn(true);
  busy_->setObjectName("LedBusy");
  busy_->setToolTip("Red LED ON when BUSY");
  layout->addWidget(caption);
  layout->addWidget(hint_, 1);
  layout->addWidget(gauge_);
  cancel_->setObjectName("BtnCancel");
  cancel_->setToolTip("Stop the work at the next safe point (Esc)");
  cancel_->setAccessibleName("Cancel");
  cancel_->setFixedHeight(21);
  cancel_->setFocusPolicy(Qt::NoFocus);
  cancel_->hide();
  connect(cancel_, &QPushButton::clicked, this, [] { RequestCancel(); });
  layout->addWidget(cancel_);
  layout->addWidget(ready_);
  layout->addWidget(busy_);
}

void StatusBar::SetText(const QString& text) {
  hint_->setText(text);
}

void StatusBar::RepaintText() {
  hint_->repaint();
}

void StatusBar::SetGauge(int position) {
  gauge_->setValue(position);
}

void StatusBar::SetGaugeColor(const QColor& color) {
  gauge_->setBarColor(color);
}

void StatusBar::ShowGauge(bool shown) {
  gauge_->setVisible(shown);
  if (shown)
    gauge_->repaint();
}

void StatusBar::RepaintGauge() {
  gauge_->repaint();
}

void StatusBar::SetBusy(bool busy) {
  busy_->setOn(busy);
  ready_->setOn(!busy);
  // The hourglass is pushed once and taken off once, however often a long
  // operation says busy or ready, so no other cursor is ever taken off.
  if (busy == hourglass_)
    return;
  hourglass_ = busy;
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

}  // namespace vls
