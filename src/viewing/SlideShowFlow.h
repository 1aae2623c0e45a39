#pragma once
// The slide show without its widgets: every row of the work list is viewed
// on the full-screen form for about 5.1 seconds, until a key or a click
// stops the show; the key is dropped at the end. A few keys steer the show
// instead of stopping it: pause (and go on), next and previous picture. A
// picture that cannot be shown is skipped at once, and the status line says
// which and why.

#include <string>

#include "viewing/ViewerFlow.h"

namespace vls {

// What ended a wait of the show: its time ran out, or the user pressed a
// key that stops, pauses (or goes on), or goes to the next or the previous
// picture.
enum class SlideKey { Elapsed, Stop, Pause, Next, Previous };

// What the show needs of the window and its full-screen form.
class SlideShowWindow {
 public:
  virtual ~SlideShowWindow() = default;
  virtual std::size_t RowCount() const = 0;
  // Full path of row i (0-based), in list order.
  virtual std::string RowPath(std::size_t i) const = 0;
  // The form steps aside while the key is asked: it stays on top and would
  // hide the dialog; it returns with the next picture.
  virtual void StepAside() = 0;
  // Waits rounds of 100 ms (without end when rounds is kSlidePaused),
  // taking events, until the user presses a key of the show: that key, taken;
  // a click, a closed form or a request to stop the program count as Stop.
  virtual SlideKey WaitForKey(int rounds) = 0;
  // The form says whether the show is paused.
  virtual void ShowPaused(bool paused) = 0;
  // Hides the form and empties its pictures.
  virtual void PutAway() = 0;
  // The main window's status line.
  virtual void SetStatusLine(const std::string& text) = 0;
};

class SlideShowFlow {
 public:
  SlideShowFlow(SlideShowWindow& window, ViewerFlow& viewer, PictureShow& form)
      : window_(window), viewer_(viewer), form_(form) {}

  void Run();

 private:
  // Waits on the picture shown, through pauses: how the wait ended.
  SlideKey WaitOnPicture();

  SlideShowWindow& window_;
  ViewerFlow& viewer_;
  PictureShow& form_;
};

// The number of 100 ms waits a picture of the slide show stays for.
inline constexpr int kSlideRounds = 51;
// The rounds of a wait that ends only on a key: a paused show.
inline constexpr int kSlidePaused = -1;

}  // namespace vls
