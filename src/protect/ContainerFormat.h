#pragma once
// The bytes of a container: the enciphered header (stored name + "|" + key
// + "\\" + filler, one call of the cipher) and the contents in 4096-byte
// segments, each enciphered by its own call; streamed, and read back to
// check them. Used by the container routines of this folder only.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cipher/Cipher.h"
#include "cipher/KeyString.h"
#include "protect/Feedback.h"
#include "protect/Rounding.h"

namespace vls {

class UniqueFd;

inline constexpr std::size_t kHeaderSize = 255;

struct Header {
  Header() = default;
  Header(const Header&) = delete;
  Header& operator=(const Header&) = delete;
  Header(Header&&) = default;
  Header& operator=(Header&&) = default;
  ~Header() { SecureZero(stored_key.data(), stored_key.size()); }
  std::string stored_name;  // stored bytes
  std::string stored_key;   // stored bytes
};

// The stored key must be the key string byte for byte.
bool IsOurKey(const Header& header);

// The stored name and key of a deciphered header's text.
Header ParseHeader(std::string_view text);

// The deciphered header of a container (reading the first 255 bytes);
// WorkBuffer is zeroed once it is parsed. count gets the bytes read, and
// enciphered, when given, the bytes as they were on the disk.
Header ReadHeaderText(const UniqueFd& file, std::size_t* count = nullptr,
                      std::vector<std::uint8_t>* enciphered = nullptr);
// Writes the enciphered header for the stored name and the key string.
void WriteHeader(const UniqueFd& target, const std::string& stored_name);

// Moves the gauge by 5 every time more than 5 % of the file has gone through.
class ProgressGauge {
 public:
  ProgressGauge(Feedback& feedback, std::uint64_t size)
      : feedback_(feedback), step_(ProgressStep(size)) {
    feedback_.SetGaugeColor(GaugeColor::Red);
    feedback_.SetGaugePosition(0);
  }
  void Sent(std::uint64_t n) {
    sent_ += n;
    if (sent_ > step_) {
      position_ = std::min(position_ + 5, 100);
      feedback_.SetGaugePosition(position_);
      sent_ = 0;
    }
  }
  // Bytes read in one large piece, counted as a transfer counts its segments.
  void SentInSegments(std::uint64_t n) {
    for (; n > kWorkBufferSize; n -= kWorkBufferSize)
      Sent(kWorkBufferSize);
    Sent(n);
  }

 private:
  Feedback& feedback_;
  std::uint64_t step_;
  std::uint64_t sent_ = 0;
  int position_ = 0;
};

// Streams the contents from source to target, enciphering or deciphering
// each 4096-byte segment by its own call; returns the digest of the plain
// bytes. Polls for a stop request between chunks (throws Interrupted).
std::uint64_t TransferSegments(const UniqueFd& source, const UniqueFd& target, bool encrypting,
                               std::uint64_t size, ProgressGauge& gauge);

// Before a source is wiped or deleted: the source read again and the output
// read back must both hold plain_size plain bytes of this digest. Throws
// FileError when they do not. The gauge, if any, moves as both are read.
void VerifyTransfer(const std::string& source, const std::string& output, bool encrypting,
                    std::uint64_t plain_size, std::uint64_t plain_digest,
                    ProgressGauge* gauge = nullptr);
// Whether transfers are checked (on by default).
bool VerifyingContainers();
void SetVerifyContainers(bool on);

// The first 255 bytes of a text (the format's short strings).
std::string CutTo255(std::string text);

}  // namespace vls
