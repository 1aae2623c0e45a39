#include "app/widgets/ShellHints.h"

#include <QTabWidget>
#include <QWidget>

namespace vls {
namespace {

struct Hint {
  const char* object_name;
  const char* tooltip;
  const char* accessible_name;
};

constexpr Hint kHints[] = {
    {"PTGroup1", "The kinds of file the list shows, and the folder it shows",
     "File types and folder"},
    {"FilterComboBox1", "Which kinds of file the file list shows", "File types"},
    {"UpOneLevelBtn", "Up one folder", "Up one folder"},
    {"PTShellTree1", "Folders: the one picked here is listed below", "Folders"},
    {"FileListBox1",
     "Files of the folder: click one, or highlight it with the arrow keys and press Enter",
     "Files"},
    {"TabNotebook1", "The three pages of Veilstore", "Pages"},
    {"Panel2", "MORVANE Veilstore", "Banner"},
    {"TransparentButton2", "MORVANE Veilstore", "MORVANE Veilstore"},
    {"TransparentButton1", "Help contents (F1 opens the help of the page shown)", "Help"},
};

// The tabs in their order: "En&crypt/Decrypt", "&Viewer", "&Launcher".
constexpr const char* kTabHints[] = {
    "Encrypt, decrypt or wipe the files of the work list, or show them as a slide show",
    "Look at encrypted pictures without leaving a readable copy",
    "Open encrypted files with the program your desktop uses for them",
};

}  // namespace

void HintShellControls(QWidget& window) {
  for (const Hint& hint : kHints) {
    if (auto* control = window.findChild<QWidget*>(hint.object_name)) {
      control->setToolTip(hint.tooltip);
      control->setAccessibleName(hint.accessible_name);
    }
  }
  if (auto* tabs = window.findChild<QTabWidget*>("TabNotebook1")) {
    for (int i = 0; i < tabs->count() && i < static_cast<int>(std::size(kTabHints)); ++i)
      tabs->setTabToolTip(i, kTabHints[i]);
  }
}

}  // namespace vls
