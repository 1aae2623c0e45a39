#include "protect/SealedKeys.h"

#include <sodium.h>

#include <optional>
#include <stdexcept>
#include <vector>

#include "cipher/Cipher.h"

namespace vls {
namespace {

struct Entry {
  std::array<std::uint8_t, 16> salt{};
  KdfCost cost;
  std::uint8_t* key = nullptr;  // sodium_malloc: locked, zeroed when freed
};

struct Cache {
  std::vector<Entry> entries;
  std::optional<std::array<std::uint8_t, 16>> run_salt;
  std::uint64_t generation = 0;  // of the key string the entries belong to
  bool listening = false;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

void Forget(Cache& cache) {
  for (Entry& entry : cache.entries)
    sodium_free(entry.key);  // zeroes before it frees
  cache.entries.clear();
  cache.run_salt.reset();
}

// The entries belong to the key string as it is now, or are dropped.
Cache& CurrentCache() {
  Cache& cache = TheCache();
  if (!cache.listening) {
    AddKeyDropListener(DropDerivedKeys);
    cache.listening = true;
  }
  if (cache.generation != KeyString.generation()) {
    Forget(cache);
    cache.generation = KeyString.generation();
  }
  return cache;
}

}  // namespace

const std::uint8_t* DerivedKey(const std::array<std::uint8_t, 16>& salt, KdfCost cost) {
  Cache& cache = CurrentCache();
  for (const Entry& entry : cache.entries) {
    if (entry.salt == salt && entry.cost == cost)
      return entry.key;
  }
  std::uint8_t* key = DeriveSealedKey(KeyString.view(), salt, cost);
  cache.entries.push_back({salt, cost, key});
  return key;
}

std::uint8_t* DeriveSealedKey(std::string_view password, const std::array<std::uint8_t, 16>& salt,
                              KdfCost cost) {
  if (sodium_init() < 0)
    throw std::runtime_error("The cryptographic library could not start");
  auto* key = static_cast<std::uint8_t*>(sodium_malloc(kDerivedKeySize));
  if (key == nullptr)
    throw std::runtime_error("No locked memory for a key");
  if (crypto_pwhash(key, kDerivedKeySize, password.data(), password.size(), salt.data(),
                    cost.passes, static_cast<std::size_t>(cost.memory_kib) * 1024,
                    crypto_pwhash_ALG_ARGON2ID13) != 0) {
    sodium_free(key);
    throw std::runtime_error("The key could not be derived (not enough memory)");
  }
  return key;
}

const std::array<std::uint8_t, 16>& RunSalt() {
  if (sodium_init() < 0)
    throw std::runtime_error("The cryptographic library could not start");
  Cache& cache = CurrentCache();
  if (!cache.run_salt) {
    std::array<std::uint8_t, 16> salt{};
    randombytes_buf(salt.data(), salt.size());
    cache.run_salt = salt;
  }
  return *cache.run_salt;
}

void DropDerivedKeys() {
  Forget(TheCache());
}

std::size_t DerivedKeyCount() {
  return CurrentCache().entries.size();
}

}  // namespace vls
