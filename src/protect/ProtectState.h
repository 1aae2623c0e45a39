#pragma once
// Process-wide values of the protected-files subsystem, kept together so a
// reader finds them and a test can reset them.

#include <string>

namespace vls {

// Set by CryptFile for its callers.
extern std::string CryptSourcePath;  // the source of the latest call
extern bool WrongKey;                // the latest container had another key
extern int WrongKeyCount;            // containers rejected for a wrong key; callers zero it
extern std::string DecryptedPath;    // where the latest decryption put the plain file
extern std::string PlainNamePath;    // source folder + stored name (at most 255 bytes)

// Read by CryptFile.
extern bool KeepOriginals;         // keep plain sources after encryption
extern bool StrongEncryption;      // new containers are sealed, not classic
extern std::string WindowsFolder;  // the program's per-user data folder
extern std::string TempFolder;     // private folder for short-lived plain copies

// Fills WindowsFolder and TempFolder from the environment when they are empty.
void InitFolders();
// Makes TempFolder exist and be private; when it cannot be (another user
// could reach it), TempFolder becomes a fresh private folder. Throws
// FileError when not even that can be made.
void EnsureTempFolder();
// Resets every value above (and the folders) to its start state.
void ResetProtectState();

}  // namespace vls
