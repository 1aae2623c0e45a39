// veilstore: the desktop program.

#include <QApplication>

#include "app/widgets/MainWindow.h"
#include "protect/widgets/Ask.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  Q_INIT_RESOURCE(help);  // the help pages built into the program
  QApplication::setApplicationName("veilstore");
  QApplication::setOrganizationName("Morvane");

  // The forms in the order the program has always created them.
  vls::TFmainVLS FmainVLS(application.arguments().mid(1));
  vls::TAsk ask(&FmainVLS);
  FmainVLS.show();
  return application.exec();
}
