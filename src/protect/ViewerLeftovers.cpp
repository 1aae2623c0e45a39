#include "protect/ViewerLeftovers.h"

#include <filesystem>
#include <functional>
#include <system_error>

#include "protect/PathNames.h"
#include "protect/Wipe.h"

namespace vls {
namespace {

// Wipes the regular files of the folder whose names match.
std::vector<std::string> WipeMatching(const std::string& folder,
                                      const std::function<bool(const std::string&)>& matches,
                                      Feedback& feedback) {
  namespace fs = std::filesystem;
  std::vector<std::string> failures;
  std::error_code error;
  fs::directory_iterator entries(folder, error);
  if (error) {
    if (error != std::errc::no_such_file_or_directory) {
      failures.push_back(folder + ": " + error.message());
    }
    return failures;
  }
  // Collected first: the wipe renames files inside the folder being read.
  std::vector<std::string> leftovers;
  for (const fs::directory_entry& entry : entries) {
    const std::string name = entry.path().filename().string();
    if (matches(name) && entry.is_regular_file(error) && !entry.is_symlink(error)) {
      leftovers.push_back(entry.path().string());
    }
  }
  for (const std::string& path : leftovers) {
    try {
      WipeFile(path, feedback);
    } catch (const std::exception& failure) {
      failures.push_back(failure.what());
    }
  }
  return failures;
}

}  // namespace

bool IsViewerLeftover(const std::string& file_name) {
  const std::string base = kViewerPlainBase;
  if (file_name == base || file_name.starts_with(base + "."))
    return true;
  return UpperAscii(ExtensionOf(file_name)) == ".~TX";
}

std::vector<std::string> WipeViewerLeftovers(const std::string& folder, Feedback& feedback) {
  std::vector<std::string> failures = WipeMatching(folder, IsViewerLeftover, feedback);
  // The slide show's folder holds nothing but its plain copies.
  for (std::string& failure : WipeMatching(
           folder + "/SLIDE", [](const std::string&) { return true; }, feedback)) {
    failures.push_back(std::move(failure));
  }
  return failures;
}

}  // namespace vls
