#pragma once
// The desktop program's command line. "--help" and "--version" are answered
// before any window exists, so they work without a display; otherwise the
// files named are what the window opens (the first one).

#include <QStringList>
#include <optional>
#include <string>

namespace vls {

// What "--help" (-h) or "--version" (-v) print, or nothing when the command
// line asks neither. arguments: as the program got them, the program first;
// options the window toolkit takes ("-platform x") are passed over.
std::optional<std::string> EarlyAnswer(const QStringList& arguments);

// The files named, in order, without options ("--" ends them). arguments:
// as the program got them, after the window toolkit took its own.
QStringList NamedFiles(const QStringList& arguments);

}  // namespace vls
