#pragma once
// The program's per-user folders. WindowsFolder is the program's own data
// folder; TempFolder holds the short-lived plain copies of the viewer and of
// decryptions from read-only volumes, so it is private to the user (0700) and
// lies on a RAM-backed folder when the session has one.

#include <string>

namespace vls {

// $XDG_DATA_HOME/veilstore (or ~/.local/share/veilstore), without a trailing separator.
std::string DefaultWindowsFolder();
// $XDG_RUNTIME_DIR/veilstore/TEMP when that runtime folder exists, otherwise
// WindowsFolder + "/TEMP".
std::string DefaultTempFolder(const std::string& windows_folder);

// Creates the folder and its missing parents; the last one gets mode 0700. An
// existing folder that others may read is made private; one owned by another
// user is refused. Throws FileError.
void EnsurePrivateFolder(const std::string& folder);

}  // namespace vls
