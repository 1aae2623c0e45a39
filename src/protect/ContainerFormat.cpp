#include "protect/ContainerFormat.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <functional>
#include <future>
#include <span>
#include <vector>

#include "cipher/Cipher.h"
#include "platform/FileServices.h"
#include "platform/Interruption.h"
#include "platform/Random.h"

namespace vls {
namespace {

constexpr std::size_t kSegment = kWorkBufferSize;
// Reads and writes move up to this many bytes at once; each 4096-byte
// segment is still enciphered by its own call.
constexpr std::size_t kMaxChunk = 256 * kSegment;

bool verify_containers = true;

// The I/O buffer of one call; plain text passes through it, so it is zeroed
// before it is released.
class ChunkBuffer {
 public:
  explicit ChunkBuffer(std::uint64_t file_size)
      : bytes_(std::clamp<std::uint64_t>((file_size + kSegment - 1) / kSegment * kSegment, kSegment,
                                         kMaxChunk)) {}
  ~ChunkBuffer() { SecureZero(bytes_.data(), bytes_.size()); }
  std::span<std::uint8_t> span() { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

void SetVerifyContainers(bool on) {
  verify_containers = on;
}

bool VerifyingContainers() {
  return verify_containers;
}

std::string CutTo255(std::string text) {
  if (text.size() > 255)
    text.resize(255);
  return text;
}

// The stored key must be the key string byte for byte: the keystream is
// made of those bytes, so any other key (one that differs only in letter
// case too) would decrypt to garbage.
bool IsOurKey(const Header& header) {
  return header.stored_key == KeyString.view();
}

Header ParseHeader(std::string_view text) {
  Header header;
  const auto bar = text.find('|');
  std::size_t key_start = 0;
  if (bar != std::string_view::npos) {
    header.stored_name = std::string(text.substr(0, bar));
    key_start = bar + 1;
  }
  const auto backslash = text.find('\\', key_start);
  if (backslash != std::string_view::npos) {
    header.stored_key = std::string(text.substr(key_start, backslash - key_start));
  }
  return header;
}

// The deciphered header of a container, read into WorkBuffer; the buffer is
// zeroed once the text is parsed, so the key does not linger there.
// When asked, the enciphered bytes are kept too.
Header ReadHeaderText(const UniqueFd& file, std::size_t* count,
                      std::vector<std::uint8_t>* enciphered) {
  const std::size_t n = ReadSome(file, std::span(WorkBuffer).first(kHeaderSize));
  if (enciphered != nullptr)
    enciphered->assign(WorkBuffer.begin(), WorkBuffer.begin() + static_cast<long>(n));
  DecodeBuffer(static_cast<std::int32_t>(n));
  Header header =
      ParseHeader(std::string_view(reinterpret_cast<const char*>(WorkBuffer.data()), n));
  SecureZero(WorkBuffer.data(), kHeaderSize);
  if (count != nullptr)
    *count = n;
  return header;
}

void WriteHeader(const UniqueFd& target, const std::string& stored_name) {
  // Built in WorkBuffer itself, so no other copy of the key is made.
  const std::string_view key = KeyString.view();
  const std::size_t name_size = std::min(stored_name.size(), kHeaderSize);
  std::size_t used = 0;
  auto append = [&](std::string_view part) {
    const std::size_t n = std::min(part.size(), kHeaderSize - used);
    std::copy_n(part.begin(), n, WorkBuffer.begin() + static_cast<long>(used));
    used += n;
  };
  append(std::string_view(stored_name).substr(0, name_size));
  append("|");
  append(key);
  append("\\");
  // Filler bytes are never read; random ones leak nothing of earlier work.
  FillSecureRandom(std::span(WorkBuffer).subspan(used, kHeaderSize - used));
  EncodeBuffer(static_cast<std::int32_t>(kHeaderSize));
  try {
    WriteAll(target, std::span(WorkBuffer).first(kHeaderSize));
  } catch (...) {
    SecureZero(WorkBuffer.data(), kHeaderSize);
    throw;
  }
  SecureZero(WorkBuffer.data(), kHeaderSize);
}

// Streams the contents from source to target, enciphering or deciphering
// each 4096-byte segment by its own call; returns the digest of the plain bytes.
std::uint64_t TransferSegments(const UniqueFd& source, const UniqueFd& target, bool encrypting,
                               std::uint64_t size, ProgressGauge& gauge) {
  ChunkBuffer chunk(size);
  WriteBehind write_behind(target);
  std::uint64_t digest = kDigestSeed;
  for (;;) {
    ThrowIfInterrupted();
    const std::size_t n = ReadSome(source, chunk.span());
    if (n == 0)
      break;
    const auto bytes = chunk.span().first(n);
    if (encrypting)
      digest = Digest(digest, bytes);
    for (std::size_t offset = 0; offset < n; offset += kSegment) {
      const auto segment = bytes.subspan(offset, std::min(kSegment, n - offset));
      if (encrypting) {
        EncodeSegment(segment);
      } else {
        DecodeSegment(segment);
      }
      gauge.Sent(segment.size());
    }
    if (!encrypting)
      digest = Digest(digest, bytes);
    WriteAll(target, bytes);
    write_behind.Wrote(n);
  }
  return digest;
}

// The digest of the plain bytes a file holds: deciphered for a container
// (whose size and stored key must be right), as they are for a plain file.
// Throws FileError when the file does not hold plain_size bytes of our key.
// after_chunk runs after every chunk read, with its size.
namespace {

std::uint64_t PlainDigestOf(const std::string& path, bool container, std::uint64_t plain_size,
                            const std::function<void(std::size_t)>& after_chunk) {
  UniqueFd file = OpenForReading(path);
  auto mismatch = [&] {
    errno = EIO;
    ThrowFileError(path, "Does not read back as written:");
  };
  if (FileSize(file) != (container ? kHeaderSize : 0) + plain_size)
    mismatch();
  if (container) {
    std::size_t n = 0;
    const Header header = ReadHeaderText(file, &n);
    if (n != kHeaderSize || !IsOurKey(header))
      mismatch();
  }
  ChunkBuffer chunk(plain_size);
  std::uint64_t digest = kDigestSeed;
  for (;;) {
    const std::size_t got = ReadSome(file, chunk.span());
    if (got == 0)
      break;
    const auto bytes = chunk.span().first(got);
    if (container) {
      for (std::size_t offset = 0; offset < got; offset += kSegment) {
        DecodeSegment(bytes.subspan(offset, std::min(kSegment, got - offset)));
      }
    }
    digest = Digest(digest, bytes);
    after_chunk(got);
  }
  return digest;
}

}  // namespace

// Before a source is wiped or deleted: the source read again and the output
// read back from the disk both hold the plain bytes that went through the
// transfer, so neither a bad read nor a bad write can cost the data. The
// plain file is read on a thread of its own while this thread reads the
// container (the cipher and the window stay on this one): on two cores the
// check takes the time of one read, not two.
void VerifyTransfer(const std::string& source, const std::string& output, bool encrypting,
                    std::uint64_t plain_size, std::uint64_t plain_digest, ProgressGauge* gauge) {
  const std::string& plain_path = encrypting ? source : output;
  const std::string& container_path = encrypting ? output : source;
  std::atomic<bool> stop = false;
  std::uint64_t plain_side = 0;
  std::future<void> plain_read = std::async(std::launch::async, [&] {
    plain_side = PlainDigestOf(plain_path, false, plain_size, [&stop](std::size_t) {
      if (stop)
        throw Interrupted(0);
    });
  });
  std::uint64_t container_side = 0;
  try {
    container_side = PlainDigestOf(container_path, true, plain_size, [gauge](std::size_t got) {
      ThrowIfInterrupted();
      // The other side moves about as fast: the gauge counts both.
      if (gauge != nullptr)
        gauge->SentInSegments(2 * got);
    });
  } catch (...) {
    stop = true;
    plain_read.wait();
    throw;
  }
  WaitKeepingResponsive(plain_read);
  if (container_side != plain_digest || plain_side != plain_digest) {
    errno = EIO;
    ThrowFileError(output, "Does not read back as written:");
  }
}

}  // namespace vls
