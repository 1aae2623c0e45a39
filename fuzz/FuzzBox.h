#pragma once
// What the container fuzz targets share: a private folder per process for
// the containers they decrypt, and volume facts that need no disk.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "protect/VolumeFacts.h"

namespace vls::fuzz {

class NoVolumes : public VolumeFacts {
 public:
  std::string FileSystemOf(const std::string&) override { return "ext4"; }
};

// The target's folder, with its "box" for the containers, made on first use;
// in memory where the system has /dev/shm.
inline const std::filesystem::path& FuzzRoot(const std::string& target) {
  static const std::filesystem::path root = [&target] {
    namespace fs = std::filesystem;
    const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    fs::path path = base / ("vls-" + target + "-fuzz-" + std::to_string(::getpid()));
    fs::create_directories(path / "box");
    return path;
  }();
  return root;
}

// After a run: aborts if anything was written outside "box" and "windows"
// (the temporary folder), then empties both for the next run.
inline void CheckAndEmpty(const std::filesystem::path& root) {
  for (const auto& entry : std::filesystem::directory_iterator(root)) {
    const auto name = entry.path().filename().string();
    if (name != "box" && name != "windows")
      std::abort();  // escaped the folder
  }
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(root / "box"))
    std::filesystem::remove_all(entry, ignored);
  std::filesystem::remove_all(root / "windows", ignored);
}

// Whether the input is the only file under root (nothing else was written).
inline bool OnlyInput(const std::filesystem::path& root, const std::filesystem::path& input) {
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(root, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (!it->is_directory() && it->path() != input)
      return false;
  }
  return !error;
}

inline void WriteBytes(const std::filesystem::path& path, const char* bytes, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes, static_cast<std::streamsize>(size));
}

}  // namespace vls::fuzz
