#pragma once
// The password slot: at most 255 bytes in fixed storage (never on the heap,
// so no stray copy is left behind by a reallocation), zeroed when dropped.

#include <array>
#include <cstdint>
#include <string_view>

namespace vls {

class KeyStringSlot {
 public:
  static constexpr std::size_t kCapacity = 255;

  KeyStringSlot() = default;
  KeyStringSlot(const KeyStringSlot&) = delete;
  KeyStringSlot& operator=(const KeyStringSlot&) = delete;
  ~KeyStringSlot() { Clear(); }

  // Stores the key bytes (cut at 255) and counts a new key generation.
  void Set(std::string_view bytes);
  // Zeroes the bytes and leaves an empty key.
  void Clear();

  bool empty() const { return length_ == 0; }
  std::size_t size() const { return length_; }
  std::uint8_t operator[](std::size_t i) const { return bytes_[i]; }
  std::string_view view() const { return {reinterpret_cast<const char*>(bytes_.data()), length_}; }
  // Changes whenever the key is set or cleared, so derived tables know when
  // they are stale.
  std::uint64_t generation() const { return generation_; }

 private:
  std::array<std::uint8_t, kCapacity> bytes_{};
  std::size_t length_ = 0;
  std::uint64_t generation_ = 0;
};

// Writes zeros that the optimiser may not remove.
void SecureZero(void* data, std::size_t size) noexcept;

}  // namespace vls
