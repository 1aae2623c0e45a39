#pragma once
// Where the main window was: "Left" and "Top" as decimal strings in the
// settings group of the window ("0x" values are read as hexadecimal).

#include <QPoint>
#include <QString>
#include <optional>

class QSettings;

namespace vls {

// The settings of the program ("Morvane", "VLS32").
QSettings& ProgramSettings();

// Reads one coordinate; missing or unreadable values give nothing.
std::optional<int> ParseCoordinate(const QString& text);

// The stored edges of the window group: each edge that can be read replaces
// that edge of current; nothing when neither can be read.
std::optional<QPoint> LoadWindowPosition(QSettings& settings, const QString& group, QPoint current);
void SaveWindowPosition(QSettings& settings, const QString& group, QPoint topLeft);

}  // namespace vls
