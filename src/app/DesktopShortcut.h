#pragma once
// The desktop launcher "Veilstore.desktop" (comment "MORVANE Veilstore"),
// placed once per user.

#include <QString>

namespace vls {

// Writes the launcher into the desktop folder; returns "" on success or the
// reason it failed.
QString CreateDesktopShortcut(const QString& desktopFolder, const QString& programPath);

// Places the launcher at the first start only (remembered in the settings);
// returns the failure text, or "" when it was placed or was due no more.
QString PlaceDesktopShortcutOnce(const QString& programPath);

}  // namespace vls
