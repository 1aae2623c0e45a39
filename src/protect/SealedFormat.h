#pragma once
// The sealed container: a password-derived key (Argon2id, its parameters and
// salt stored in the file) and the contents in authenticated chunks
// (XChaCha20-Poly1305 secret stream). Every bit of it is checked on reading:
// a wrong password, a changed byte, a cut or an addition is refused.
//
//   offset  size  field
//        0     8  signature 89 56 4C 53 0D 0A 1A 0A
//        8     1  version (1)
//        9     1  key derivation (1: Argon2id, version 1.3)
//       10     4  passes, little-endian
//       14     4  memory in KiB, little-endian
//       18    16  salt
//       34    24  secret stream header
//       58   290  the first message: 273 bytes of facts (plain size u64,
//                 modification time in seconds since 1970 i64, name length
//                 u16, the stored name's bytes as they were on disk, zeros
//                 to 255), sealed with the 58 bytes above as additional data
//      348   ...  the contents, 65,536 bytes a message (each sealed into
//                 65,553), the last one shorter or empty and tagged final
// (docs/format.md describes it for anyone who writes a reader.)

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "protect/ContainerFormat.h"

namespace vls {

class UniqueFd;
class ContainerKey;

inline constexpr std::array<std::uint8_t, 8> kSealedSignature = {0x89, 'V',  'L',  'S',
                                                                 '\r', '\n', 0x1A, '\n'};
inline constexpr std::uint8_t kSealedVersion = 1;
inline constexpr std::uint8_t kKdfArgon2id13 = 1;
inline constexpr std::size_t kSealedHeaderSize = 58;
inline constexpr std::size_t kSealedChunk = 65536;
inline constexpr std::size_t kSealedNameMax = 255;
inline constexpr std::size_t kSealedFactsSize = 8 + 8 + 2 + kSealedNameMax;

// The key derivation's cost: passes over memory.
struct KdfCost {
  std::uint32_t passes = 3;
  std::uint32_t memory_kib = 256 * 1024;
  bool operator==(const KdfCost&) const = default;
};

// The most a file may ask for: more is refused, not obeyed.
inline constexpr std::uint32_t kMaxPasses = 10;
inline constexpr std::uint32_t kMaxMemoryKib = 1024 * 1024;

// The cost new sealed containers are written with (tests and benchmarks set
// a smaller one).
KdfCost SealingCost();
void SetSealingCost(KdfCost cost);

// The fixed header of a sealed container.
struct SealedHeader {
  std::uint8_t version = kSealedVersion;
  std::uint8_t kdf = kKdfArgon2id13;
  KdfCost cost;
  std::array<std::uint8_t, 16> salt{};
  std::array<std::uint8_t, 24> stream_header{};
};

// Whether the first bytes of a file are the sealed signature.
bool HasSealedSignature(std::span<const std::uint8_t> first_bytes);
// Whether the file at the descriptor starts with the signature (read with
// pread, so the file's position stays where it was).
bool IsSealedContainer(const UniqueFd& file);

// Reads and checks the fixed header; "" when it is usable, otherwise why not
// (an unknown version or derivation, a cost out of bounds).
std::string ReadSealedHeader(const UniqueFd& file, SealedHeader& header,
                             std::array<std::uint8_t, kSealedHeaderSize>& bytes);

// What the first message carries.
struct SealedFacts {
  std::uint64_t plain_size = 0;
  std::int64_t modified = 0;  // seconds since 1970
  std::string name;           // bytes as they were on disk
};

// Writes a whole sealed container from source (already open, at its start)
// into target: the header with the run's salt, the facts, the contents.
// Returns the digest of the plain bytes; throws FileError on any failure.
std::uint64_t WriteSealed(const UniqueFd& source, const UniqueFd& target, const SealedFacts& facts,
                          ProgressGauge& gauge);

// The outcome of opening a sealed container's facts.
enum class SealedOpen { Opened, OtherKey, Refused };

// Reads a sealed container from its start: the header and the facts
// (OtherKey when the first message does not open with the key's key;
// Refused, with why, when the header is unusable). Without a key given, the
// key string's; without a poll, ThrowIfInterrupted runs between messages.
class SealedReader {
 public:
  explicit SealedReader(const UniqueFd& file, ContainerKey* key = nullptr,
                        std::function<void()> poll = {})
      : file_(file), key_(key), poll_(std::move(poll)) {}
  ~SealedReader();
  SealedReader(const SealedReader&) = delete;
  SealedReader& operator=(const SealedReader&) = delete;

  SealedOpen Open(std::string& why);
  const SealedFacts& facts() const { return facts_; }
  // Streams the contents into target (if given) and returns the digest of
  // the plain bytes; throws FileError when a message does not open, the
  // final one is missing, bytes follow it or the size is not the one the
  // facts give.
  std::uint64_t Transfer(const UniqueFd* target, ProgressGauge* gauge);
  // The same, each message's plain bytes handed to sink instead.
  using Sink = std::function<void(std::span<const std::uint8_t>)>;
  std::uint64_t Transfer(const Sink& sink, ProgressGauge* gauge);

 private:
  const UniqueFd& file_;
  ContainerKey* key_;
  std::function<void()> poll_;
  SealedFacts facts_;
  void* state_ = nullptr;  // the secret stream's state, in locked memory
};

// The read-back check of a sealed container: it opens with the key and its
// contents have this digest. Throws FileError otherwise. The gauge, if any,
// moves as it is read (so does the plain side's below).
void VerifySealed(const std::string& container, std::uint64_t plain_digest,
                  ProgressGauge* gauge = nullptr);

// The read-back check of the plain side of a sealed transfer (a source read
// again, a restored file read back), in the chunks the sealed digest uses.
void VerifySealedPlain(const std::string& path, std::uint64_t plain_size,
                       std::uint64_t plain_digest, ProgressGauge* gauge = nullptr);

}  // namespace vls
