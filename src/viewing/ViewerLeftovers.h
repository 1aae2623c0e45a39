#pragma once
// Plain copies that a view leaves behind when the program ends in the middle
// of one (a crash, a kill, a power cut): the viewer's "ar~te" + extension and
// the "*.~tx" file a decryption writes before its final rename. Both only
// ever live in TempFolder; start-up wipes them there.

#include <string>
#include <vector>

#include "protect/Feedback.h"

namespace vls {

// True for a file name the viewer or an unfinished decryption leaves in
// TempFolder: "ar~te", "ar~te.<anything>" or "<anything>.~tx".
bool IsViewerLeftover(const std::string& file_name);

// Wipes every leftover regular file in the folder (a missing folder holds
// none). Returns one line per file that could not be wiped, saying why.
std::vector<std::string> WipeViewerLeftovers(const std::string& folder, Feedback& feedback);

}  // namespace vls
