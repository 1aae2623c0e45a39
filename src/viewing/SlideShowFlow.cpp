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
  for (std::size_t row = 0; row < window_.RowCount(); ++row) {
    if (KeyString.empty())
      window_.StepAside();
    // A missing file or a cancelled password moves on at once.
    if (!viewer_.View(window_.RowPath(row), form_, false))
      continue;
    if (window_.WaitForStop(kSlideRounds))
      break;
  }
}

}  // namespace vls
