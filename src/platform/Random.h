#pragma once
// The process-wide pseudo-random generator (wipe fill and wipe names) and a
// source of unpredictable bytes (container header filler).

#include <cstdint>
#include <random>
#include <span>

namespace vls {

// Generator seeded once per process from the operating system.
std::mt19937_64& ProcessRandom();
// A uniform integer in [low, high].
int RandomInRange(int low, int high);
// Fills the bytes from the operating system's secure generator.
void FillSecureRandom(std::span<std::uint8_t> bytes);

}  // namespace vls
