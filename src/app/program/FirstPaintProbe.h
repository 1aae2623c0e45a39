#pragma once
// Prints the time from the start of main to the end of the first paint of the
// window it watches and the wall-clock moment then, as "first paint after N
// ms at T us" (T in microseconds since the epoch), and quits: the start-up
// benchmark reads that line from the program and from its peer, an empty Qt
// window, and measures from the moment it started the process. The window's
// own paint event comes before its children's, so the moment is taken by a
// call queued from it, once the whole paint pass (children, icons and the
// flush to the screen) is over.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <chrono>
#include <cstdio>

namespace vls {

class FirstPaintProbe : public QObject {
 public:
  explicit FirstPaintProbe(const QElapsedTimer& clock) : clock_(clock) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !done_) {
      done_ = true;
      QMetaObject::invokeMethod(
          this, [this] { Report(); }, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  void Report() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::printf(
        "first paint after %lld ms at %lld us\n", static_cast<long long>(clock_.elapsed()),
        static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
    std::fflush(stdout);
    QCoreApplication::quit();
  }

  const QElapsedTimer& clock_;
  bool done_ = false;
};

}  // namespace vls
