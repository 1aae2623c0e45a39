#include "viewing/SlideShowFlow.h"

#include "cipher/Cipher.h"
#include "platform/AtExit.h"

namespace vls {

void SlideShowFlow::Run() {
  // The form is put away and the key dropped however the show ends.
  AtExit end([this] {
    window_.PutAway();
    DropKey();
  });
  // Rows are taken in the direction the user last went; the row count is
  // read again at each step.
  bool backwards = false;
  std::size_t row = 0;
  while (row < window_.RowCount()) {
    if (KeyString.empty())
      window_.StepAside();
    SlideKey key = SlideKey::Next;
    // A missing file or a cancelled password moves on at once, the way the
    // show goes; going back, the first row turns it forward again.
    if (viewer_.View(window_.RowPath(row), form_, false))
      key = WaitOnPicture();
    else if (backwards && row > 0)
      key = SlideKey::Previous;
    if (key == SlideKey::Stop)
      return;
    // Previous on the first row shows it again.
    backwards = key == SlideKey::Previous && row > 0;
    if (backwards)
      --row;
    else if (key != SlideKey::Previous)
      ++row;
  }
}

SlideKey SlideShowFlow::WaitOnPicture() {
  bool paused = false;
  for (;;) {
    const SlideKey key = window_.WaitForKey(paused ? kSlidePaused : kSlideRounds);
    if (key != SlideKey::Pause) {
      if (paused)
        window_.ShowPaused(false);
      return key;
    }
    // Going on after a pause gives the picture its whole time again.
    paused = !paused;
    window_.ShowPaused(paused);
  }
}

}  // namespace vls
