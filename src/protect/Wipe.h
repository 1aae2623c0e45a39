#pragma once
// Destroys one file so that neither its contents nor its name stay readable
// under the old name: overwrite in place, flush, rename to random capitals +
// ".~Z~", delete.

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "protect/Feedback.h"

namespace vls {

// The base name whose wipe is not shown on the status line (the viewer's plain copy).
inline constexpr const char* kViewerPlainBase = "ar~te";

// Wipes the file. Throws FileError when the file cannot be read, overwritten,
// flushed, renamed or removed; the file is then left in place (overwritten or
// not, under its own name or the wipe name, as far as the wipe got).
void WipeFile(const std::string& path, Feedback& feedback);

// Wipes several files with one flush per step for all of them instead of
// one per file: each file takes its wipe name as it is added; Finish then
// flushes their folders once each, overwrites every file, flushes the
// overwrites together, removes the files and flushes their folders again. A
// group of one file is wiped exactly as WipeFile does.
class WipeGroup {
 public:
  explicit WipeGroup(Feedback& feedback);
  ~WipeGroup();
  WipeGroup(const WipeGroup&) = delete;
  WipeGroup& operator=(const WipeGroup&) = delete;

  // Opens the file and gives it its wipe name. Throws FileError when it
  // cannot: the file is then as it was, and not in the group.
  void Add(const std::string& path);
  std::size_t size() const;
  // Finishes every file added (a wipe once begun is finished), calling
  // overwritten(i) after the i-th file's overwrite. Returns, per file in the
  // order added, nullptr when it is gone, or the FileError that says what is
  // left of it.
  std::vector<std::exception_ptr> Finish(const std::function<void(std::size_t)>& overwritten = {});

 private:
  struct Member;
  Feedback& feedback_;
  std::vector<std::unique_ptr<Member>> members_;
};

// The wipe name for a path: as many random capitals as the file name has
// characters without its extension (at most 255), then ".~Z~", in the same folder.
std::string WipeName(const std::string& path);

}  // namespace vls
