#pragma once
// Reading a GIF file into frames of 8-bit palette indices. The bytes are
// untrusted: every read is checked against the end of the data, and a file
// that ends early or goes wrong keeps the frames read before that point.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vls::gif {

// 256 RGB triples; entries past a table's own size are black.
using ColorTable = std::array<std::uint8_t, 768>;

// The limit that keeps a hostile file from asking for huge buffers: every
// buffer the picture needs (composition and mask of the logical screen grown
// to cover every frame, frame indices, frame masks and the save areas of
// "restore previous" frames) must fit in kMaxBufferBytes together. The limit
// is on the area, not on a side: 65535 by 1 is a small picture.
inline constexpr std::size_t kMaxBufferBytes = std::size_t{256} << 20;
inline constexpr int kMaxFrames = 256;
// Comment text kept for one frame; the rest of a longer comment is skipped.
inline constexpr std::size_t kMaxCommentBytes = std::size_t{64} << 10;

// One image of the file.
struct TFrame {
  int left = 0, top = 0, width = 0, height = 0;
  bool has_local_table = false;
  int local_bit_count = 0;  // 0 without a local table
  ColorTable colors{};      // the local table, or a copy of the global one
  bool interlaced = false;
  int disposal = 0;  // 0, 1, 2 (clear to background) or 3 (restore previous)
  int delay_ms = 1;  // at least 1
  bool transparent = false;
  std::uint8_t transparent_index = 0;
  std::string comment;
  // width * height palette indices, top row first.
  std::vector<std::uint8_t> indices;
  // When transparent: one bit a pixel, 1 = transparent, most significant bit
  // first, each row starting on a byte boundary (MaskStride bytes a row).
  std::vector<std::uint8_t> mask;

  int MaskStride() const { return (width + 7) / 8; }
  bool IsTransparentAt(int x, int y) const {
    return transparent &&
           (mask[static_cast<std::size_t>(y) * static_cast<std::size_t>(MaskStride()) +
                 static_cast<std::size_t>(x / 8)] &
            (0x80 >> (x % 8))) != 0;
  }
  std::uint8_t IndexAt(int x, int y) const {
    return indices[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                   static_cast<std::size_t>(x)];
  }
  // Buffer bytes the frame holds, with the save areas it needs when drawn.
  std::size_t BufferBytes() const;
};

enum class DecodeStatus {
  kOk,              // a GIF file; it may still hold no frame or have ended early
  kEmpty,           // no bytes at all
  kNotGif,          // does not begin with "GIF"
  kScreenTooLarge,  // the screen descriptor alone asks for more than the limit
  kFrameTooLarge,   // every frame would grow the picture past the limit
};

// Why reading stopped before the trailer, when it did.
enum class StopReason {
  kNone,           // the trailer was reached
  kEndOfData,      // the data ended before the trailer
  kUnknownBlock,   // a byte that starts no known block
  kFrameLimit,     // 256 frames read; the rest is ignored
  kBadFrame,       // an image descriptor or its colour table was cut short
  kFrameTooLarge,  // a frame would grow the picture past the limits
};

struct GifFile {
  DecodeStatus status = DecodeStatus::kEmpty;
  StopReason stop = StopReason::kNone;
  int screen_width = 0, screen_height = 0;    // from the screen descriptor
  int logical_width = 0, logical_height = 0;  // grown to cover every frame
  bool has_global_table = false;
  int global_bit_count = 0;  // bit count of the global table (0 without one)
  ColorTable global_colors{};
  int background_index = 0;
  int loop_count = 1;  // 1 without a loop block; 0 = endless
  // The picture size a refused screen or frame asked for (see RefusalText).
  int refused_width = 0, refused_height = 0;
  bool any_transparent = false;
  bool any_interlaced = false;
  std::vector<TFrame> frames;

  bool Ok() const { return status == DecodeStatus::kOk; }
};

// Decodes a whole file held in memory.
GifFile DecodeGif(std::span<const std::uint8_t> data);

// A short English text for a status, for tools and messages.
const char* StatusText(DecodeStatus status);
const char* StopText(StopReason reason);
// What was refused and why, with the sizes: for a file refused as too large,
// or read only up to a frame that was; otherwise the status text.
std::string RefusalText(const GifFile& gif);

// LZW image data starting at `pos` (the minimum code size byte, then the
// sub-blocks) into `pixels.size()` indices in stream order. Returns the
// position after the image data (after its zero-length block when present,
// otherwise the end of the data). Indices that receive no code stay as they
// were. A code size above 11 yields no pixels; its sub-blocks are skipped.
std::size_t DecodeLzw(std::span<const std::uint8_t> data, std::size_t pos,
                      std::span<std::uint8_t> pixels);

// Row order of an interlaced image of `height` rows: the stream's n-th row
// goes to row RowOrder[n].
std::vector<int> InterlacedRowOrder(int height);

}  // namespace vls::gif
