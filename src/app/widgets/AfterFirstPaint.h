#pragma once
// Work that the window's first paint need not wait for, but that must be
// done before the user can act (the start-up chores). It runs once, on the
// window's thread: as soon as the event loop is back after the window's first
// paint; earlier, before the first press, key, touch or drop reaches any
// widget; or when RunNow is called: by work that starts without the user (a
// file named at start or handed over by a second start), or by a window
// closed before the event loop came back.

#include <QObject>
#include <functional>

class QWidget;

namespace vls {

class AfterFirstPaint : public QObject {
 public:
  AfterFirstPaint(QWidget& window, std::function<void()> work);
  // Runs the work now, unless it has run.
  void RunNow();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget& window_;
  std::function<void()> work_;
  bool posted_ = false;
  bool done_ = false;
};

}  // namespace vls
