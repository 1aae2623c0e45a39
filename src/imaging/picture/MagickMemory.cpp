#include "imaging/picture/MagickMemory.h"

#include <malloc.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace vls::picture {
namespace {

// Large blocks of memory backed by transparent huge pages.
class HugeBlocks {
 public:
  static constexpr std::size_t kHugePage = 2 * 1024 * 1024;
  static constexpr std::size_t kThreshold = 4 * kHugePage;

  // A block of at least size bytes aligned to a huge page, or null.
  static void* Allocate(std::size_t size) {
    const std::size_t total = size + kHugePage;
    void* base = ::mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
      return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(base);
    void* block = reinterpret_cast<void*>((start + kHugePage - 1) & ~(kHugePage - 1));
    ::madvise(block, size, MADV_HUGEPAGE);
    State& state = Blocks();
    const std::lock_guard<std::mutex> lock(state.mutex);
    state.blocks.push_back({block, base, total, size});
    return block;
  }
  // Releases a block of Allocate and answers true, or answers false for
  // memory that came from elsewhere.
  static bool Release(void* block) {
    Block found{};
    {
      State& state = Blocks();
      const std::lock_guard<std::mutex> lock(state.mutex);
      const auto it = std::find_if(state.blocks.begin(), state.blocks.end(),
                                   [block](const Block& b) { return b.block == block; });
      if (it == state.blocks.end())
        return false;
      found = *it;
      state.blocks.erase(it);
    }
    ::munmap(found.base, found.total);
    return true;
  }
  // Size of a block of Allocate, or 0 for memory that came from elsewhere.
  static std::size_t SizeOf(void* block) {
    State& state = Blocks();
    const std::lock_guard<std::mutex> lock(state.mutex);
    for (const Block& b : state.blocks) {
      if (b.block == block)
        return b.size;
    }
    return 0;
  }

 private:
  struct Block {
    void* block;
    void* base;
    std::size_t total;
    std::size_t size;
  };
  struct State {
    std::mutex mutex;
    std::vector<Block> blocks;
  };
  // Never destroyed: the library and pictures may free blocks during exit.
  static State& Blocks() {
    static State* state = new State;
    return *state;
  }
};

}  // namespace

void* MagickAllocate(std::size_t size) {
  if (size >= HugeBlocks::kThreshold) {
    if (void* block = HugeBlocks::Allocate(size))
      return block;
  }
  return std::malloc(size);
}

void MagickRelease(void* memory) {
  if (memory != nullptr && !HugeBlocks::Release(memory))
    std::free(memory);
}

void* MagickResize(void* memory, std::size_t size) {
  if (memory == nullptr)
    return MagickAllocate(size);
  const std::size_t huge_size = HugeBlocks::SizeOf(memory);
  if (huge_size == 0 && size < HugeBlocks::kThreshold)
    return std::realloc(memory, size);
  if (size == 0) {
    MagickRelease(memory);
    return nullptr;
  }
  void* resized = MagickAllocate(size);
  if (resized == nullptr)
    return nullptr;
  const std::size_t old_size = huge_size != 0 ? huge_size : ::malloc_usable_size(memory);
  std::memcpy(resized, memory, std::min(old_size, size));
  MagickRelease(memory);
  return resized;
}

QImage NewImage(int width, int height, QImage::Format format) {
  const auto bytes_per_line = static_cast<std::size_t>(width) * 4;
  const std::size_t size = bytes_per_line * static_cast<std::size_t>(height);
  if (size < HugeBlocks::kThreshold)
    return QImage(width, height, format);
  void* pixels = HugeBlocks::Allocate(size);
  if (pixels == nullptr)
    return QImage(width, height, format);
  return QImage(
      static_cast<uchar*>(pixels), width, height, static_cast<qsizetype>(bytes_per_line), format,
      [](void* block) { HugeBlocks::Release(block); }, pixels);
}

}  // namespace vls::picture
