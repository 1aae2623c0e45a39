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
  const std::size_t rows = window_.RowCount();
  std::size_t skipped = 0;
  std::string last_skip;  // "2/5 /path/b.vlp: why", as the batches count rows
  for (std::size_t row = 0; row < rows; ++row) {
    if (KeyString.empty())
      window_.StepAside();
    const std::string path = window_.RowPath(row);
    // A missing file or a cancelled password moves on at once.
    if (!viewer_.View(path, form_, false))
      continue;
    // So does a picture that could not be shown: there is nothing to look at.
    if (const std::string& why = viewer_.Unshown(); !why.empty()) {
      ++skipped;
      last_skip = std::to_string(row + 1) + "/" + std::to_string(rows) + " " + DisplayText(path) +
                  ": " + DisplayText(why);
      window_.SetStatusLine("Skipped " + last_skip);
      continue;
    }
    if (window_.WaitForStop(kSlideRounds))
      break;
  }
  // The pictures shown after a skip wrote their own lines over it.
  if (skipped == 1)
    window_.SetStatusLine("Skipped " + last_skip);
  else if (skipped > 1)
    window_.SetStatusLine("Skipped " + std::to_string(skipped) + " pictures, the last " +
                          last_skip);
}

}  // namespace vls
