#include "protect/SealedFormat.h"

#include <sodium.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "cipher/Cipher.h"
#include "platform/FileServices.h"
#include "platform/Interruption.h"
#include "protect/ContainerKey.h"
#include "protect/SealedKeys.h"

namespace vls {
namespace {

using State = crypto_secretstream_xchacha20poly1305_state;
constexpr std::size_t kSealedOverhead = crypto_secretstream_xchacha20poly1305_ABYTES;
constexpr std::size_t kFactsMessageSize = kSealedFactsSize + kSealedOverhead;

KdfCost sealing_cost;

void PutLe(std::uint8_t* at, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t GetLe(const std::uint8_t* at, int bytes) {
  std::uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i)
    value = value << 8 | at[i];
  return value;
}

[[noreturn]] void Damaged(const std::string& path, const std::string& why) {
  throw FileError(EIO, path, "Not a whole sealed container:", why);
}

// Plain bytes pass through these buffers; they are zeroed before they go.
class SecretBuffer {
 public:
  explicit SecretBuffer(std::size_t size) : bytes_(size) {}
  ~SecretBuffer() { sodium_memzero(bytes_.data(), bytes_.size()); }
  std::uint8_t* data() { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }

 private:
  std::vector<std::uint8_t> bytes_;
};

std::array<std::uint8_t, kSealedHeaderSize> HeaderBytes(const SealedHeader& header) {
  std::array<std::uint8_t, kSealedHeaderSize> bytes{};
  std::copy(kSealedSignature.begin(), kSealedSignature.end(), bytes.begin());
  bytes[8] = header.version;
  bytes[9] = header.kdf;
  PutLe(&bytes[10], header.cost.passes, 4);
  PutLe(&bytes[14], header.cost.memory_kib, 4);
  std::copy(header.salt.begin(), header.salt.end(), bytes.begin() + 18);
  std::copy(header.stream_header.begin(), header.stream_header.end(), bytes.begin() + 34);
  return bytes;
}

void StartLibrary() {
  if (sodium_init() < 0)
    throw std::runtime_error("The cryptographic library could not start");
}

}  // namespace

KdfCost SealingCost() {
  return sealing_cost;
}

void SetSealingCost(KdfCost cost) {
  sealing_cost = cost;
}

bool HasSealedSignature(std::span<const std::uint8_t> first_bytes) {
  return first_bytes.size() >= kSealedSignature.size() &&
         std::equal(kSealedSignature.begin(), kSealedSignature.end(), first_bytes.begin());
}

bool IsSealedContainer(const UniqueFd& file) {
  std::array<std::uint8_t, 8> first{};
  ssize_t n;
  do {
    n = ::pread(file.get(), first.data(), first.size(), 0);
  } while (n < 0 && errno == EINTR);
  return n == static_cast<ssize_t>(first.size()) && HasSealedSignature(first);
}

std::string ReadSealedHeader(const UniqueFd& file, SealedHeader& header,
                             std::array<std::uint8_t, kSealedHeaderSize>& bytes) {
  if (ReadSome(file, bytes) != bytes.size() || !HasSealedSignature(bytes))
    return "the header is cut short";
  header.version = bytes[8];
  header.kdf = bytes[9];
  header.cost.passes = static_cast<std::uint32_t>(GetLe(&bytes[10], 4));
  header.cost.memory_kib = static_cast<std::uint32_t>(GetLe(&bytes[14], 4));
  std::copy_n(bytes.begin() + 18, header.salt.size(), header.salt.begin());
  std::copy_n(bytes.begin() + 34, header.stream_header.size(), header.stream_header.begin());
  if (header.version != kSealedVersion)
    return "it is of version " + std::to_string(header.version) +
           ", which this program cannot read";
  if (header.kdf != kKdfArgon2id13)
    return "it names a key derivation this program does not know";
  const std::uint64_t memory = std::uint64_t{header.cost.memory_kib} * 1024;
  if (header.cost.passes < crypto_pwhash_OPSLIMIT_MIN || header.cost.passes > kMaxPasses ||
      memory < crypto_pwhash_MEMLIMIT_MIN || header.cost.memory_kib > kMaxMemoryKib) {
    return "it asks for a key derivation of " + std::to_string(header.cost.passes) +
           " passes over " + std::to_string(header.cost.memory_kib / 1024) +
           " MiB, beyond what this program allows (10 passes, 1024 MiB)";
  }
  return std::string();
}

std::uint64_t WriteSealed(const UniqueFd& source, const UniqueFd& target, const SealedFacts& facts,
                          ProgressGauge& gauge) {
  StartLibrary();
  if (facts.name.size() > kSealedNameMax) {
    errno = ENAMETOOLONG;
    ThrowFileError(target.path(), "Cannot store the name in");
  }
  SealedHeader header;
  header.cost = SealingCost();
  header.salt = RunSalt();
  const std::uint8_t* key = DerivedKey(header.salt, header.cost);
  State state;
  crypto_secretstream_xchacha20poly1305_init_push(&state, header.stream_header.data(), key);
  const auto header_bytes = HeaderBytes(header);
  WriteAll(target, header_bytes);

  SecretBuffer plain(std::max(kSealedChunk, kSealedFactsSize));
  SecretBuffer sealed(kSealedChunk + kSealedOverhead);
  std::fill_n(plain.data(), kSealedFactsSize, 0);
  PutLe(plain.data(), facts.plain_size, 8);
  PutLe(plain.data() + 8, static_cast<std::uint64_t>(facts.modified), 8);
  PutLe(plain.data() + 16, facts.name.size(), 2);
  std::copy(facts.name.begin(), facts.name.end(), plain.data() + 18);
  crypto_secretstream_xchacha20poly1305_push(&state, sealed.data(), nullptr, plain.data(),
                                             kSealedFactsSize, header_bytes.data(),
                                             header_bytes.size(), 0);
  WriteAll(target, std::span(sealed.data(), kFactsMessageSize));

  // One chunk is read ahead, so the last one is known and tagged final.
  SecretBuffer next(kSealedChunk);
  std::size_t have = ReadSome(source, std::span(plain.data(), kSealedChunk));
  WriteBehind write_behind(target);
  std::uint64_t digest = kDigestSeed;
  std::uint64_t total = 0;
  for (;;) {
    ThrowIfInterrupted();
    const std::size_t following =
        have == kSealedChunk ? ReadSome(source, std::span(next.data(), kSealedChunk)) : 0;
    const bool last = following == 0;
    if (have > 0)
      digest = Digest(digest, std::span<const std::uint8_t>(plain.data(), have));
    total += have;
    unsigned long long sealed_size = 0;
    crypto_secretstream_xchacha20poly1305_push(
        &state, sealed.data(), &sealed_size, plain.data(), have, nullptr, 0,
        last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL : 0);
    WriteAll(target, std::span(sealed.data(), static_cast<std::size_t>(sealed_size)));
    write_behind.Wrote(sealed_size);
    gauge.SentInSegments(have);
    if (last)
      break;
    std::copy_n(next.data(), following, plain.data());
    have = following;
  }
  sodium_memzero(&state, sizeof state);
  if (total != facts.plain_size) {
    errno = EIO;
    ThrowFileError(source.path(), "Changed while it was read:");
  }
  return digest;
}

SealedReader::~SealedReader() {
  if (state_ != nullptr)
    sodium_free(state_);
}

SealedOpen SealedReader::Open(std::string& why) {
  StartLibrary();
  SealedHeader header;
  std::array<std::uint8_t, kSealedHeaderSize> header_bytes{};
  why = ReadSealedHeader(file_, header, header_bytes);
  if (!why.empty())
    return SealedOpen::Refused;
  const std::uint8_t* key = key_ != nullptr ? key_->SealedKey(header.salt, header.cost)
                                            : DerivedKey(header.salt, header.cost);
  state_ = sodium_malloc(sizeof(State));
  if (state_ == nullptr)
    throw std::runtime_error("No locked memory for the stream");
  auto* state = static_cast<State*>(state_);
  if (crypto_secretstream_xchacha20poly1305_init_pull(state, header.stream_header.data(), key) !=
      0) {
    why = "its stream header is damaged";
    return SealedOpen::Refused;
  }
  std::array<std::uint8_t, kFactsMessageSize> message{};
  SecretBuffer facts(kSealedFactsSize);
  unsigned char tag = 0;
  if (ReadSome(file_, message) != message.size() ||
      crypto_secretstream_xchacha20poly1305_pull(state, facts.data(), nullptr, &tag, message.data(),
                                                 message.size(), header_bytes.data(),
                                                 header_bytes.size()) != 0 ||
      tag != 0) {
    // Another password, or a header changed since it was written: either
    // way this key does not open it.
    return SealedOpen::OtherKey;
  }
  facts_.plain_size = GetLe(facts.data(), 8);
  facts_.modified = static_cast<std::int64_t>(GetLe(facts.data() + 8, 8));
  const auto name_size = static_cast<std::size_t>(GetLe(facts.data() + 16, 2));
  if (name_size > kSealedNameMax) {
    why = "its stored name is too long";
    return SealedOpen::Refused;
  }
  facts_.name.assign(reinterpret_cast<const char*>(facts.data() + 18), name_size);
  return SealedOpen::Opened;
}

std::uint64_t SealedReader::Transfer(const UniqueFd* target, ProgressGauge* gauge) {
  if (target == nullptr)
    return Transfer(Sink([](std::span<const std::uint8_t>) {}), gauge);
  WriteBehind write_behind(*target);
  return Transfer(Sink([target, &write_behind](std::span<const std::uint8_t> plain) {
                    WriteAll(*target, plain);
                    write_behind.Wrote(plain.size());
                  }),
                  gauge);
}

std::uint64_t SealedReader::Transfer(const Sink& sink, ProgressGauge* gauge) {
  auto* state = static_cast<State*>(state_);
  SecretBuffer sealed(kSealedChunk + kSealedOverhead);
  SecretBuffer plain(kSealedChunk);
  std::uint64_t digest = kDigestSeed;
  std::uint64_t total = 0;
  for (;;) {
    if (poll_) {
      poll_();
    } else {
      ThrowIfInterrupted();
    }
    const std::size_t n = ReadSome(file_, std::span(sealed.data(), sealed.size()));
    unsigned long long plain_size = 0;
    unsigned char tag = 0;
    if (n < kSealedOverhead ||
        crypto_secretstream_xchacha20poly1305_pull(state, plain.data(), &plain_size, &tag,
                                                   sealed.data(), n, nullptr, 0) != 0) {
      Damaged(file_.path(), n == 0 ? "it ends before its last part" : "a part was changed");
    }
    const auto got = static_cast<std::size_t>(plain_size);
    if (got > 0)
      digest = Digest(digest, std::span<const std::uint8_t>(plain.data(), got));
    total += got;
    if (total > facts_.plain_size)
      Damaged(file_.path(), "it holds more than it says");
    sink(std::span<const std::uint8_t>(plain.data(), got));
    if (gauge != nullptr)
      gauge->SentInSegments(got);
    if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL)
      break;
    if (n < sealed.size())
      Damaged(file_.path(), "it ends before its last part");
  }
  std::uint8_t extra = 0;
  if (ReadSome(file_, std::span(&extra, 1)) != 0)
    Damaged(file_.path(), "bytes follow its last part");
  if (total != facts_.plain_size)
    Damaged(file_.path(), "it holds less than it says");
  return digest;
}

void VerifySealed(const std::string& container, std::uint64_t plain_digest, ProgressGauge* gauge) {
  UniqueFd file = OpenForReading(container);
  SealedReader reader(file);
  std::string why;
  if (reader.Open(why) != SealedOpen::Opened || reader.Transfer(nullptr, gauge) != plain_digest) {
    errno = EIO;
    ThrowFileError(container, "Does not read back as written:");
  }
}

void VerifySealedPlain(const std::string& path, std::uint64_t plain_size,
                       std::uint64_t plain_digest, ProgressGauge* gauge) {
  UniqueFd file = OpenForReading(path);
  SecretBuffer plain(kSealedChunk);
  std::uint64_t digest = kDigestSeed;
  std::uint64_t total = 0;
  for (;;) {
    ThrowIfInterrupted();
    const std::size_t n = ReadSome(file, std::span(plain.data(), plain.size()));
    if (n == 0)
      break;
    digest = Digest(digest, std::span<const std::uint8_t>(plain.data(), n));
    total += n;
    if (gauge != nullptr)
      gauge->SentInSegments(n);
  }
  if (total != plain_size || digest != plain_digest) {
    errno = EIO;
    ThrowFileError(path, "Does not read back as written:");
  }
}

}  // namespace vls
