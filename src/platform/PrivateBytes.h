#pragma once
// Plain bytes that must live in memory only: allocated once at their final
// size (never grown, so no stray copy is left behind by a move), kept out of
// core dumps and, as far as the system allows, out of swap, and zeroed before
// they are freed.

#include <cstddef>
#include <cstdint>
#include <span>

namespace vls {

class PrivateBytes {
 public:
  PrivateBytes() = default;
  // Throws std::bad_alloc when the memory cannot be had.
  explicit PrivateBytes(std::size_t size);
  ~PrivateBytes() { Release(); }
  PrivateBytes(PrivateBytes&& other) noexcept;
  PrivateBytes& operator=(PrivateBytes&& other) noexcept;
  PrivateBytes(const PrivateBytes&) = delete;
  PrivateBytes& operator=(const PrivateBytes&) = delete;

  std::uint8_t* data() { return data_; }
  const std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::span<std::uint8_t> span() { return {data_, size_}; }
  std::span<const std::uint8_t> span() const { return {data_, size_}; }
  // Zeroes and frees the bytes now; empty afterwards.
  void Release() noexcept;

 private:
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t mapped_ = 0;  // the whole pages held
  bool locked_ = false;
};

}  // namespace vls
