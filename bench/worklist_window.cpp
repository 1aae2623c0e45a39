// "Add A&ll" in the window, headless: the main window shows DIR, the question
// "Include Sub-Directories ?" is answered YES, and "Add A&ll" is clicked. A
// timer of the window's fires every 20 ms meanwhile; the longest wait between
// two of its firings from the click to the end of the walk tells how long
// the window went without answering. Prints the rows, the seconds from the
// click to the end, the peak resident memory of the process and that wait.
//   QT_QPA_PLATFORM=offscreen worklist_window DIR

#include <sys/resource.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <cstdio>

#include "app/WorkList.h"
#include "app/widgets/MainWindow.h"
#include "protect/widgets/Ask.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: worklist_window DIR\n");
    return 2;
  }
  QApplication application(argc, argv);
  vls::TFmainVLS window({});
  window.show();
  window.SetFileListFolder(QString::fromLocal8Bit(argv[1]));
  auto* add_all = window.findChild<QAbstractButton*>("AddALL");
  auto* rows = dynamic_cast<vls::TWorkList*>(window.findChild<QTreeView*>("files")->model());
  if (add_all == nullptr || rows == nullptr)
    return 1;

  QElapsedTimer clock;
  qint64 last_answer = 0, longest_wait = 0;
  QTimer answers;
  answers.setInterval(20);
  QObject::connect(&answers, &QTimer::timeout, [&] {
    longest_wait = std::max(longest_wait, clock.elapsed() - last_answer);
    last_answer = clock.elapsed();
  });
  vls::TAsk::SetNextAnswer(vls::kAnswerYes);
  clock.start();
  answers.start();
  add_all->click();
  const qint64 took = clock.elapsed();
  longest_wait = std::max(longest_wait, took - last_answer);

  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("rows %d seconds %.3f peak-kib %ld longest-wait-ms %lld\n", rows->Count(),
              static_cast<double>(took) / 1000, usage.ru_maxrss,
              static_cast<long long>(longest_wait));
  return 0;
}
