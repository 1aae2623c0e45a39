#include "platform/AnsiText.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vls {
namespace {

// Code points of Windows-1252 bytes 0x80..0x9F (0 where the byte is undefined).
constexpr std::array<char32_t, 32> kHigh1252 = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Stray bytes of a name that is not UTF-8 travel as these code points.
constexpr char32_t kEscapeFirst = 0xDC80;
constexpr char32_t kEscapeLast = 0xDCFF;

// Decodes UTF-8; with escapes allowed, the code points kEscapeFirst..
// kEscapeLast (otherwise invalid surrogates) are accepted too.
std::optional<std::vector<char32_t>> DecodeUtf8(std::string_view s, bool escapes = false) {
  std::vector<char32_t> out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    int extra;
    char32_t cp;
    if (c < 0x80) {
      extra = 0;
      cp = c;
    } else if ((c & 0xE0) == 0xC0 && c >= 0xC2) {
      extra = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0 && c <= 0xF4) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return std::nullopt;
    }
    if (i + static_cast<std::size_t>(extra) >= s.size())
      return std::nullopt;
    for (int k = 1; k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if ((cc & 0xC0) != 0x80)
        return std::nullopt;
      cp = cp << 6 | (cc & 0x3F);
    }
    const bool escape = escapes && cp >= kEscapeFirst && cp <= kEscapeLast;
    if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF && !escape))) ||
        (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))) {
      return std::nullopt;
    }
    out.push_back(cp);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::optional<unsigned char> To1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
    return static_cast<unsigned char>(cp);
  for (std::size_t i = 0; i < kHigh1252.size(); ++i) {
    if (kHigh1252[i] != 0 && kHigh1252[i] == cp)
      return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

// The length of the valid UTF-8 sequence at the start of s, or 0.
std::size_t ValidSequenceAt(std::string_view s) {
  for (std::size_t length = 1; length <= 4 && length <= s.size(); ++length) {
    if (DecodeUtf8(s.substr(0, length)).has_value())
      return length;
  }
  return 0;
}

// Valid UTF-8 kept, every other byte as its escape code point.
std::string EscapeStrayBytes(std::string_view name) {
  std::string out;
  for (std::size_t i = 0; i < name.size();) {
    if (const std::size_t length = ValidSequenceAt(name.substr(i)); length != 0) {
      out.append(name.substr(i, length));
      i += length;
    } else {
      AppendUtf8(out, kEscapeFirst + static_cast<unsigned char>(name[i]) - 0x80);
      ++i;
    }
  }
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  return DecodeUtf8(bytes).has_value();
}

std::size_t CharacterCount(std::string_view utf8) {
  const auto decoded = DecodeUtf8(utf8);
  return decoded ? decoded->size() : utf8.size();
}

std::string ToAnsi(std::string_view utf8) {
  auto decoded = DecodeUtf8(utf8);
  if (!decoded)
    return std::string(utf8);
  // The text is often a password: the decoded copy is zeroed before it goes.
  struct Zeroed {
    std::vector<char32_t>& code_points;
    ~Zeroed() {
      volatile char32_t* p = code_points.data();
      for (std::size_t i = 0; i < code_points.size(); ++i)
        p[i] = 0;
    }
  } zeroed{*decoded};
  std::string out;
  out.reserve(decoded->size());
  for (const char32_t cp : *decoded) {
    const auto byte = To1252(cp);
    if (!byte)
      return std::string(utf8);
    out.push_back(static_cast<char>(*byte));
  }
  return out;
}

std::string FromAnsi(std::string_view bytes) {
  if (IsValidUtf8(bytes))
    return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    char32_t cp = c;
    if (c >= 0x80 && c < 0xA0)
      cp = kHigh1252[c - 0x80] != 0 ? kHigh1252[c - 0x80] : c;
    AppendUtf8(out, cp);
  }
  return out;
}

std::string ToStoredName(std::string_view name) {
  if (IsValidUtf8(name)) {
    std::string ansi = ToAnsi(name);
    return FromStoredName(ansi) == name ? ansi : std::string(name);
  }
  return EscapeStrayBytes(name);
}

std::string FromStoredName(std::string_view stored) {
  if (IsValidUtf8(stored))
    return std::string(stored);
  if (const auto decoded = DecodeUtf8(stored, true)) {
    std::string out;
    for (const char32_t cp : *decoded) {
      if (cp >= kEscapeFirst && cp <= kEscapeLast) {
        out.push_back(static_cast<char>(cp - kEscapeFirst + 0x80));
      } else {
        AppendUtf8(out, cp);
      }
    }
    return out;
  }
  return FromAnsi(stored);
}

}  // namespace vls
