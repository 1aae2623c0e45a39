#pragma once
// Where the main window was: "Left" and "Top" as decimal strings in the
// settings group of the window ("0x" values are read as hexadecimal). Beside
// them the group keeps the rest of the window's layout between runs: its
// size ("Width", "Height", read as the edges are), whether it was maximised
// ("Maximized"), the panes of each splitter (under the splitter's name,
// "174,426") and the folder the file list showed ("Folder").

#include <QList>
#include <QPoint>
#include <QSize>
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

// The size of the normal placement; nothing unless both values are readable
// and positive.
std::optional<QSize> LoadWindowSize(QSettings& settings, const QString& group);
bool LoadWindowMaximized(QSettings& settings, const QString& group);
void SaveWindowSize(QSettings& settings, const QString& group, QSize size, bool maximized);

// The sizes of a splitter's panes; empty unless every one is readable and
// none is negative or larger than any screen.
QList<int> LoadPaneSizes(QSettings& settings, const QString& group, const QString& splitter);
void SavePaneSizes(QSettings& settings, const QString& group, const QString& splitter,
                   const QList<int>& sizes);

// The folder the file list starts in: the one it showed last while that is
// still an existing folder named by an absolute path, otherwise home.
QString StartFolder(QSettings& settings, const QString& group, const QString& home);
void SaveLastFolder(QSettings& settings, const QString& group, const QString& folder);

}  // namespace vls
