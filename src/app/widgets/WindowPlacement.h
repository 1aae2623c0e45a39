#pragma once
// Where the main window stands between runs: the frame's corner of its
// normal placement, kept in the program's settings under the window's group
// ("Left", "Top"), also when it closes maximised or minimised; beside it the
// size of that placement, whether it was maximised, and the panes of the
// splitters it is told to remember.

#include <QList>
#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>

class QSplitter;
class QWidget;

namespace vls {

class WindowPlacement : public QObject {
 public:
  // Watches the window's moves and resizes; the window frees it.
  WindowPlacement(QWidget& window, QString group);

  // A splitter of the window whose panes are kept under its objectName;
  // call before Restore.
  void RememberSplitter(QSplitter& splitter);
  // The stored size, kept inside the screen, and the panes; the window shows
  // maximised when it closed so.
  void Restore();
  void Save();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget& window_;
  QString group_;
  QList<QSplitter*> splitters_;
  // The size of the normal placement, kept as frame_offset_ is.
  QSize normal_size_;
  // The client area's corner less the frame's, kept while the window is in
  // its normal placement, so a maximised window saves its frame's corner.
  QPoint frame_offset_;
};

}  // namespace vls
