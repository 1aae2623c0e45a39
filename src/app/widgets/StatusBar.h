#pragma once
// The status bar along the bottom of the main window: "Status:", the status
// line (HintLb), the gauge (Gauge1), "Cancel" (BtnCancel, shown while long
// work runs) and the ready and busy lamps (LedReady, LedBusy).

#include <QColor>
#include <QString>
#include <QWidget>

class QPushButton;

namespace vls {

class BarGauge;
class LedLamp;
class StatusLine;

class StatusBar : public QWidget {
  Q_OBJECT

 public:
  explicit StatusBar(QWidget* parent = nullptr);

  void SetText(const QString& text);
  // Paints the status line at once, before the caller's long step.
  void RepaintText();

  void SetGauge(int position);
  void SetGaugeColor(const QColor& color);
  // Shows or hides the gauge; a shown gauge is painted at once.
  void ShowGauge(bool shown);
  void RepaintGauge();

  // Busy lights the red lamp and shows the hourglass; ready lights the
  // green lamp and takes the hourglass off.
  void SetBusy(bool busy);
  bool IsBusy() const { return hourglass_; }

  // Hidden but while long work runs; a click asks the work to stop.
  QPushButton& CancelButton() { return *cancel_; }

 private:
  QPushButton* cancel_;
  StatusLine* hint_;
  BarGauge* gauge_;
  LedLamp* ready_;
  LedLamp* busy_;
  bool hourglass_ = false;
};

}  // namespace vls
