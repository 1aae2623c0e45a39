#pragma once
// The slide show without its widgets: every row of the work list is viewed
// on the full-screen form for about 5.1 seconds, until a key or a click
// stops the show; the key is dropped at the end. A picture that cannot be
// shown is skipped at once, and the status line says which and why.

#include <string>

#include "viewing/ViewerFlow.h"

namespace vls {

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
  // Waits rounds of 100 ms, taking events, until the user stops the show
  // (or the program is asked to stop): true then, and the stop is taken.
  virtual bool WaitForStop(int rounds) = 0;
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
  SlideShowWindow& window_;
  ViewerFlow& viewer_;
  PictureShow& form_;
};

// The number of 100 ms waits a picture of the slide show stays for.
inline constexpr int kSlideRounds = 51;

}  // namespace vls
