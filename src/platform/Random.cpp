#include "platform/Random.h"

#include <sys/random.h>

#include <cerrno>
#include <system_error>

namespace vls {

std::mt19937_64& ProcessRandom() {
  static std::mt19937_64 generator = [] {
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device()};
    return std::mt19937_64(seed);
  }();
  return generator;
}

int RandomInRange(int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(ProcessRandom());
}

void FillSecureRandom(std::span<std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::getrandom(bytes.data() + done, bytes.size() - done, 0);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      throw std::system_error(errno, std::generic_category(), "getrandom");
    }
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace vls
