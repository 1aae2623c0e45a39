#pragma once
// The key a container is opened with. On the window's thread it is the key
// string itself, sharing its keystream and its derived sealed keys with
// every other operation. A worker thread takes a snapshot instead, so it
// never reads what the window's thread may change or drop meanwhile.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "cipher/Cipher.h"
#include "cipher/KeyString.h"

namespace vls {

struct KdfCost;

class ContainerKey {
 public:
  virtual ~ContainerKey() = default;
  // The password's bytes; empty means no key.
  virtual std::string_view Password() const = 0;
  // The classic cipher's keystream: byte p of a segment is shifted by it.
  virtual std::span<const std::uint8_t> Keystream() = 0;
  // The sealed key for a salt and cost, derived once for the key's lifetime.
  // Throws std::runtime_error when the derivation cannot run.
  virtual const std::uint8_t* SealedKey(const std::array<std::uint8_t, 16>& salt,
                                        const KdfCost& cost) = 0;
};

// The key string, on the window's thread.
class CurrentKey final : public ContainerKey {
 public:
  std::string_view Password() const override { return KeyString.view(); }
  std::span<const std::uint8_t> Keystream() override;
  const std::uint8_t* SealedKey(const std::array<std::uint8_t, 16>& salt,
                                const KdfCost& cost) override;
};

// A copy of the key string, taken on the window's thread, for one other
// thread. It and every key derived from it are zeroed when it is destroyed.
class KeySnapshot final : public ContainerKey {
 public:
  KeySnapshot();
  ~KeySnapshot() override;
  KeySnapshot(const KeySnapshot&) = delete;
  KeySnapshot& operator=(const KeySnapshot&) = delete;

  std::string_view Password() const override { return password_.view(); }
  std::span<const std::uint8_t> Keystream() override { return keystream_; }
  const std::uint8_t* SealedKey(const std::array<std::uint8_t, 16>& salt,
                                const KdfCost& cost) override;

 private:
  struct Derived;
  KeyStringSlot password_;
  std::array<std::uint8_t, kWorkBufferSize> keystream_{};
  std::vector<Derived> derived_;
};

}  // namespace vls
