#pragma once
// Group commit: many small files encrypted with a few flushes for all of
// them instead of several each. Every file is written and checked under its
// temporary name as it is added; Commit then flushes the outputs together,
// renames them into place, flushes their folders once each, and only then
// wipes the sources, with one flush per step for the whole group. So every
// output is on the disk, under its name, before any source is touched, and a
// stop at any moment leaves each file of the group untouched or done.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "protect/Container.h"

namespace vls {

// How far a group grows before it is committed: few enough files and bytes
// that progress and a cancel stay prompt. A file too large for a group is
// processed on its own.
inline constexpr std::size_t kGroupFiles = 100;
inline constexpr std::uint64_t kGroupBytes = std::uint64_t{64} << 20;

class CryptGroup {
 public:
  // Only encryption (mode 1) is grouped so far.
  CryptGroup(int mode, const CryptContext& context);
  ~CryptGroup();
  CryptGroup(const CryptGroup&) = delete;
  CryptGroup& operator=(const CryptGroup&) = delete;

  // Whether a file of this size joins the group as it is; false when the
  // group must be committed first (or the file goes alone).
  bool Takes(const std::string& path, std::uint64_t size) const;
  bool empty() const;

  // Writes and checks one file's output. A result that is not done is final
  // (told, published; nothing staged, the source untouched); a done one is
  // staged, and Commit says how it ends. Throws Interrupted as CryptFile
  // does, having disposed of this file's output.
  CryptResult Add(const std::string& path);

  // Puts the staged files in place and wipes their sources. Returns, in the
  // order added, each file and how it ended (told and published). After a
  // failure of one file, the files staged after it are left untouched and not
  // listed. The group is empty afterwards.
  std::vector<std::pair<std::string, CryptResult>> Commit();

 private:
  struct Staged;
  int mode_;
  const CryptContext& context_;
  std::vector<std::unique_ptr<Staged>> staged_;
  std::uint64_t bytes_ = 0;
};

}  // namespace vls
