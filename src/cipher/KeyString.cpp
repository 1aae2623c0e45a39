#include "cipher/KeyString.h"

#include <string.h>

#include <algorithm>

namespace vls {

void SecureZero(void* data, std::size_t size) noexcept {
  ::explicit_bzero(data, size);
}

void KeyStringSlot::Set(std::string_view bytes) {
  Clear();
  length_ = std::min(bytes.size(), kCapacity);
  std::copy_n(reinterpret_cast<const std::uint8_t*>(bytes.data()), length_, bytes_.begin());
  ++generation_;
}

void KeyStringSlot::Clear() {
  SecureZero(bytes_.data(), bytes_.size());
  length_ = 0;
  ++generation_;
}

}  // namespace vls
