#include "platform/Folders.h"

#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/FileError.h"

namespace vls {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void MakeFolder(const std::string& path, mode_t mode) {
  if (::mkdir(path.c_str(), mode) != 0 && errno != EEXIST) {
    ThrowFileError(path, "Cannot create folder");
  }
}

// The user's home folder: $HOME, or the one the user database gives.
std::string HomeFolder() {
  std::string home = Env("HOME");
  if (home.empty() || home[0] != '/') {
    const struct passwd* entry = ::getpwuid(::getuid());
    home = entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
  }
  return home;
}

// Another user could move, replace or remove what lies in this folder: it is
// owned by someone other than this user or root, or others may write in it
// without the sticky bit that keeps them off other people's entries (the
// sticky folder itself being this user's or root's).
std::string OthersCanChange(const struct stat& st) {
  if (st.st_uid != ::getuid() && st.st_uid != 0)
    return "it belongs to another user";
  const bool sticky = (st.st_mode & S_ISVTX) != 0;
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && !sticky)
    return "other users may write in it";
  return std::string();
}

// Checks every folder on the way to folder (which exists).
void CheckAncestors(const std::string& folder) {
  for (std::size_t pos = 0; pos != std::string::npos;) {
    pos = folder.find('/', pos + 1);
    const std::string ancestor = pos == std::string::npos ? folder : folder.substr(0, pos);
    struct stat st {};
    if (::stat(ancestor.c_str(), &st) != 0)
      ThrowFileError(ancestor, "Cannot open folder");
    if (const std::string reason = OthersCanChange(st); !reason.empty())
      throw FileError(EACCES, folder,
                      "Not a private folder of this user:", ancestor + ": " + reason);
  }
}

}  // namespace

std::string DefaultWindowsFolder() {
  std::string data = Env("XDG_DATA_HOME");
  if (data.empty() || data[0] != '/') {
    std::string home = HomeFolder();
    if (home.empty())
      home = "/tmp";  // checked like any other place before plain copies go there
    data = home + "/.local/share";
  }
  return data + "/veilstore";
}

std::string DefaultTempFolder(const std::string& windows_folder) {
  const std::string runtime = Env("XDG_RUNTIME_DIR");
  if (!runtime.empty() && runtime[0] == '/' && IsFolder(runtime)) {
    return runtime + "/veilstore/TEMP";
  }
  return windows_folder + "/TEMP";
}

void EnsurePrivateFolder(const std::string& folder) {
  // Missing parents are created private too, then the folder itself.
  for (std::size_t pos = folder.find('/', 1); pos != std::string::npos;
       pos = folder.find('/', pos + 1)) {
    MakeFolder(folder.substr(0, pos), 0700);
  }
  MakeFolder(folder, 0700);
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0)
    ThrowFileError(folder, "Cannot open folder");
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
    errno = EACCES;
    ThrowFileError(folder, "Not a private folder of this user:");
  }
  if ((st.st_mode & 0077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
    ThrowFileError(folder, "Cannot make folder private");
  }
  CheckAncestors(folder);
}

std::string MakeFreshPrivateFolder() {
  std::string base = Env("TMPDIR");
  if (base.empty() || base[0] != '/')
    base = "/tmp";
  std::string name = base + "/veilstore-XXXXXX";
  if (::mkdtemp(name.data()) == nullptr)
    ThrowFileError(base, "Cannot create a private folder in");
  EnsurePrivateFolder(name);
  return name;
}

}  // namespace vls
