#pragma once
// Keys derived from the key string for sealed containers. A derivation is
// slow on purpose (a quarter of a second and 256 MiB at the usual cost), so
// each is made once and kept for the key's lifetime, by salt and cost, in
// locked memory that is never swapped out; all of them are zeroed when the
// key string is dropped or changes. New containers of a run share one salt,
// so a run of many files costs one derivation.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "protect/SealedFormat.h"

namespace vls {

inline constexpr std::size_t kDerivedKeySize = 32;

// The key for this salt and cost, derived from the key string once. Throws
// std::runtime_error when the derivation cannot run (not enough memory).
const std::uint8_t* DerivedKey(const std::array<std::uint8_t, 16>& salt, KdfCost cost);

// Derives the key of a password for a salt and cost into new locked memory
// (free it with sodium_free, which zeroes it). Throws std::runtime_error
// when the derivation cannot run.
std::uint8_t* DeriveSealedKey(std::string_view password, const std::array<std::uint8_t, 16>& salt,
                              KdfCost cost);

// The salt of the new containers made with the current key string, drawn
// when the first one is made.
const std::array<std::uint8_t, 16>& RunSalt();

// Zeroes and forgets every derived key and the run's salt.
void DropDerivedKeys();

// How many derived keys are held (for the checks that they go).
std::size_t DerivedKeyCount();

}  // namespace vls
