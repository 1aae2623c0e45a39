#pragma once
// Destroys one file so that neither its contents nor its name stay readable
// under the old name: overwrite in place, flush, rename to random capitals +
// ".~Z~", delete.

#include <cstdint>
#include <string>

#include "protect/Feedback.h"

namespace vls {

// The base name whose wipe is not shown on the status line (the viewer's plain copy).
inline constexpr const char* kViewerPlainBase = "ar~te";

// Wipes the file. Throws FileError when the file cannot be read, overwritten,
// flushed, renamed or removed; the file is then left in place (overwritten or
// not, under its own name or the wipe name, as far as the wipe got).
void WipeFile(const std::string& path, Feedback& feedback);

// The wipe name for a path: as many random capitals as the file name has
// characters without its extension (at most 255), then ".~Z~", in the same folder.
std::string WipeName(const std::string& path);

}  // namespace vls
