#pragma once
// Rounding to nearest with ties to even, as the progress steps and the wipe's
// block count need it.

#include <cstdint>

namespace vls {

// round(size / 4096) + 1 with ties to even, computed exactly in integers.
inline std::uint64_t WipeBlockCount(std::uint64_t size) {
  std::uint64_t quotient = size / 4096;
  const std::uint64_t rest = size % 4096;
  if (rest > 2048 || (rest == 2048 && (quotient & 1) == 1))
    ++quotient;
  return quotient + 1;
}

// round(size * 0.05) with ties to even, exactly: size / 20.
inline std::uint64_t ProgressStep(std::uint64_t size) {
  std::uint64_t quotient = size / 20;
  const std::uint64_t rest = size % 20;
  if (rest > 10 || (rest == 10 && (quotient & 1) == 1))
    ++quotient;
  return quotient;
}

}  // namespace vls
