#include "viewing/SlideShowFlow.h"

#include "cipher/Cipher.h"
#include "platform/AtExit.h"
#include "platform/DisplayText.h"

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
  std::size_t skipped = 0;
  std::string last_skip;  // "2/5 /path/b.vlp: why", as the batches count rows
  while (row < window_.RowCount()) {
    if (KeyString.empty())
      window_.StepAside();
    const std::string path = window_.RowPath(row);
    // A missing file, a cancelled password or a picture that could not be
    // shown moves on at once, the way the show goes; going back, the first
    // row turns it forward again.
    SlideKey key = backwards && row > 0 ? SlideKey::Previous : SlideKey::Next;
    if (viewer_.View(path, form_, false)) {
      if (const std::string& why = viewer_.Unshown(); !why.empty()) {
        ++skipped;
        last_skip = std::to_string(row + 1) + "/" + std::to_string(window_.RowCount()) + " " +
                    DisplayText(path) + ": " + DisplayText(why);
        window_.SetStatusLine("Skipped " + last_skip);
      } else {
        key = WaitOnPicture();
      }
    }
    if (key == SlideKey::Stop)
      break;
    // Previous on the first row shows it again.
    backwards = key == SlideKey::Previous && row > 0;
    if (backwards)
      --row;
    else if (key != SlideKey::Previous)
      ++row;
  }
  // The pictures shown after a skip wrote their own lines over it.
  if (skipped == 1)
    window_.SetStatusLine("Skipped " + last_skip);
  else if (skipped > 1)
    window_.SetStatusLine("Skipped " + std::to_string(skipped) + " pictures, the last " +
                          last_skip);
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
