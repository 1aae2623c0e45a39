#include "protect/ProtectState.h"

#include "platform/Folders.h"

namespace vls {

std::string CryptSourcePath;
bool WrongKey = false;
int WrongKeyCount = 0;
std::string DecryptedPath;
std::string PlainNamePath;
bool KeepOriginals = false;
std::string WindowsFolder;
std::string TempFolder;

void InitFolders() {
  if (WindowsFolder.empty())
    WindowsFolder = DefaultWindowsFolder();
  if (TempFolder.empty())
    TempFolder = DefaultTempFolder(WindowsFolder);
}

std::string SlideShowFolder() {
  InitFolders();
  return TempFolder + "/SLIDE";
}

void ResetProtectState() {
  CryptSourcePath.clear();
  WrongKey = false;
  WrongKeyCount = 0;
  DecryptedPath.clear();
  PlainNamePath.clear();
  KeepOriginals = false;
  WindowsFolder.clear();
  TempFolder.clear();
}

}  // namespace vls
