#pragma once
// An I/O failure that carries the path it happened on.

#include <cerrno>
#include <string>
#include <system_error>

namespace vls {

class FileError : public std::system_error {
 public:
  FileError(int error_number, std::string path, const std::string& what)
      : std::system_error(error_number, std::generic_category(), what + " " + path),
        path_(std::move(path)) {}
  const std::string& path() const noexcept { return path_; }

 private:
  std::string path_;
};

// Throws FileError for the current errno.
[[noreturn]] inline void ThrowFileError(const std::string& path, const std::string& what) {
  throw FileError(errno, path, what);
}

}  // namespace vls
