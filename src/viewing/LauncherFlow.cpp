#include "viewing/LauncherFlow.h"

#include "cipher/Cipher.h"
#include "platform/AtExit.h"
#include "platform/DisplayText.h"
#include "platform/FileServices.h"
#include "platform/Interruption.h"
#include "protect/Container.h"

namespace vls {

void LauncherFlow::Launch(const std::string& path) {
  if (lock_.busy)
    return;
  keys_.Use();
  if (KeyString.empty()) {
    window_.RequestDecryptionKey();
    if (KeyString.empty())
      return;
  }
  keys_.Use();
  lock_.busy = true;
  AtExit ready([this] {
    window_.SetLaunchBusy(false);
    lock_.busy = false;
  });
  window_.SetLaunchBusy(true);
  // The restored file is listed until the user opens it (then it is theirs)
  // or it is wiped; whatever way this ends, it never stays unasked.
  PendingFile restored;
  CryptResult result;
  try {
    result = CryptFile(path, kModeDecrypt, true,
                       {feedback_, volumes_, CryptPurpose::Launcher, nullptr, &restored});
  } catch (const Interrupted&) {
    result = CryptResult();  // the program is being stopped; nothing was left
  }
  if (result.outcome == CryptOutcome::WrongKey) {
    feedback_.ShowInformation("BAD KEY! " + path);
    keys_.Drop();
    window_.StopKeyTimer();
    keys_.HideIndicators();
  } else if (result) {
    window_.SetLaunchBusy(false);
    keys_.ArmLauncher();
    window_.ClearViewerPicture();
    try {
      Offer(restored, path);
    } catch (const std::exception& error) {
      const std::string name = DisplayText(FileNameOf(restored.path()));
      Wipe(restored);
      feedback_.ShowError("The restored file " + name + " was wiped: " + DisplayText(error.what()));
    }
  }
}

void LauncherFlow::Offer(PendingFile& restored, const std::string& container) {
  const std::string file = restored.path();
  const std::string name = FileNameOf(file);
  const std::string program = opener_.ProgramFor(file);
  if (program.empty()) {
    // Nothing can open it: the user keeps it knowingly or it is wiped.
    const std::string hidden = name.starts_with(".") ? " (a hidden file)" : "";
    if (feedback_.Ask("No program is associated with " + name + hidden + ". Keep it?") ==
        kAnswerYes) {
      restored.Release();
      window_.SetStatusLine("No program is associated with " + DisplayText(name));
      window_.RereadFolder();
    } else {
      Wipe(restored);
    }
    return;
  }
  if (feedback_.Ask(LaunchQuestion(file, program)) != kAnswerYes) {
    Wipe(restored);
    return;
  }
  if (const std::string failure = opener_.Open(file); !failure.empty()) {
    // Nothing opened it, so the container stays and the plain file goes.
    Wipe(restored);
    feedback_.ShowError("Cannot open " + DisplayText(file) + " with " + DisplayText(program) +
                        ": " + DisplayText(failure));
    return;
  }
  restored.Release();  // the program has it now: it is the user's file
  TryRemoveFile(container);
  feedback_.ShowInformation(kReencryptReminder);
  window_.RereadFolder();
}

void LauncherFlow::Wipe(PendingFile& restored) {
  WipePlainCopy(restored, feedback_);
}

}  // namespace vls
