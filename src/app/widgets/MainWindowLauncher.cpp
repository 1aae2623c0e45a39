// The secure launcher of the main window: a click on an encrypted file
// restores it beside the container and offers to open it with the program
// the desktop associates with its type. Yes starts the program, deletes the
// container and reminds the user to encrypt the file again; No wipes the
// restored file.

#include <QFileInfo>
#include <QLabel>
#include <QListView>

#include "app/widgets/LauncherPage.h"
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
  launcher_->Launch(path);
}

}  // namespace vls
