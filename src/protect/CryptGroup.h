#pragma once
// Group commit: many small files encrypted or decrypted with a few flushes
// for all of them instead of several each. Every file is written and checked
// under its temporary name as it is added (a decryption also settles its
// final name, and whether it may replace a file, then); Commit then flushes
// the outputs together, renames them into place, flushes their folders once
// each, and only then wipes the sources (encryption) or deletes the
// containers (decryption), with one flush per step for the whole group. So
// every output is on the disk, under its name, before any source is touched,
// and a stop at any moment leaves each file of the group untouched or done.

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
  // keep_source: a decryption keeps the containers.
  CryptGroup(int mode, const CryptContext& context, bool keep_source = false);
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

  // Puts the staged files in place and wipes their sources (or deletes their
  // containers). Returns, in the order added, each file and how it ended
  // (told and published). After a failure of one encryption, the files
  // staged after it are left untouched and not listed; a decryption that
  // cannot be placed leaves its container and the group goes on. The group
  // is empty afterwards.
  std::vector<std::pair<std::string, CryptResult>> Commit();

 private:
  struct Staged;
  using Results = std::vector<std::pair<std::string, CryptResult>>;
  // Settles where a staged decryption goes: false (told, published) when it
  // does not go anywhere.
  bool SettleName(Staged& staged, CryptResult& result);
  // The staged outputs reach the disk, all in one flush of their file
  // systems; false, with the first file's failure in results, when not.
  bool FlushOutputs(const std::vector<std::unique_ptr<Staged>>& group,
                    const std::string& error_prefix, Results& results);
  // Both flush the outputs and then place them, their own way.
  Results CommitEncryptions(std::vector<std::unique_ptr<Staged>>& group);
  Results CommitDecryptions(std::vector<std::unique_ptr<Staged>>& group);
  // Tells and publishes every result.
  Results TellAll(Results results) const;
  int mode_;
  const CryptContext& context_;
  bool keep_source_;
  std::vector<std::unique_ptr<Staged>> staged_;
  std::uint64_t bytes_ = 0;
};

}  // namespace vls
