// Runs one flow of the main window headless, for the fault-injection
// harness, and says on standard output what the user was told and what is
// left in memory:
//
//   window_driver PASSWORD start                 the window starts and closes
//   window_driver PASSWORD view A.vlp            the "&Viewer" page shows A
//   window_driver PASSWORD slides A.vlp B.vlp    a slide show over A and B
//   window_driver PASSWORD launch A.vld yes|no   the "&Launcher" page restores
//                                                A and the question is answered
//
// Lines: "message: TEXT" for every message box, "question: TEXT" for the
// launcher's question, "shown: N" (pictures shown), and last "workbuffer:
// clean" or "workbuffer: password" (whether WorkBuffer holds four or more
// bytes in a row of the password once the window is gone).

#include <stdlib.h>

#include <QApplication>
#include <QRadioButton>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "app/widgets/MainWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "cipher/Cipher.h"
#include "imaging/widgets/PMultiMedia.h"
#include "protect/Container.h"
#include "protect/Feedback.h"
#include "protect/ProtectState.h"
#include "protect/widgets/Ask.h"
#include "support/WindowTestSupport.h"
#include "viewing/widgets/FullSlide.h"
#include "viewing/widgets/PasswordDialogs.h"

namespace {

void Say(const char* what, const QString& text) {
  std::printf("%s: %s\n", what, qPrintable(QString(text).replace('\n', ' ')));
  std::fflush(stdout);
}

bool WorkBufferHolds(const std::string& password) {
  constexpr std::size_t kRun = 4;
  for (std::size_t at = 0; at + kRun <= password.size(); ++at) {
    const auto begin = password.begin() + static_cast<long>(at);
    if (std::search(vls::WorkBuffer.begin(), vls::WorkBuffer.end(), begin, begin + kRun) !=
        vls::WorkBuffer.end()) {
      return true;
    }
  }
  return false;
}

// Counts the different pictures the control holds while the loop runs.
int CountPictures(vls::TPMultiMedia& control, const std::function<void()>& run) {
  QSet<qint64> seen;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!control.Picture().isNull())
      seen.insert(control.Picture().cacheKey());
  });
  watch.start(0);
  run();
  return static_cast<int>(seen.size());
}

int Usage() {
  std::fprintf(stderr,
               "usage: window_driver PASSWORD start | view A.vlp | slides A.vlp B.vlp |"
               " launch A.vld yes|no\n");
  return 2;
}

}  // namespace

using vls::test::Click;
using vls::test::Find;
using vls::test::ShowPage;

int main(int argc, char** argv) {
  // The shim stays with this process; programs the launcher starts run without it.
  unsetenv("LD_PRELOAD");
  QApplication application(argc, argv);
  if (argc < 3)
    return Usage();
  const QString password = QString::fromLocal8Bit(argv[1]);
  const std::string flow = argv[2];
  const QStringList files = application.arguments().mid(3);
  vls::SetMessageSink([](vls::MessageKind, const QString& text) { Say("message", text); });

  {
    vls::TFmainVLS window({});
    vls::TFullSlide form(&window);
    window.SetFullSlide(&form);
    window.SlideWaitMs = 1;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
      return 1;
    if (flow == "view" && files.size() == 1) {
      ShowPage(window, vls::kPageViewer);
      vls::SetNextPasswordAnswer(password);
      window.ViewEncryptedPicture(files[0]);
      const auto* pane = Find<vls::TPMultiMedia>(window, "View_PMultiMedia1");
      Say("shown", QString::number(pane->Picture().isNull() ? 0 : 1));
    } else if (flow == "slides" && files.size() == 2) {
      if (!Click(window, "RadioSlide"))
        return 1;
      window.FileDrag1Drop(files);
      vls::SetNextPasswordAnswer(password);
      bool clicked = false;
      const int shown =
          CountPictures(*form.MultiMedia1, [&] { clicked = Click(window, "ButtOk"); });
      if (!clicked)
        return 1;
      Say("shown", QString::number(shown));
    } else if (flow == "launch" && files.size() == 2) {
      ShowPage(window, vls::kPageLauncher);
      vls::SetNextPasswordAnswer(password);
      vls::TAsk::SetNextAnswer(files[1] == "yes" ? vls::kAnswerYes : vls::kAnswerNo);
      vls::AskQuestion.clear();
      window.FileDrag1Drop({files[0]});  // a dropped ".vld" is launched
      if (!vls::AskQuestion.isEmpty())
        Say("question", vls::AskQuestion);
    } else if (flow != "start") {
      return Usage();
    }
    window.close();
  }
  Say("workbuffer", WorkBufferHolds(password.toStdString()) ? "password" : "clean");
  return 0;
}
