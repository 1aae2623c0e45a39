#include "protect/ContainerKey.h"

#include <sodium.h>

#include "protect/SealedKeys.h"

namespace vls {

struct KeySnapshot::Derived {
  std::array<std::uint8_t, 16> salt{};
  KdfCost cost;
  std::uint8_t* key = nullptr;  // sodium_malloc: zeroed when freed
};

std::span<const std::uint8_t> CurrentKey::Keystream() {
  ComputeKeySum();
  return vls::Keystream();
}

const std::uint8_t* CurrentKey::SealedKey(const std::array<std::uint8_t, 16>& salt,
                                          const KdfCost& cost) {
  return DerivedKey(salt, cost);
}

KeySnapshot::KeySnapshot() {
  password_.Set(KeyString.view());
  KeystreamOf(password_.view(), KeySumOf(password_.view()), keystream_);
}

KeySnapshot::~KeySnapshot() {
  for (Derived& derived : derived_)
    sodium_free(derived.key);
  SecureZero(keystream_.data(), keystream_.size());
}

const std::uint8_t* KeySnapshot::SealedKey(const std::array<std::uint8_t, 16>& salt,
                                           const KdfCost& cost) {
  for (const Derived& derived : derived_) {
    if (derived.salt == salt && derived.cost == cost)
      return derived.key;
  }
  derived_.push_back({salt, cost, DeriveSealedKey(password_.view(), salt, cost)});
  return derived_.back().key;
}

}  // namespace vls
