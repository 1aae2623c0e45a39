#pragma once
// Writes small GIF files for tests, block by block, so a test can put odd or
// broken blocks anywhere. Image data is LZW with a clear code often enough
// that the code width never grows (simple, and valid for any decoder).

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/gif/GifDecoder.h"

namespace vls::gif::test {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& out, int v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

inline void Append(Bytes& out, const Bytes& more) {
  out.insert(out.end(), more.begin(), more.end());
}

// Bit count of a table holding `entries` colours (1..8).
inline int TableBits(std::size_t entries) {
  int bits = 1;
  while ((std::size_t{1} << bits) < entries)
    ++bits;
  return bits;
}

// "GIF89a", the screen descriptor and the global table (RGB triples, padded
// to a power of two; none when empty).
inline Bytes Header(int width, int height, Bytes palette = {0, 0, 0, 255, 255, 255}) {
  Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(out, width);
  Put16(out, height);
  if (palette.empty()) {
    out.insert(out.end(), {0, 0, 0});
    return out;
  }
  const int bits = TableBits(palette.size() / 3);
  palette.resize(std::size_t{3} << bits, 0);
  out.push_back(static_cast<std::uint8_t>(0x80 | (bits - 1)));
  out.push_back(0);
  out.push_back(0);
  Append(out, palette);
  return out;
}

inline Bytes LoopBlock(int count) {
  Bytes out = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1};
  Put16(out, count);
  out.push_back(0);
  return out;
}

// Graphic control block; transparent < 0 means none.
inline Bytes Control(int disposal, int delay_cs, int transparent = -1) {
  Bytes out = {0x21, 0xF9, 4};
  out.push_back(static_cast<std::uint8_t>((disposal << 2) | (transparent >= 0 ? 1 : 0)));
  Put16(out, delay_cs);
  out.push_back(static_cast<std::uint8_t>(transparent >= 0 ? transparent : 0));
  out.push_back(0);
  return out;
}

// Packs `data` into sub-blocks of at most 255 bytes and the zero-length block.
inline Bytes SubBlocks(const Bytes& data, bool terminate = true) {
  Bytes out;
  for (std::size_t i = 0; i < data.size(); i += 255) {
    const std::size_t n = std::min<std::size_t>(255, data.size() - i);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
               data.begin() + static_cast<std::ptrdiff_t>(i + n));
  }
  if (terminate)
    out.push_back(0);
  return out;
}

// LZW codes for `indices` (each below 2^min_size), without the size byte.
inline Bytes LzwCodes(const Bytes& indices, int min_size, bool end_code = true) {
  const int clear = 1 << min_size;
  const int width = min_size + 1;
  Bytes out;
  std::uint32_t bits = 0;
  int count = 0;
  auto put = [&](int code) {
    bits |= static_cast<std::uint32_t>(code) << count;
    count += width;
    while (count >= 8) {
      out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
      bits >>= 8;
      count -= 8;
    }
  };
  int run = 0;
  put(clear);
  for (std::uint8_t index : indices) {
    if (run == clear - 2) {
      put(clear);
      run = 0;
    }
    put(index);
    ++run;
  }
  if (end_code)
    put(clear + 1);
  if (count > 0)
    out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
  return out;
}

struct ImageBlock {
  int left = 0, top = 0, width = 1, height = 1;
  Bytes indices;       // display order, width * height
  Bytes local_colors;  // RGB triples; empty = use the global table
  bool interlaced = false;
  int min_size = 2;
};

// The image descriptor, its local table and its image data.
inline Bytes Image(const ImageBlock& s) {
  Bytes out = {0x2C};
  Put16(out, s.left);
  Put16(out, s.top);
  Put16(out, s.width);
  Put16(out, s.height);
  std::uint8_t packed = s.interlaced ? 0x40 : 0;
  Bytes table = s.local_colors;
  if (!table.empty()) {
    const int bits = TableBits(table.size() / 3);
    table.resize(std::size_t{3} << bits, 0);
    packed = static_cast<std::uint8_t>(packed | 0x80 | (bits - 1));
  }
  out.push_back(packed);
  Append(out, table);
  Bytes stream = s.indices;
  if (s.interlaced) {
    stream.clear();
    for (int row : InterlacedRowOrder(s.height)) {
      stream.insert(stream.end(), s.indices.begin() + row * s.width,
                    s.indices.begin() + (row + 1) * s.width);
    }
  }
  out.push_back(static_cast<std::uint8_t>(s.min_size));
  Append(out, SubBlocks(LzwCodes(stream, s.min_size)));
  return out;
}

// A rectangle of one index.
inline ImageBlock Solid(int left, int top, int width, int height, std::uint8_t index) {
  ImageBlock s;
  s.left = left;
  s.top = top;
  s.width = width;
  s.height = height;
  s.indices.assign(static_cast<std::size_t>(width * height), index);
  return s;
}

inline Bytes Trailer() {
  return {0x3B};
}

inline void Save(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

inline Bytes Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace vls::gif::test
