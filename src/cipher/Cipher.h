#pragma once
// The password keystream cipher. Byte p of every call is shifted by
// k[i] + d, where the key index i runs through the key from its first byte and
// the counter t, from which d is taken, runs down from KeySum; both restart at
// every call, so the stream depends only on the key.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "cipher/KeyString.h"

namespace vls {

inline constexpr std::int32_t kWorkBufferSize = 4096;

// The password as stored bytes (see platform/AnsiText.h); empty means no key.
extern KeyStringSlot KeyString;
// Sum of the key bytes modulo 255, set by ComputeKeySum.
extern std::uint8_t KeySum;
// The one buffer shared by the cipher, the container and the wipe.
extern std::array<std::uint8_t, kWorkBufferSize> WorkBuffer;

// Stores the sum of the key bytes modulo 255 in KeySum.
void ComputeKeySum();
// Enciphers bytes 0..n-1 of WorkBuffer in place; nothing when n <= 0.
void EncodeBuffer(std::int32_t n);
// The inverse of EncodeBuffer.
void DecodeBuffer(std::int32_t n);
// The same two operations on any segment of at most 4096 bytes (longer
// segments are cut): the keystream starts afresh at its first byte.
void EncodeSegment(std::span<std::uint8_t> segment);
void DecodeSegment(std::span<std::uint8_t> segment);
// A 64-bit digest of bytes, chained over calls through `state` (start with
// kDigestSeed); used to check that what was written reads back the same.
inline constexpr std::uint64_t kDigestSeed = 0x9E3779B97F4A7C15ull;
std::uint64_t Digest(std::uint64_t state, std::span<const std::uint8_t> bytes);
// Empties the key string and zeroes the keystream derived from it and the
// work buffer; then tells the listeners, which drop what they derived.
void DropKey();
// A function DropKey calls (for keys derived elsewhere from the key string).
void AddKeyDropListener(void (*listener)());

// The keystream of any key and key sum, for shift.size() bytes (the same
// stream the two calls above use); and the key sum of any key.
void KeystreamOf(std::string_view key, std::uint8_t key_sum, std::span<std::uint8_t> shift);
std::uint8_t KeySumOf(std::string_view key);

// The additive keystream of the current key and KeySum: byte p of a call is
// shifted by Keystream()[p]. Computed once per key; exposed for tests.
const std::array<std::uint8_t, kWorkBufferSize>& Keystream();

}  // namespace vls
