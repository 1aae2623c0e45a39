#include "protect/ProtectState.h"

#include "platform/FileError.h"
#include "platform/Folders.h"

namespace vls {

std::string CryptSourcePath;
bool WrongKey = false;
int WrongKeyCount = 0;
std::string DecryptedPath;
std::string PlainNamePath;
bool KeepOriginals = false;
bool StrongEncryption = false;
std::string WindowsFolder;
std::string TempFolder;

void InitFolders() {
  if (WindowsFolder.empty())
    WindowsFolder = DefaultWindowsFolder();
  if (TempFolder.empty())
    TempFolder = DefaultTempFolder(WindowsFolder);
}

void EnsureTempFolder() {
  InitFolders();
  try {
    EnsurePrivateFolder(TempFolder);
  } catch (const FileError&) {
    // Somewhere others could reach: this run keeps its copies in a fresh
    // private folder instead.
    TempFolder = MakeFreshPrivateFolder();
  }
}

void ResetProtectState() {
  CryptSourcePath.clear();
  WrongKey = false;
  WrongKeyCount = 0;
  DecryptedPath.clear();
  PlainNamePath.clear();
  KeepOriginals = false;
  StrongEncryption = false;
  WindowsFolder.clear();
  TempFolder.clear();
}

}  // namespace vls
