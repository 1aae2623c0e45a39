#pragma once
// The key indicators the main window hosts on its "&Viewer" and "&Launcher"
// pages: the "Put the Key off" button (ButKeyOff, ButKeyOff2) and the small
// gauge below it (GaugeKey, GaugeKey2) that drains while the key is unused.
// Both start hidden; the key lifetime (viewing/KeyLifetime.h) shows, fills
// and hides them through the window.

#include <QProgressBar>
#include <QString>

class QToolButton;
class QWidget;

namespace vls {

// A 52 x 7 bar, range 0..6 and full at start, the filled part green on the
// menu colour, no text.
class TKeyGauge : public QProgressBar {
  Q_OBJECT

 public:
  static constexpr int kWidth = 52;
  static constexpr int kHeight = 7;

  // name: "GaugeKey" or "GaugeKey2".
  explicit TKeyGauge(const QString& name, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// An image button without caption, hint "Put the Key off", hidden. name:
// "ButKeyOff" or "ButKeyOff2"; connect its clicked() to
// KeyLifetime::ButKeyOffClick.
QToolButton* MakeKeyOffButton(const QString& name, QWidget* parent);

}  // namespace vls
