// The peer of the start-up benchmark: a bare Qt program that shows an empty
// main window of the program's size and prints the time from the start of
// main to its first paint, in the form the program's probe prints, then quits.

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>

#include "app/program/FirstPaintProbe.h"

int main(int argc, char** argv) {
  QElapsedTimer clock;
  clock.start();
  QApplication application(argc, argv);
  QMainWindow window;
  window.resize(600, 426);
  vls::FirstPaintProbe probe(clock);
  window.installEventFilter(&probe);
  window.show();
  return application.exec();
}
