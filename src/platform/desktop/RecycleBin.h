#pragma once
// The desktop's trash: a deleted file can be brought back from it.

#include <QString>

namespace vls {

// Moves one file into the trash of the desktop (the freedesktop trash of the
// user's data folder, or of the file's own volume). True on success.
bool DeleteToRecycleBin(const QString& path);

}  // namespace vls
