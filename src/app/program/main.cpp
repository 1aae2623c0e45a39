// veilstore: the desktop program.

#include <QApplication>
#include <QElapsedTimer>

#include "app/program/FirstPaintProbe.h"
#include "app/widgets/MainWindow.h"
#include "protect/widgets/Ask.h"
#include "viewing/widgets/FullSlide.h"
#include "viewing/widgets/PasswordDialogs.h"

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

  // With VEILSTORE_STARTUP_PROBE set, the program times its first paint and quits.
  vls::FirstPaintProbe probe(clock);
  if (qEnvironmentVariableIsSet("VEILSTORE_STARTUP_PROBE"))
    FmainVLS.installEventFilter(&probe);
  FmainVLS.show();
  return application.exec();
}
