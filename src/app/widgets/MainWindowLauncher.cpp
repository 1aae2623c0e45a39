// The secure launcher of the main window: a click on an encrypted file
// restores it beside the container and offers to open it with the program
// the desktop associates with its type. Yes starts the program, deletes the
// container and reminds the user to encrypt the file again; No wipes the
// restored file.

#include <QFileInfo>
#include <QLabel>
#include <QListView>

#include "app/widgets/MainWindow.h"
#include "app/widgets/MessageBoxes.h"
#include "app/widgets/WindowFeedback.h"
#include "cipher/Cipher.h"
#include "platform/DisplayText.h"
#include "platform/FileServices.h"
#include "platform/Interruption.h"
#include "platform/desktop/Associations.h"
#include "protect/Container.h"
#include "protect/PendingFiles.h"
#include "protect/ProtectState.h"
#include "protect/widgets/Ask.h"
#include "viewing/widgets/PasswordDialogs.h"

namespace vls {

void TFmainVLS::LaunchEncryptedFile(const QString& path) {
  // A picture load on the viewer processes pending events; a drop arriving
  // then starts no second decryption.
  if (viewing_)
    return;
  keys_.Use();
  if (KeyString.empty()) {
    RequestDecryptionKey(this);
    if (KeyString.empty())
      return;
  }
  keys_.Use();
  viewing_ = true;
  SetBusy(true);
  FileListBox1->setEnabled(false);

  // The restored file is listed until the user opens it (then it is theirs)
  // or it is wiped; whatever way this ends, it never stays unasked.
  PendingFile restored;
  bool decrypted = false;
  try {
    decrypted = CryptFile(PathBytes(path), kModeDecrypt, true,
                          {*feedback_, disk_caps_, CryptPurpose::Launcher, nullptr, &restored})
                    .done();
  } catch (const Interrupted&) {
    decrypted = false;  // the program is being stopped; nothing was left
  } catch (const std::exception& error) {
    ShowMessage(this, MessageKind::Error, QString::fromStdString(DisplayText(error.what())));
  }
  if (WrongKey) {
    ShowMessage(this, MessageKind::Information, "BAD KEY! " + path);
    keys_.Drop();
    SetKeyTimerEnabled(false);
    keys_.HideIndicators();
  } else if (decrypted) {
    SetBusy(false);
    keys_.ArmLauncher();
    ClearViewerPicture();
    try {
      OpenWithAssociatedProgram(restored);
    } catch (const std::exception& error) {
      const std::string name = DisplayText(FileNameOf(restored.path()));
      WipePlainCopy(restored);
      ShowMessage(this, MessageKind::Error,
                  QString::fromStdString("The restored file " + name +
                                         " was wiped: " + DisplayText(error.what())));
    }
  }
  SetBusy(false);
  FileListBox1->setEnabled(true);
  viewing_ = false;
}

void TFmainVLS::OpenWithAssociatedProgram(PendingFile& restored) {
  const std::string file = restored.path();
  const std::string name = FileNameOf(file);
  const AssociatedProgram program = AssociatedProgram::For(file);
  if (!program.Found()) {
    // Nothing can open it: the user keeps it knowingly or it is wiped.
    const std::string hidden = name.starts_with(".") ? " (a hidden file)" : "";
    if (Ask("No program is associated with " + name + hidden + ". Keep it?") == kAnswerYes) {
      restored.Release();
      HintLb->setText(QString::fromStdString("No program is associated with " + DisplayText(name)));
      RereadFileList();
    } else {
      WipePlainCopy(restored);
    }
    return;
  }
  const std::string program_name = program.DisplayName();
  if (Ask(LaunchQuestion(file, program_name)) != kAnswerYes) {
    WipePlainCopy(restored);
    return;
  }
  if (const std::string failure = program.Launch(file); !failure.empty()) {
    // Nothing opened it, so the container stays and the plain file goes.
    WipePlainCopy(restored);
    ShowMessage(this, MessageKind::Error,
                QString::fromStdString("Cannot open " + DisplayText(file) + " with " +
                                       DisplayText(program_name) + ": " + DisplayText(failure)));
    return;
  }
  restored.Release();  // the program has it now: it is the user's file
  TryRemoveFile(CryptSourcePath);
  ShowMessage(this, MessageKind::Information, "Dont't forget to re-encrypt the file.");
  RereadFileList();
}

}  // namespace vls
