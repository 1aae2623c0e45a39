#pragma once
// The chores of the desktop program's start, before its window is used: the
// user's folders (WindowsFolder, TempFolder), the plain copies and pending
// files an earlier run left (wiped), and the desktop launcher at the first
// start. Nothing of it belongs on the status bar.

#include <QString>
#include <QStringList>

namespace vls {

// Runs the chores; returns what the user must be told, in order (the window
// tells it once it is up).
QStringList RunStartUpChores(const QString& program_path);

}  // namespace vls
