#pragma once
// The main window's layout: the filter bar on top, the folder pane beside
// the banner and the tabs (SplitterWnd1), the status bar along the bottom.

class QSplitter;
class QTabWidget;
class QWidget;

namespace vls {

struct ShellParts {
  QWidget* filter_bar;
  QWidget* folders;
  QWidget* banner;
  QTabWidget* tabs;
  QWidget* crypt;
  QWidget* viewer;
  QWidget* launcher;
  QWidget* status;
};

// Lays the parts out in window; returns the splitter between the folder
// pane and the rest.
QSplitter* LayOutShell(QWidget& window, const ShellParts& parts);

}  // namespace vls
