#pragma once
// The program the desktop associates with a file's type, found and started
// through GIO: the file's content type (from its name and, where the name
// says nothing, its first bytes), the default application for that type,
// and a launch of that application with the file that does not wait for it.

#include <memory>
#include <string>

namespace vls {

class AssociatedProgram {
 public:
  // The default program for the file's content type; not Found() when the
  // desktop has none (or the file cannot be looked at).
  static AssociatedProgram For(const std::string& path);

  bool Found() const { return app_ != nullptr; }
  // The content type the lookup used, e.g. "image/png"; "" when unknown.
  const std::string& ContentType() const { return content_type_; }
  // The executable the program's desktop entry runs, as written there
  // ("libreoffice", "/usr/bin/eog"); "" when not Found().
  std::string Executable() const;
  // The file name part of Executable().
  std::string ProgramName() const;
  // The program's name as its desktop entry gives it ("Text Opener"): what
  // the user is told. ProgramName() where the entry names none.
  std::string DisplayName() const;

  // Opens the file with the program and returns at once. "" when the program
  // was started, otherwise the reason it was not.
  std::string Launch(const std::string& path) const;

 private:
  std::shared_ptr<void> app_;  // the GAppInfo, released with the last copy
  std::string content_type_;
};

}  // namespace vls
