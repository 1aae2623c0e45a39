// veilstore: the desktop program.

#include <QApplication>

#include "app/widgets/MainWindow.h"
#include "protect/widgets/Ask.h"
#include "viewing/widgets/FullSlide.h"
#include "viewing/widgets/PasswordDialogs.h"

int main(int argc, char** argv) {
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
  FmainVLS.show();
  return application.exec();
}
