#pragma once
// The program's help: HTML pages shown in a help window, opened at the topic
// of a context number (1000 the main page, 1080 the viewer, 1090 the
// launcher), or at the topic of a page of the main window (F1).

#include <QString>
#include <functional>

class QWidget;

namespace vls {

// The page of a help context ("index.html" for unknown numbers).
QString HelpTopicOf(int context);
// The topic of a page of the main window (0, 1, 2), with its anchor:
// "index.html#crypt", "viewer.html", "launcher.html".
QString PageHelpTopic(int page);
// Where the help pages are: beside the installed program, in the source tree
// of a build, or inside the program as a fallback. "" when none is found.
QString HelpFolder();
// Opens the help window at the context's topic; a missing page gives one
// clear message.
void ShowHelp(QWidget* parent, int context);
// Opens the help window at a topic ("page.html" or "page.html#anchor").
void ShowHelpTopic(QWidget* parent, const QString& topic);
// F1 in the window opens the help at the topic asked at that moment.
void AddHelpKey(QWidget& window, std::function<QString()> topic);

}  // namespace vls
