#pragma once
// The program's per-user folders. WindowsFolder is the program's own data
// folder; TempFolder holds the short-lived plain copies of the viewer and of
// decryptions from read-only volumes, so it is private to the user (0700) and
// lies on a RAM-backed folder when the session has one.

#include <string>

namespace vls {

// $XDG_DATA_HOME/veilstore (or ~/.local/share/veilstore, the home folder
// taken from the user database when $HOME is not set), without a trailing
// separator.
std::string DefaultWindowsFolder();
// $XDG_RUNTIME_DIR/veilstore/TEMP when that runtime folder exists, otherwise
// WindowsFolder + "/TEMP".
std::string DefaultTempFolder(const std::string& windows_folder);

// Creates the folder and its missing parents (mode 0700). An existing folder
// that others may read is made private. Refused (FileError) when another user
// could move, replace or remove anything on the way to it: a folder on the
// path that belongs to another user (root aside), or that others may write
// in (unless it is sticky, as /tmp is, which keeps them off the entries of
// others).
void EnsurePrivateFolder(const std::string& folder);

// A new folder of random name and mode 0700 in $TMPDIR or /tmp, for when the
// usual places are not private. Throws FileError.
std::string MakeFreshPrivateFolder();

}  // namespace vls
