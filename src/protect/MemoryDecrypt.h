#pragma once
// A container decrypted into memory only: the viewer, the slide show and the
// thumbnails show pictures from here, so no plain copy of a picture is ever
// written to a disk, and a kill, a crash or a full disk cannot leave one
// behind. Both kinds of container are read; nothing is written anywhere.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/PrivateBytes.h"
#include "protect/Container.h"
#include "protect/ContainerKey.h"

namespace vls {

struct PlainInMemory {
  // Done, WrongKey (the key does not open it), or Failed with the reason.
  CryptOutcome outcome = CryptOutcome::Failed;
  PrivateBytes bytes;       // the plain contents, zeroed when dropped
  std::string stored_name;  // made safe as a file name (SafeStoredName)
  bool sealed = false;
  std::string message;  // why it failed, in the user's words

  bool done() const { return outcome == CryptOutcome::Done; }
};

// The largest plain contents held in memory: more is refused before any of
// it is read (a picture beyond this could not be decoded anyway).
inline constexpr std::uint64_t kMaxPlainInMemory = std::uint64_t{1} << 30;

// Called between chunks with the plain bytes read so far and the total; it
// may throw to stop (the bytes read are zeroed then).
using MemoryProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Decrypts the container at path with key into memory. Never throws for a
// bad file; what progress throws passes through.
PlainInMemory DecryptIntoMemory(const std::string& path, ContainerKey& key,
                                const MemoryProgress& progress);

}  // namespace vls
