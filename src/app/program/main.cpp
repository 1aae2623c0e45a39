// veilstore: the desktop program.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include <QApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>

#include "app/program/FileHandOver.h"
#include "app/program/FirstPaintProbe.h"
#include "app/program/ProgramOptions.h"
#include "app/widgets/MainWindow.h"
#include "platform/Interruption.h"
#include "protect/widgets/Ask.h"
#include "viewing/widgets/FullSlide.h"
#include "viewing/widgets/PasswordDialogs.h"

int main(int argc, char** argv) {
  QElapsedTimer clock;
  clock.start();
  // Answered before the window toolkit starts: no display is needed.
  QStringList given;
  for (int i = 0; i < argc; ++i)
    given << QString::fromLocal8Bit(argv[i]);
  if (const auto answer = vls::EarlyAnswer(given)) {
    std::fputs(answer->c_str(), stdout);
    return 0;
  }
  QApplication application(argc, argv);
  Q_INIT_RESOURCE(help);  // the help pages built into the program
  QApplication::setApplicationName("veilstore");
  QApplication::setOrganizationName("Morvane");

  // A file for a window that already runs goes to it, and this start ends.
  const QStringList files = vls::NamedFiles(application.arguments());
  vls::FileHandOver hand_over;
  if (hand_over.HandOrServe(files.value(0)))
    return 0;

  // The forms, in the order the program has always created them; they live
  // until the program ends.
  vls::TFmainVLS FmainVLS(files);
  vls::TFPass2 FPass2(&FmainVLS);
  vls::TAsk FAsk(&FmainVLS);
  vls::TFullSlide FullSlide(&FmainVLS);
  vls::TFPass FPass(&FmainVLS);
  FmainVLS.SetFullSlide(&FullSlide);
  QObject::connect(&hand_over, &vls::FileHandOver::FileHanded, &FmainVLS,
                   &vls::TFmainVLS::OpenHandedFile);

  // With VEILSTORE_STARTUP_PROBE set, the program times its first paint and quits.
  vls::FirstPaintProbe probe(clock);
  if (qEnvironmentVariableIsSet("VEILSTORE_STARTUP_PROBE"))
    FmainVLS.installEventFilter(&probe);
  // Ctrl-C, a kill or a closed session: the signal only wakes the event
  // loop. Work in progress sees the request at its next safe point and
  // wipes what it wrote; then the window closes and every loop ends.
  int wake[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> stop_notifier;
  if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) == 0) {
    vls::InstallInterruptHandlers(vls::InterruptStyle::Notify, wake[1]);
    stop_notifier = std::make_unique<QSocketNotifier>(wake[0], QSocketNotifier::Read);
    QObject::connect(stop_notifier.get(), &QSocketNotifier::activated, &FmainVLS, [&] {
      char drained[64];
      while (::read(wake[0], drained, sizeof drained) > 0) {
      }
      FmainVLS.close();
      QCoreApplication::quit();
    });
  }

  FmainVLS.show();
  const int status = application.exec();
  if (const int signal = vls::InterruptSignal(); signal != 0)
    vls::ExitForSignal(signal);
  return status;
}
