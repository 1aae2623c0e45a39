#include "protect/CaseTwin.h"

#include <array>
#include <vector>

#include "cipher/Cipher.h"
#include "platform/FileServices.h"
#include "protect/PathNames.h"

namespace vls {
namespace {

constexpr std::size_t kHeader = 255;
// Letters of the key not pinned down by the container's name are tried in
// every case; beyond this many the search stops (and the key is taken).
constexpr std::size_t kMaxFreeLetters = 16;

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char OtherCase(char c) {
  return static_cast<char>(c ^ 0x20);
}

// The stored name and key of the header under key.
struct Opened {
  std::string name, key;
};

Opened Open(std::span<const std::uint8_t> header, std::string_view key) {
  std::array<std::uint8_t, kHeader> shift{};
  KeystreamOf(key, KeySumOf(key), shift);
  std::string text(header.size(), '\0');
  for (std::size_t p = 0; p < header.size(); ++p)
    text[p] = static_cast<char>(header[p] - shift[p]);
  Opened opened;
  const auto bar = text.find('|');
  const std::size_t key_start = bar == std::string::npos ? 0 : bar + 1;
  if (bar != std::string::npos)
    opened.name = text.substr(0, bar);
  const auto backslash = text.find('\\', key_start);
  if (backslash != std::string::npos)
    opened.key = text.substr(key_start, backslash - key_start);
  SecureZero(text.data(), text.size());
  return opened;
}

// The names a writer gives a container: the plain name without extension,
// with "~n" added when that was taken.
std::vector<std::string> ContainerBases(const std::string& container_path) {
  std::vector<std::string> bases = {StripExtension(FileNameOf(container_path))};
  const std::string& base = bases.front();
  const auto tilde = base.rfind('~');
  if (tilde != std::string::npos && tilde > 0 && tilde + 1 < base.size() &&
      base.find_first_not_of("0123456789", tilde + 1) == std::string::npos) {
    bases.push_back(base.substr(0, tilde));
  }
  return bases;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// Looks for a case form of typed (other than typed) whose key sum is
// key_sum and which deciphers the header's first bytes to base and opens
// the header with a stored name beginning with base.
bool FindTwin(std::span<const std::uint8_t> header, const std::string& typed, std::uint8_t key_sum,
              const std::string& base) {
  const std::size_t k = typed.size();
  std::array<std::uint8_t, kHeader> shift{};
  // Only the counter part of the stream depends on the key sum alone.
  KeystreamOf(std::string(k, '\0'), key_sum, shift);
  std::string twin = typed;
  std::vector<bool> pinned(k, false);
  const std::size_t known = std::min(base.size(), kHeader);
  for (std::size_t p = 0; p < known; ++p) {
    const std::size_t i = p % k;
    const char wanted =
        static_cast<char>(header[p] - shift[p] - static_cast<std::uint8_t>(base[p]));
    const bool allowed =
        wanted == typed[i] || (IsAsciiLetter(typed[i]) && wanted == OtherCase(typed[i]));
    if (!allowed || (pinned[i] && twin[i] != wanted))
      return false;
    twin[i] = wanted;
    pinned[i] = true;
  }
  std::vector<std::size_t> free;
  for (std::size_t i = 0; i < k; ++i) {
    if (!pinned[i] && IsAsciiLetter(typed[i]))
      free.push_back(i);
  }
  if (free.size() > kMaxFreeLetters)
    return false;
  for (std::uint32_t mask = 0; mask < (1u << free.size()); ++mask) {
    std::string candidate = twin;
    for (std::size_t f = 0; f < free.size(); ++f) {
      if ((mask >> f & 1u) != 0)
        candidate[free[f]] = OtherCase(candidate[free[f]]);
    }
    if (candidate == typed || KeySumOf(candidate) != key_sum)
      continue;
    const Opened opened = Open(header, candidate);
    const bool found = opened.key == candidate && StartsWith(opened.name, base);
    SecureZero(candidate.data(), candidate.size());
    if (found)
      return true;
  }
  return false;
}

}  // namespace

bool WrittenWithCaseTwin(std::span<const std::uint8_t> header, std::string_view typed_key,
                         const std::string& container_path) {
  if (header.size() != kHeader || typed_key.empty())
    return false;
  const std::vector<std::string> bases = ContainerBases(container_path);
  const Opened typed = Open(header, typed_key);
  for (const std::string& base : bases) {
    if (StartsWith(typed.name, base))
      return false;  // the name fits: this key wrote it
  }
  const std::string key(typed_key);
  std::size_t lower = 0, upper = 0;
  for (const char c : key) {
    lower += c >= 'a' && c <= 'z';
    upper += c >= 'A' && c <= 'Z';
  }
  // Each letter whose case changes moves the key sum by 32 one way or the other.
  const int sum = KeySumOf(key);
  for (int steps = -static_cast<int>(lower); steps <= static_cast<int>(upper); ++steps) {
    const auto key_sum = static_cast<std::uint8_t>(((sum + 32 * steps) % 255 + 255) % 255);
    for (const std::string& base : bases) {
      if (!base.empty() && FindTwin(header, key, key_sum, base))
        return true;
    }
  }
  return false;
}

}  // namespace vls
