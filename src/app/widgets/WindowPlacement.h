#pragma once
// Where the main window stands between runs: the frame's corner of its
// normal placement, kept in the program's settings under the window's group
// ("Left", "Top"), also when it closes maximised or minimised.

#include <QObject>
#include <QPoint>
#include <QString>

class QWidget;

namespace vls {

class WindowPlacement : public QObject {
 public:
  // Watches the window's moves and resizes; the window frees it.
  WindowPlacement(QWidget& window, QString group);

  void Restore();
  void Save();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget& window_;
  QString group_;
  // The client area's corner less the frame's, kept while the window is in
  // its normal placement, so a maximised window saves its frame's corner.
  QPoint frame_offset_;
};

}  // namespace vls
