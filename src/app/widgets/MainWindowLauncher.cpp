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
#include "platform/FileServices.h"
#include "platform/desktop/Associations.h"
#include "protect/Container.h"
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

  bool decrypted = false;
  try {
    decrypted = CryptFile(PathBytes(path), kModeDecrypt, true,
                          {*feedback_, disk_caps_, CryptPurpose::Launcher});
  } catch (const std::exception& error) {
    ShowMessage(this, MessageKind::Error, PathText(error.what()));
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
    OpenWithAssociatedProgram(PathText(DecryptedPath));
  }
  SetBusy(false);
  FileListBox1->setEnabled(true);
  viewing_ = false;
}

void TFmainVLS::OpenWithAssociatedProgram(const QString& file) {
  const std::string restored = PathBytes(file);
  const AssociatedProgram program = AssociatedProgram::For(restored);
  if (!program.Found()) {
    // Nothing to ask: the restored file stays for the user to open.
    HintLb->setText("No program is associated with " + QFileInfo(file).fileName());
    return;
  }
  const QString name = QString::fromStdString(program.ProgramName());
  if (Ask("Open " + file + " with " + name) == kAnswerYes) {
    if (const std::string failure = program.Launch(restored); !failure.empty()) {
      // Nothing opened it, so the container stays and the plain file goes.
      ShowMessage(this, MessageKind::Error,
                  "Cannot open " + file + " with " + name + ": " + QString::fromStdString(failure));
      WipePlainCopy(restored);
      return;
    }
    TryRemoveFile(CryptSourcePath);
    ShowMessage(this, MessageKind::Information, "Dont't forget to re-encrypt the file.");
    RereadFileList();
  } else {
    WipePlainCopy(restored);
  }
}

}  // namespace vls
