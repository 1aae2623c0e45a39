#include "viewing/SlideShowFlow.h"

#include "cipher/Cipher.h"

namespace vls {

void SlideShowFlow::Run() {
  for (std::size_t row = 0; row < window_.RowCount(); ++row) {
    if (KeyString.empty())
      window_.StepAside();
    // A missing file or a cancelled password moves on at once.
    if (!viewer_.View(window_.RowPath(row), form_, false))
      continue;
    if (window_.WaitForStop(kSlideRounds))
      break;
  }
  window_.PutAway();
  DropKey();
}

}  // namespace vls
