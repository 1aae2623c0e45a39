// veilstore: the desktop program.

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

#include "app/widgets/MainWindow.h"
#include "protect/widgets/Ask.h"
#include "viewing/widgets/FullSlide.h"
#include "viewing/widgets/PasswordDialogs.h"

namespace {

// With VEILSTORE_STARTUP_PROBE set, prints the time from the start of main
// to the first paint of the main window and quits (the start-up benchmark).
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
  Q_INIT_RESOURCE(help);  // the help pages built into the program
  QApplication::setApplicationName("veilstore");
  QApplication::setOrganizationName("Morvane");

  // The forms, in the order the program has always created them; they live
  // until the program ends.
  vls::TFmainVLS FmainVLS(application.arguments().mid(1));
  vls::TFPass2 FPass2(&FmainVLS);
  vls::TAsk FAsk(&FmainVLS);
  vls::TFullSlide FullSlide(&FmainVLS);
  vls::TFPass FPass(&FmainVLS);
  FmainVLS.SetFullSlide(&FullSlide);

  FirstPaintProbe probe(clock);
  if (qEnvironmentVariableIsSet("VEILSTORE_STARTUP_PROBE"))
    FmainVLS.installEventFilter(&probe);
  FmainVLS.show();
  return application.exec();
}
