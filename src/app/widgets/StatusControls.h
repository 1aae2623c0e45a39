#pragma once
// Small controls of the main window: LED lamps, labels that blink between
// two colours, the status line and the flat bar gauges.

#include <QColor>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>

namespace vls {

// A round lamp that is lit in its colour or dark.
class LedLamp : public QWidget {
  Q_OBJECT
 public:
  LedLamp(QColor color, QWidget* parent = nullptr);
  void setOn(bool on);
  bool isOn() const { return on_; }
  QSize sizeHint() const override { return {16, 16}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QColor color_;
  bool on_ = false;
};

// A label whose text colour switches between two colours on a timer.
class BlinkLabel : public QLabel {
  Q_OBJECT
 public:
  BlinkLabel(const QString& text, QWidget* parent = nullptr);
  QColor currentColor() const { return second_ ? QColor(Qt::darkBlue) : QColor(Qt::blue); }
  // One blink step (the timer calls it every 600 ms).
  void Toggle();

 private:
  QTimer timer_;
  bool second_ = false;
};

// The status line: one line of plain text that often carries a file's name.
// It is drawn as DisplayText shows names (hidden characters made visible),
// without the blanks that pad its end, and a line wider than the bar loses
// its middle rather than its end.
class StatusLine : public QLabel {
  Q_OBJECT
 public:
  explicit StatusLine(QWidget* parent = nullptr);
  // The text as it is drawn.
  QString ShownText() const;

 protected:
  void paintEvent(QPaintEvent*) override;
};

// A flat bar gauge without text: bar colour over a background colour.
class BarGauge : public QProgressBar {
  Q_OBJECT
 public:
  BarGauge(int maximum, QColor bar, QColor background, QWidget* parent = nullptr);
  void setBarColor(QColor bar);
  QColor barColor() const { return bar_; }

 private:
  void ApplyColors();
  QColor bar_;
  QColor background_;
};

}  // namespace vls
