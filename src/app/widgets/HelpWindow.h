#pragma once
// The program's help: HTML pages shown in a help window, opened at the topic
// of a context number (1000 the main page, 1080 the viewer, 1090 the launcher).

#include <QString>

class QWidget;

namespace vls {

// The page of a help context ("index.html" for unknown numbers).
QString HelpTopicOf(int context);
// Where the help pages are: beside the installed program, in the source tree
// of a build, or inside the program as a fallback. "" when none is found.
QString HelpFolder();
// Opens the help window at the context's topic; a missing page gives one
// clear message.
void ShowHelp(QWidget* parent, int context);

}  // namespace vls
