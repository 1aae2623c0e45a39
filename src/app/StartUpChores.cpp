#include "app/StartUpChores.h"

#include <string>
#include <vector>

#include "app/DesktopShortcut.h"
#include "platform/DisplayText.h"
#include "protect/Feedback.h"
#include "protect/PendingFiles.h"
#include "protect/ProtectState.h"
#include "protect/ViewerLeftovers.h"

namespace vls {

QStringList RunStartUpChores(const QString& program_path) {
  QStringList notices;
  InitFolders();  // WindowsFolder and TempFolder of this user
  SilentFeedback quiet;
  std::vector<std::string> failures = DisposeOfStaleLeftovers(quiet);
  for (std::string& failure : WipeViewerLeftovers(TempFolder, quiet))
    failures.push_back(std::move(failure));
  if (!failures.empty()) {
    std::string text = "Plain copies left by an earlier run could not be wiped:";
    for (const std::string& failure : failures)
      text += "\n" + DisplayText(failure);
    notices << QString::fromStdString(text);
  }
  if (const QString failure = PlaceDesktopShortcutOnce(program_path); !failure.isEmpty())
    notices << "The desktop shortcut could not be placed: " + failure;
  return notices;
}

}  // namespace vls
