#pragma once
// Prints the time from the start of main to the first paint of the window it
// watches, as "first paint after N ms", and quits: the start-up benchmark
// reads that line from the program and from its peer, an empty Qt window.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <cstdio>

namespace vls {

class FirstPaintProbe : public QObject {
 public:
  explicit FirstPaintProbe(const QElapsedTimer& clock) : clock_(clock) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !done_) {
      done_ = true;
      std::printf("first paint after %lld ms\n", static_cast<long long>(clock_.elapsed()));
      std::fflush(stdout);
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  const QElapsedTimer& clock_;
  bool done_ = false;
};

}  // namespace vls
