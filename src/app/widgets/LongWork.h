#pragma once
// Long work in the main window (a batch, the walk of "Add A&ll") runs on the
// window's own thread and processes the window's events at its safe points
// (platform/Interruption.h), so the window stays painted and answering. While
// it runs, the window's controls take no input but "Cancel"; Escape, "Cancel"
// or the window's close box ask the work to stop at its next safe point (the
// close box then closes the window once the work has stopped).
// Dialogs the work opens (questions, errors) work as always.

#include <QObject>

class QAbstractButton;
class QWidget;

namespace vls {

class LongWork : public QObject {
 public:
  // window: the main window; cancel: its "Cancel" button, shown meanwhile.
  LongWork(QWidget& window, QAbstractButton& cancel);
  ~LongWork() override;
  LongWork(const LongWork&) = delete;
  LongWork& operator=(const LongWork&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget& window_;
  QAbstractButton& cancel_;
  bool close_after_ = false;
};

}  // namespace vls
