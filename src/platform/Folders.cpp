#include "platform/Folders.h"

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

}  // namespace

std::string DefaultWindowsFolder() {
  std::string data = Env("XDG_DATA_HOME");
  if (data.empty() || data[0] != '/') {
    std::string home = Env("HOME");
    if (home.empty())
      home = "/tmp";
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
  // Create the parents (ordinary permissions), then the folder itself.
  for (std::size_t pos = folder.find('/', 1); pos != std::string::npos;
       pos = folder.find('/', pos + 1)) {
    MakeFolder(folder.substr(0, pos), 0755);
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
}

}  // namespace vls
