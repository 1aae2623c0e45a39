#include "platform/DisplayText.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vls {
namespace {

// Longest program name in the launcher's question; longer ones lose their middle.
constexpr std::size_t kProgramMaxLength = 60;
// A run of more blanks than this is shown as a count.
constexpr std::size_t kLongestBlankRun = 2;
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";

// One character of shown text, or one escape: what shortening never splits.
struct Piece {
  std::string text;
  std::size_t width;  // UTF-16 units
};

struct Decoded {
  char32_t cp = 0;
  std::size_t length = 1;  // bytes taken
  bool valid = false;
};

Decoded DecodeAt(std::string_view s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80)
    return {c, 1, true};
  std::size_t extra;
  char32_t cp;
  if (c >= 0xC2 && c <= 0xDF) {
    extra = 1;
    cp = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    extra = 3;
    cp = c & 0x07;
  } else {
    return {};
  }
  if (i + extra >= s.size())
    return {};
  for (std::size_t k = 1; k <= extra; ++k) {
    const auto cc = static_cast<unsigned char>(s[i + k]);
    if ((cc & 0xC0) != 0x80)
      return {};
    cp = cp << 6 | (cc & 0x3F);
  }
  // Overlong forms, surrogates and code points beyond Unicode are no UTF-8.
  if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
      (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))) {
    return {};
  }
  return {cp, extra + 1, true};
}

bool IsBlank(char32_t cp) {
  return cp == 0x20 || cp == 0xA0 || cp == 0x1680 || (cp >= 0x2000 && cp <= 0x200A) ||
         cp == 0x202F || cp == 0x205F || cp == 0x3000;
}

// Characters that draw nothing, join or reorder their neighbours, or break
// the line: C1 controls, format characters, invisible fillers, separators
// and non-characters.
bool IsHidden(char32_t cp) {
  struct Range {
    char32_t first, last;
  };
  static constexpr Range kHidden[] = {
      {0x0080, 0x009F},   {0x00AD, 0x00AD},   {0x034F, 0x034F},   {0x0600, 0x0605},
      {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},   {0x08E2, 0x08E2},
      {0x115F, 0x1160},   {0x17B4, 0x17B5},   {0x180B, 0x180F},   {0x200B, 0x200F},
      {0x2028, 0x202E},   {0x2060, 0x206F},   {0x3164, 0x3164},   {0xFDD0, 0xFDEF},
      {0xFEFF, 0xFEFF},   {0xFFA0, 0xFFA0},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD},
      {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A},
      {0xE0000, 0xE007F},
  };
  if ((cp & 0xFFFE) == 0xFFFE)
    return true;  // U+FFFE, U+FFFF and their twins in every plane
  return std::any_of(std::begin(kHidden), std::end(kHidden),
                     [cp](const Range& r) { return cp >= r.first && cp <= r.last; });
}

char HexDigit(unsigned value) {
  return "0123456789ABCDEF"[value & 0xF];
}

std::string ByteEscape(unsigned char byte) {
  return {'\\', 'x', HexDigit(byte >> 4), HexDigit(byte)};
}

std::string CodePointEscape(char32_t cp) {
  std::string digits;
  for (; cp != 0 || digits.size() < 4; cp >>= 4)
    digits.insert(digits.begin(), HexDigit(static_cast<unsigned>(cp)));
  return "<U+" + digits + ">";
}

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The length of an escape written literally at i (0 when there is none), so
// that shown text shown again keeps each escape as one piece.
std::size_t EscapeAt(std::string_view s, std::size_t i) {
  const std::string_view rest = s.substr(i);
  if (rest.size() >= 2 && rest[0] == '\\' && (rest[1] == 'n' || rest[1] == 'r' || rest[1] == 't'))
    return 2;
  if (rest.size() >= 4 && rest.starts_with("\\x") && IsHex(rest[2]) && IsHex(rest[3]))
    return 4;
  if (rest.starts_with("<U+")) {
    std::size_t n = 3;
    while (n < rest.size() && n < 9 && IsHex(rest[n]))
      ++n;
    if (n >= 7 && n < rest.size() && rest[n] == '>')
      return n + 1;
  }
  if (rest.starts_with("<")) {
    std::size_t n = 1;
    while (n < rest.size() && n < 11 && IsDigit(rest[n]))
      ++n;
    if (n > 1 && rest.substr(n).starts_with(" blanks>"))
      return n + 8;
  }
  return 0;
}

std::vector<Piece> Pieces(std::string_view s) {
  std::vector<Piece> pieces;
  pieces.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    if (const std::size_t escape = EscapeAt(s, i); escape > 0) {
      pieces.push_back({std::string(s.substr(i, escape)), escape});
      i += escape;
      continue;
    }
    const Decoded d = DecodeAt(s, i);
    if (!d.valid) {
      pieces.push_back({ByteEscape(static_cast<unsigned char>(s[i])), 4});
      ++i;
      continue;
    }
    if (IsBlank(d.cp)) {
      // Blanks are kept as they are, unless there are so many that they could
      // push the rest of the text out of sight.
      std::vector<std::size_t> lengths;
      std::size_t j = i;
      while (j < s.size()) {
        const Decoded b = DecodeAt(s, j);
        if (!b.valid || !IsBlank(b.cp))
          break;
        lengths.push_back(b.length);
        j += b.length;
      }
      if (lengths.size() > kLongestBlankRun) {
        const std::string text = "<" + std::to_string(lengths.size()) + " blanks>";
        pieces.push_back({text, text.size()});
      } else {
        for (std::size_t k = i, n = 0; n < lengths.size(); k += lengths[n++])
          pieces.push_back({std::string(s.substr(k, lengths[n])), 1});
      }
      i = j;
      continue;
    }
    std::string text;
    if (d.cp == '\n') {
      text = "\\n";
    } else if (d.cp == '\r') {
      text = "\\r";
    } else if (d.cp == '\t') {
      text = "\\t";
    } else if (d.cp < 0x20 || d.cp == 0x7F) {
      text = ByteEscape(static_cast<unsigned char>(d.cp));
    } else if (IsHidden(d.cp)) {
      text = CodePointEscape(d.cp);
    }
    if (!text.empty()) {
      pieces.push_back({text, text.size()});
    } else {
      pieces.push_back({std::string(s.substr(i, d.length)), d.cp >= 0x10000 ? 2u : 1u});
    }
    i += d.length;
  }
  return pieces;
}

std::string Join(const std::vector<Piece>& pieces, std::size_t first, std::size_t last) {
  std::string out;
  for (std::size_t i = first; i < last; ++i)
    out += pieces[i].text;
  return out;
}

std::string Shortened(const std::vector<Piece>& pieces, std::size_t max_length) {
  std::size_t total = 0;
  for (const Piece& piece : pieces)
    total += piece.width;
  if (total <= max_length)
    return Join(pieces, 0, pieces.size());
  if (max_length == 0)
    return std::string();
  const std::size_t budget = max_length - 1;  // the ellipsis takes one
  // The file name with the "/" before it, so a shortened path still shows
  // where the name begins.
  std::size_t name_start = pieces.size();
  while (name_start > 0 && pieces[name_start - 1].text != "/")
    --name_start;
  if (name_start > 0)
    --name_start;
  std::size_t before = 0;
  for (std::size_t i = 0; i < name_start; ++i)
    before += pieces[i].width;
  const std::size_t name_width = total - before;
  // The start keeps at least a third, so a folder's first names (or a long
  // name's first characters) stay in sight; the end takes the rest, the
  // whole file name where it fits.
  const std::size_t head_floor = budget / 3;
  const std::size_t tail_budget =
      name_width + std::min(before, head_floor) <= budget ? name_width : budget - head_floor;
  const std::size_t head_budget = budget - tail_budget;

  std::size_t tail_start = pieces.size();
  for (std::size_t width = 0; tail_start > 0 && width + pieces[tail_start - 1].width <= tail_budget;
       --tail_start) {
    width += pieces[tail_start - 1].width;
  }
  std::size_t head_end = 0;
  for (std::size_t width = 0;
       head_end < tail_start && width + pieces[head_end].width <= head_budget; ++head_end) {
    width += pieces[head_end].width;
  }
  return Join(pieces, 0, head_end) + std::string(kEllipsis) +
         Join(pieces, tail_start, pieces.size());
}

}  // namespace

std::size_t DisplayLength(std::string_view shown) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < shown.size();) {
    const Decoded d = DecodeAt(shown, i);
    length += d.valid && d.cp >= 0x10000 ? 2 : 1;
    i += d.length;
  }
  return length;
}

std::string DisplayText(std::string_view bytes) {
  const std::vector<Piece> pieces = Pieces(bytes);
  return Join(pieces, 0, pieces.size());
}

std::string DisplayPath(std::string_view bytes, std::size_t max_length) {
  return Shortened(Pieces(bytes), max_length);
}

std::string LaunchQuestion(std::string_view file, std::string_view program) {
  const std::string name = DisplayPath(program, kProgramMaxLength);
  constexpr std::string_view kOpen = "Open ";
  constexpr std::string_view kWith = " with ";
  const std::size_t room = kQuestionMaxLength - kOpen.size() - kWith.size() - DisplayLength(name);
  return std::string(kOpen) + DisplayPath(file, room) + std::string(kWith) + name;
}

std::string DisplayLines(std::string_view text) {
  std::string shown;
  for (std::size_t start = 0;;) {
    const auto end = text.find('\n', start);
    shown += DisplayText(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos)
      return shown;
    shown += '\n';
    start = end + 1;
  }
}

}  // namespace vls
