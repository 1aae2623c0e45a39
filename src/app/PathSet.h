#pragma once
// PathSet: distinct byte strings (the work list's paths) under small ids that
// stay the same while the path is in the set; the duplicate test of the list.
//
// A walk adds a hundred thousand paths in a fraction of a second, so the set
// costs no allocation per path: the bytes go one after another into large
// blocks, and the look-up table is open addressing with linear probing over
// (hash, id) pairs in one array. A probe compares hashes in the table and
// reads a path's bytes only when the hashes agree.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace vls {

class PathSet {
 public:
  using Id = std::uint32_t;
  static constexpr Id kNone = UINT32_MAX;

  PathSet() = default;
  PathSet(const PathSet&) = delete;
  PathSet& operator=(const PathSet&) = delete;

  // Adds path unless the same bytes are in the set: its id, and whether it
  // was added. An id freed by Erase is given out again.
  std::pair<Id, bool> Insert(std::string_view path);
  // The id of path, or kNone.
  Id Find(std::string_view path) const;
  bool Contains(std::string_view path) const { return Find(path) != kNone; }
  // The bytes of a path in the set; valid until the next Erase or Clear
  // (which may move the bytes that stay).
  std::string_view View(Id id) const { return {records_[id].bytes, records_[id].size}; }
  // Takes a path out; its id becomes free.
  void Erase(Id id);
  void Clear();
  std::size_t Size() const { return size_; }

 private:
  // A path's bytes in a block, or, once erased, the next free id in size.
  struct Record {
    const char* bytes;
    std::uint32_t size;
    std::uint32_t hash;
  };
  struct Slot {
    std::uint32_t hash;
    Id id;  // kNone: empty
  };
  static std::uint32_t HashOf(std::string_view path);
  // The slot holding path, or the empty slot where the probe for it ends.
  std::size_t Probe(std::string_view path, std::uint32_t hash) const;
  void Grow();
  // Room for size bytes in the blocks.
  char* Store(std::size_t size);
  // Copies the paths still in the set into new blocks once erased ones take
  // more room than they do.
  void CompactIfSparse();

  std::vector<Slot> slots_;  // a power of two, at most three quarters full
  std::vector<Record> records_;
  Id free_ = kNone;  // the first free id
  std::size_t size_ = 0;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* block_at_ = nullptr;  // free room in the last block
  std::size_t block_left_ = 0;
  std::size_t live_bytes_ = 0;
  std::size_t dead_bytes_ = 0;
};

}  // namespace vls
