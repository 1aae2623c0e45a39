// The peer of the start-up benchmark: a bare Qt program that shows an empty
// main window of the program's size and prints the time from the start of
// main to its first paint, in the form the program's probe prints, then quits.

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>
#include <cstdio>

namespace {

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

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer clock;
  clock.start();
  QApplication application(argc, argv);
  QMainWindow window;
  window.resize(600, 426);
  FirstPaintProbe probe(clock);
  window.installEventFilter(&probe);
  window.show();
  return application.exec();
}
