#pragma once
// Process-wide values of the still-picture loader, kept together so a reader
// finds them and a test can reset them.

#include <functional>

namespace vls {

// The progress procedure the loader calls while it decodes: a percentage in
// (0 at the start of a load, then 1..100), nonzero out to go on, 0 to stop the
// load. The main window installs it at start and clears it at close; empty
// means nobody listens.
using ProgressProc = std::function<int(int percent)>;
extern ProgressProc ProgressHook;

// Clears ProgressHook.
void ResetPictureState();

}  // namespace vls
