#pragma once
// Plain copies that a view leaves behind when the program ends in the middle
// of one (a crash, a kill, a power cut): the viewer's "ar~te" + extension,
// the "*.~tx" file a decryption writes before its final rename, and the slide
// show's copies in the folder "SLIDE". All only ever live in TempFolder;
// start-up wipes them there.

#include <string>
#include <vector>

#include "protect/Feedback.h"

namespace vls {

// True for a file name the viewer or an unfinished decryption leaves in
// TempFolder: "ar~te", "ar~te.<anything>" or "<anything>.~tx".
bool IsViewerLeftover(const std::string& file_name);

// Wipes every leftover regular file in the folder and every file in its
// "SLIDE" folder (a missing folder holds none). Returns one line per file that could not be wiped,
// saying why.
std::vector<std::string> WipeViewerLeftovers(const std::string& folder, Feedback& feedback);

}  // namespace vls
