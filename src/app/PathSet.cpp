#include "app/PathSet.h"

#include <cstring>
#include <functional>
#include <new>
#include <stdexcept>

namespace vls {

namespace {

// Paths are stored in blocks of this size; a long one gets a block of its own.
constexpr std::size_t kBlockSize = 256 * 1024;
constexpr std::size_t kOwnBlock = kBlockSize / 4;

// Where an empty path points, so that every path in the set has bytes.
constexpr char kEmptyPath[1] = {};

}  // namespace

std::uint32_t PathSet::HashOf(std::string_view path) {
  const std::size_t hash = std::hash<std::string_view>{}(path);
  return static_cast<std::uint32_t>(hash ^ (static_cast<std::uint64_t>(hash) >> 32));
}

std::size_t PathSet::Probe(std::string_view path, std::uint32_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = hash & mask;
  while (slots_[at].id != kNone) {
    if (slots_[at].hash == hash && View(slots_[at].id) == path)
      break;
    at = (at + 1) & mask;
  }
  return at;
}

PathSet::Id PathSet::Find(std::string_view path) const {
  return slots_.empty() ? kNone : slots_[Probe(path, HashOf(path))].id;
}

std::pair<PathSet::Id, bool> PathSet::Insert(std::string_view path) {
  if (path.size() > UINT32_MAX)
    throw std::length_error("path too long for the work list");
  const std::uint32_t hash = HashOf(path);
  std::size_t at = 0;
  if (!slots_.empty()) {
    at = Probe(path, hash);
    if (slots_[at].id != kNone)
      return {slots_[at].id, false};
  }
  if ((size_ + 1) * 4 > slots_.size() * 3) {
    Grow();
    at = Probe(path, hash);
  }
  // Every step that can fail comes before the set changes.
  Id id = free_;
  if (id == kNone) {
    if (records_.size() >= kNone)
      throw std::length_error("too many paths for the work list");
    records_.push_back({kEmptyPath, 0, 0});
    id = static_cast<Id>(records_.size() - 1);
  }
  char* bytes = nullptr;
  try {
    bytes = Store(path.size());
  } catch (...) {
    if (id != free_)
      records_.pop_back();
    throw;
  }
  if (id == free_)
    free_ = records_[id].size;
  if (!path.empty())
    std::memcpy(bytes, path.data(), path.size());
  records_[id] = {bytes, static_cast<std::uint32_t>(path.size()), hash};
  slots_[at] = {hash, id};
  ++size_;
  live_bytes_ += path.size();
  return {id, true};
}

void PathSet::Erase(Id id) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t hole = records_[id].hash & mask;
  while (slots_[hole].id != id)
    hole = (hole + 1) & mask;
  // Moves back each later entry of the run whose home is not after the hole,
  // so that no probe meets an empty slot before its entry.
  for (std::size_t at = (hole + 1) & mask; slots_[at].id != kNone; at = (at + 1) & mask) {
    const std::size_t home = slots_[at].hash & mask;
    if (((at - home) & mask) >= ((at - hole) & mask)) {
      slots_[hole] = slots_[at];
      hole = at;
    }
  }
  slots_[hole] = {0, kNone};

  live_bytes_ -= records_[id].size;
  dead_bytes_ += records_[id].size;
  records_[id] = {nullptr, free_, 0};
  free_ = id;
  if (--size_ == 0) {
    Clear();
  } else {
    CompactIfSparse();
  }
}

void PathSet::Clear() {
  // Swapped with empty ones, which gives their memory back.
  std::vector<Slot>().swap(slots_);
  std::vector<Record>().swap(records_);
  std::vector<std::unique_ptr<char[]>>().swap(blocks_);
  free_ = kNone;
  size_ = 0;
  block_at_ = nullptr;
  block_left_ = 0;
  live_bytes_ = 0;
  dead_bytes_ = 0;
}

void PathSet::Grow() {
  const std::size_t capacity = slots_.empty() ? 16 : slots_.size() * 2;
  std::vector<Slot> grown(capacity, Slot{0, kNone});
  const std::size_t mask = capacity - 1;
  for (const Slot& slot : slots_) {
    if (slot.id == kNone)
      continue;
    std::size_t at = slot.hash & mask;
    while (grown[at].id != kNone)
      at = (at + 1) & mask;
    grown[at] = slot;
  }
  slots_ = std::move(grown);
}

char* PathSet::Store(std::size_t size) {
  if (size == 0)
    return const_cast<char*>(kEmptyPath);
  if (size > block_left_) {
    if (size > kOwnBlock) {
      // The last block keeps its free room for the paths that follow.
      std::unique_ptr<char[]> own(new char[size]);
      blocks_.push_back(std::move(own));
      return blocks_.back().get();
    }
    std::unique_ptr<char[]> block(new char[kBlockSize]);
    blocks_.push_back(std::move(block));
    block_at_ = blocks_.back().get();
    block_left_ = kBlockSize;
  }
  char* at = block_at_;
  block_at_ += size;
  block_left_ -= size;
  return at;
}

void PathSet::CompactIfSparse() {
  if (dead_bytes_ <= live_bytes_ || dead_bytes_ < kBlockSize)
    return;
  // Only a saving of room: without the memory for it the set stays as it is.
  std::unique_ptr<char[]> block(new (std::nothrow) char[live_bytes_]);
  if (block == nullptr)
    return;
  std::vector<std::unique_ptr<char[]>> blocks;
  try {
    blocks.push_back(std::move(block));
  } catch (const std::bad_alloc&) {
    return;
  }
  char* at = blocks.back().get();
  for (Record& record : records_) {
    if (record.bytes == nullptr || record.size == 0)
      continue;
    std::memcpy(at, record.bytes, record.size);
    record.bytes = at;
    at += record.size;
  }
  blocks_ = std::move(blocks);
  block_at_ = nullptr;
  block_left_ = 0;
  dead_bytes_ = 0;
}

}  // namespace vls
