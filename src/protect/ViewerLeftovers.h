#pragma once
// Plain copies left in TempFolder when a program ends in the middle of
// writing one (a crash, a kill, a power cut): the "*.~tx" file a decryption
// writes there before its final rename (from a CD volume), and what earlier
// versions of the viewer and the slide show left, which wrote their pictures
// to disk: "ar~te" + extension, and the copies in the folder "SLIDE".
// Start-up wipes them there.

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
