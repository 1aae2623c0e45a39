#include "protect/PathNames.h"

#include <array>
#include <string_view>

#include "platform/FileServices.h"

namespace vls {

namespace {
std::string::size_type ExtensionStart(const std::string& path) {
  const auto dot = path.rfind('.');
  if (dot == std::string::npos)
    return std::string::npos;
  const auto separator = path.rfind(kPathSeparator);
  if (separator != std::string::npos && dot < separator)
    return std::string::npos;
  return dot;
}
}  // namespace

std::string StripExtension(const std::string& path) {
  const auto dot = ExtensionStart(path);
  return dot == std::string::npos ? path : path.substr(0, dot);
}

std::string ExtensionOf(const std::string& path) {
  const auto dot = ExtensionStart(path);
  return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string UniqueName(const std::string& path) {
  return UniqueName(path, [](const std::string&) { return false; });
}

std::string UniqueName(const std::string& path,
                       const std::function<bool(const std::string&)>& taken) {
  const std::string base = StripExtension(path);
  const std::string extension = ExtensionOf(path);
  for (unsigned long n = 1;; ++n) {
    std::string candidate = base + "~" + std::to_string(n) + extension;
    if (!PathExists(candidate) && !taken(candidate))
      return candidate;
  }
}

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

bool IsPictureExtension(const std::string& extension) {
  static constexpr std::array<std::string_view, 7> kPictures = {".BMP", ".JPG", ".GIF", ".PNG",
                                                                ".PCX", ".TIF", ".WMF"};
  const std::string upper = UpperAscii(extension);
  for (const auto picture : kPictures) {
    if (upper == picture)
      return true;
  }
  return false;
}

}  // namespace vls
