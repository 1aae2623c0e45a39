#pragma once
// An I/O failure that carries the path it happened on.

#include <cerrno>
#include <string>
#include <system_error>

namespace vls {

class FileError : public std::system_error {
 public:
  // "what path: the system's text for error_number".
  FileError(int error_number, std::string path, const std::string& what)
      : FileError(error_number, std::move(path), what,
                  std::generic_category().message(error_number)) {}
  // "what path: reason", for refusals the system did not report.
  FileError(int error_number, std::string path, const std::string& what, const std::string& reason)
      : std::system_error(error_number, std::generic_category()),
        path_(std::move(path)),
        text_(what + " " + path_ + (reason.empty() ? "" : ": " + reason)) {}
  const std::string& path() const noexcept { return path_; }
  const char* what() const noexcept override { return text_.c_str(); }

 private:
  std::string path_;
  std::string text_;
};

// Throws FileError for the current errno.
[[noreturn]] inline void ThrowFileError(const std::string& path, const std::string& what) {
  throw FileError(errno, path, what);
}

}  // namespace vls
