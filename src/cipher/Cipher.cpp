#include "cipher/Cipher.h"

#include <algorithm>
#include <vector>

namespace vls {

KeyStringSlot KeyString;
std::uint8_t KeySum = 0;
std::array<std::uint8_t, kWorkBufferSize> WorkBuffer{};

namespace {

// The keystream depends only on the key bytes and KeySum, since every call
// starts it afresh; it is cached here and rebuilt when either changes.
struct KeystreamCache {
  std::array<std::uint8_t, kWorkBufferSize> shift{};
  std::uint64_t key_generation = ~std::uint64_t{0};
  std::uint8_t key_sum = 0;
  bool valid = false;
};

KeystreamCache cache;

std::vector<void (*)()>& KeyDropListeners() {
  static std::vector<void (*)()> listeners;
  return listeners;
}

void BuildKeystream() {
  KeystreamOf(KeyString.view(), KeySum, cache.shift);
  cache.key_generation = KeyString.generation();
  cache.key_sum = KeySum;
  cache.valid = true;
}

}  // namespace

void KeystreamOf(std::string_view key, std::uint8_t key_sum, std::span<std::uint8_t> shift) {
  const std::size_t k = key.size();
  std::int32_t t = key_sum;
  std::size_t i = 0;
  for (std::size_t p = 0; p < shift.size(); ++p) {
    t -= 1;
    if (t == 0)
      t = key_sum;
    i += 1;
    if (i == k + 1)
      i = 1;
    // d is t when t is even and -t when t is odd (a negative odd t too).
    const std::int32_t d = (t & 1) == 0 ? t : -t;
    const std::uint32_t key_byte = k == 0 ? 0u : static_cast<std::uint8_t>(key[i - 1]);
    shift[p] = static_cast<std::uint8_t>(key_byte + static_cast<std::uint32_t>(d));
  }
}

std::uint8_t KeySumOf(std::string_view key) {
  std::uint32_t sum = 0;
  for (const char c : key)
    sum += static_cast<std::uint8_t>(c);
  return static_cast<std::uint8_t>(sum % 255);
}

const std::array<std::uint8_t, kWorkBufferSize>& Keystream() {
  if (!cache.valid || cache.key_generation != KeyString.generation() || cache.key_sum != KeySum) {
    BuildKeystream();
  }
  return cache.shift;
}

void ComputeKeySum() {
  KeySum = KeySumOf(KeyString.view());
}

void EncodeSegment(std::span<std::uint8_t> segment) {
  const std::size_t count = std::min<std::size_t>(segment.size(), kWorkBufferSize);
  const std::uint8_t* __restrict shift = Keystream().data();
  std::uint8_t* __restrict data = segment.data();
  for (std::size_t p = 0; p < count; ++p)
    data[p] = static_cast<std::uint8_t>(data[p] + shift[p]);
}

void DecodeSegment(std::span<std::uint8_t> segment) {
  const std::size_t count = std::min<std::size_t>(segment.size(), kWorkBufferSize);
  const std::uint8_t* __restrict shift = Keystream().data();
  std::uint8_t* __restrict data = segment.data();
  for (std::size_t p = 0; p < count; ++p)
    data[p] = static_cast<std::uint8_t>(data[p] - shift[p]);
}

void EncodeBuffer(std::int32_t n) {
  if (n > 0)
    EncodeSegment(
        std::span(WorkBuffer).first(static_cast<std::size_t>(std::min(n, kWorkBufferSize))));
}

void DecodeBuffer(std::int32_t n) {
  if (n > 0)
    DecodeSegment(
        std::span(WorkBuffer).first(static_cast<std::size_t>(std::min(n, kWorkBufferSize))));
}

std::uint64_t Digest(std::uint64_t state, std::span<const std::uint8_t> bytes) {
  // Four independent lanes over 8-byte words keep the multiplier pipeline
  // busy; the tail and the length are folded in at the end.
  constexpr std::uint64_t kPrime = 0x100000001B3ull * 0xFF51AFD7ED558CCDull | 1;
  std::uint64_t lane[4] = {state, state ^ 1, state ^ 2, state ^ 3};
  std::size_t i = 0;
  for (; i + 32 <= bytes.size(); i += 32) {
    for (int k = 0; k < 4; ++k) {
      std::uint64_t word;
      __builtin_memcpy(&word, bytes.data() + i + 8 * static_cast<std::size_t>(k), 8);
      lane[k] = (lane[k] ^ word) * kPrime;
      lane[k] ^= lane[k] >> 29;
    }
  }
  std::uint64_t h = lane[0] ^ (lane[1] << 1) ^ (lane[2] << 2) ^ (lane[3] << 3);
  for (; i < bytes.size(); ++i)
    h = (h ^ bytes[i]) * kPrime;
  h ^= bytes.size();
  h *= kPrime;
  return h ^ (h >> 31);
}

void DropKey() {
  KeyString.Clear();
  SecureZero(cache.shift.data(), cache.shift.size());
  cache.valid = false;
  // Headers pass through the buffer in plain, key included.
  SecureZero(WorkBuffer.data(), WorkBuffer.size());
  for (auto* listener : KeyDropListeners())
    listener();
}

void AddKeyDropListener(void (*listener)()) {
  KeyDropListeners().push_back(listener);
}

}  // namespace vls
