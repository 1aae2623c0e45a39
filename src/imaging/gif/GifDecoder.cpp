#include "imaging/gif/GifDecoder.h"

#include <algorithm>
#include <cstring>

namespace vls::gif {
namespace {

constexpr std::uint8_t kExtension = 0x21;
constexpr std::uint8_t kImage = 0x2C;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr std::uint8_t kPlainText = 0x01;
constexpr std::uint8_t kGraphicControl = 0xF9;
constexpr std::uint8_t kComment = 0xFE;
constexpr std::uint8_t kApplication = 0xFF;
constexpr int kTableSize = 4096;

int U16(std::span<const std::uint8_t> d, std::size_t at) {
  return d[at] | (d[at + 1] << 8);
}

// Bytes that begin a block: where image data should be, one of these means
// the image has none (no LZW code size is this large).
bool StartsBlock(std::uint8_t byte) {
  return byte == kExtension || byte == kImage || byte == kTrailer;
}

// Bytes the composition and its mask need for a screen of w by h.
std::size_t ScreenBytes(std::size_t w, std::size_t h) {
  return w * h * 5;
}

// Codes packed least-significant bit first into a chain of sub-blocks (a
// size byte, then that many bytes; a size of 0 ends the chain). A sub-block
// whose size runs past the data is cut at the end of the data.
class SubBlockBits {
 public:
  SubBlockBits(std::span<const std::uint8_t> data, std::size_t pos)
      : data_(data), pos_(pos), block_end_(pos) {}

  // The next code of `width` bits, or -1 when the data runs out.
  int Read(int width) {
    while (count_ < width) {
      if (pos_ == block_end_ && !NextBlock())
        return -1;
      bits_ |= static_cast<std::uint32_t>(data_[pos_++]) << count_;
      count_ += 8;
    }
    const int code = static_cast<int>(bits_ & ((1u << width) - 1));
    bits_ >>= width;
    count_ -= width;
    return code;
  }

  // Drops the rest of the chain; returns the position after it.
  std::size_t SkipRest() {
    pos_ = block_end_;
    while (NextBlock())
      pos_ = block_end_;
    return pos_;
  }

 private:
  // Moves to the next non-empty sub-block; false at the end of the chain.
  bool NextBlock() {
    while (!done_) {
      if (pos_ >= data_.size()) {
        done_ = true;
        break;
      }
      const std::size_t size = data_[pos_++];
      if (size == 0) {
        done_ = true;
        break;
      }
      block_end_ = std::min(pos_ + size, data_.size());
      if (block_end_ > pos_)
        return true;
    }
    block_end_ = pos_;
    return false;
  }

  std::span<const std::uint8_t> data_;
  std::size_t pos_;
  std::size_t block_end_;
  bool done_ = false;
  std::uint32_t bits_ = 0;
  int count_ = 0;
};

std::size_t SkipSubBlocks(std::span<const std::uint8_t> data, std::size_t pos) {
  return SubBlockBits(data, pos).SkipRest();
}

std::size_t AppendSubBlocks(std::span<const std::uint8_t> data, std::size_t pos, std::string& out) {
  while (pos < data.size()) {
    const std::size_t size = data[pos++];
    if (size == 0)
      break;
    const std::size_t end = std::min(pos + size, data.size());
    const std::size_t keep =
        std::min(end - pos, kMaxCommentBytes - std::min(out.size(), kMaxCommentBytes));
    out.append(reinterpret_cast<const char*>(data.data() + pos), keep);
    pos = end;
  }
  return pos;
}

// Copies `entries` RGB triples into `table`; false when the data is too short.
bool ReadTable(std::span<const std::uint8_t> data, std::size_t& pos, int bit_count,
               ColorTable& table) {
  const std::size_t bytes = std::size_t{3} << bit_count;
  if (data.size() - pos < bytes)
    return false;
  table.fill(0);
  std::memcpy(table.data(), data.data() + pos, bytes);
  pos += bytes;
  return true;
}

void BuildMask(TFrame& frame) {
  const std::size_t stride = static_cast<std::size_t>(frame.MaskStride());
  frame.mask.assign(stride * static_cast<std::size_t>(frame.height), 0);
  const std::uint8_t* in = frame.indices.data();
  for (int y = 0; y < frame.height; ++y) {
    std::uint8_t* row = frame.mask.data() + static_cast<std::size_t>(y) * stride;
    for (int x = 0; x < frame.width; ++x) {
      if (*in++ == frame.transparent_index)
        row[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
    }
  }
}

// Fields of the graphic control block that applies to the next image:
// size, packed, delay (2 bytes), transparent index, terminator.
using GraphicControl = std::array<std::uint8_t, 6>;

struct Reader {
  std::span<const std::uint8_t> data;
  GifFile& gif;
  std::size_t buffer_bytes = 0;  // held by the frames read so far

  // Reads the image at `pos` (its separator). An image without pixels (no
  // width, no height, or no image data at all) is read past and adds no
  // frame. Returns false, with `stop` set, when reading must end there.
  bool ReadFrame(std::size_t& pos, const GraphicControl& control, std::string& comment,
                 StopReason& stop) {
    if (data.size() - pos < 10) {
      stop = StopReason::kBadFrame;
      return false;
    }
    TFrame frame;
    frame.left = U16(data, pos + 1);
    frame.top = U16(data, pos + 3);
    frame.width = U16(data, pos + 5);
    frame.height = U16(data, pos + 7);
    const std::uint8_t packed = data[pos + 9];
    pos += 10;
    if ((packed & 0x80) != 0) {
      frame.has_local_table = true;
      frame.local_bit_count = (packed & 7) + 1;
      if (!ReadTable(data, pos, frame.local_bit_count, frame.colors)) {
        stop = StopReason::kBadFrame;
        return false;
      }
    } else {
      frame.colors = gif.global_colors;
    }
    frame.interlaced = (packed & 0x40) != 0;
    // The comment belongs to this image, kept or not.
    std::string pending_comment = std::move(comment);
    comment.clear();
    if (pos < data.size() && StartsBlock(data[pos]))
      return true;  // no image data: the next block follows the descriptor
    if (frame.width == 0 || frame.height == 0) {
      pos = DecodeLzw(data, pos, {});
      return true;
    }
    const int disposal = (control[1] >> 2) & 7;
    frame.disposal = (disposal == 0 || disposal == 1 || disposal == 3) ? disposal : 2;
    frame.delay_ms = std::max(U16(control, 2) * 10, 1);
    frame.transparent = (control[1] & 1) != 0;
    frame.transparent_index = control[4];

    // The picture grows to cover the frame; refuse what would pass the limits.
    const int right = std::max(gif.logical_width, frame.left + frame.width);
    const int bottom = std::max(gif.logical_height, frame.top + frame.height);
    const std::size_t frame_bytes = frame.BufferBytes();
    if (buffer_bytes + frame_bytes +
            ScreenBytes(static_cast<std::size_t>(right), static_cast<std::size_t>(bottom)) >
        kMaxBufferBytes) {
      stop = StopReason::kFrameTooLarge;
      gif.refused_width = right;
      gif.refused_height = bottom;
      return false;
    }

    const std::size_t pixels =
        static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height);
    frame.indices.assign(pixels, 0);
    if (frame.interlaced && frame.height > 1 && pixels > 0) {
      std::vector<std::uint8_t> stream(pixels, 0);
      pos = DecodeLzw(data, pos, stream);
      const std::vector<int> order = InterlacedRowOrder(frame.height);
      const std::size_t w = static_cast<std::size_t>(frame.width);
      for (std::size_t n = 0; n < order.size(); ++n) {
        std::memcpy(frame.indices.data() + static_cast<std::size_t>(order[n]) * w,
                    stream.data() + n * w, w);
      }
    } else {
      pos = DecodeLzw(data, pos, frame.indices);
    }
    if (frame.transparent)
      BuildMask(frame);
    frame.comment = std::move(pending_comment);

    buffer_bytes += frame_bytes;
    gif.logical_width = right;
    gif.logical_height = bottom;
    gif.any_transparent = gif.any_transparent || frame.transparent;
    gif.any_interlaced = gif.any_interlaced || frame.interlaced;
    gif.frames.push_back(std::move(frame));
    return true;
  }

  // An application block: an identifier sub-block, then data sub-blocks
  // read by their sizes. The loop block ("NETSCAPE2.0", or its twin
  // "ANIMEXTS1.0") carries the loop count in its sub-block 1; its other
  // sub-blocks (2 is a buffering hint) are skipped. Returns the position
  // after the block.
  std::size_t ReadApplication(std::size_t pos) {
    bool identifier = true, loop_block = false;
    while (pos < data.size()) {
      const std::size_t size = data[pos++];
      if (size == 0)
        break;
      const std::size_t end = std::min(pos + size, data.size());
      const std::span<const std::uint8_t> block = data.subspan(pos, end - pos);
      if (identifier) {
        loop_block = block.size() == 11 && (std::memcmp(block.data(), "NETSCAPE2.0", 11) == 0 ||
                                            std::memcmp(block.data(), "ANIMEXTS1.0", 11) == 0);
        identifier = false;
      } else if (loop_block && block.size() >= 3 && block[0] == 1) {
        gif.loop_count = U16(block, 1);
      }
      pos = end;
    }
    return pos;
  }

  void ReadBlocks(std::size_t pos) {
    GraphicControl control{};
    std::string comment;
    StopReason& stop = gif.stop;
    for (;;) {
      if (pos >= data.size()) {
        stop = StopReason::kEndOfData;
        return;
      }
      const std::uint8_t kind = data[pos];
      if (kind == kTrailer)
        return;
      if (kind == kImage) {
        if (gif.frames.size() >= kMaxFrames) {
          stop = StopReason::kFrameLimit;
          return;
        }
        if (!ReadFrame(pos, control, comment, stop))
          return;
        control.fill(0);
        continue;
      }
      if (kind != kExtension) {
        stop = StopReason::kUnknownBlock;
        return;
      }
      if (data.size() - pos < 2) {
        stop = StopReason::kEndOfData;
        return;
      }
      const std::uint8_t label = data[pos + 1];
      pos += 2;
      switch (label) {
        case kPlainText:
          pos = SkipSubBlocks(data, pos);
          break;
        case kGraphicControl:
          if (data.size() - pos < control.size()) {
            stop = StopReason::kEndOfData;
            return;
          }
          std::memcpy(control.data(), data.data() + pos, control.size());
          pos += control.size();
          break;
        case kComment:
          pos = AppendSubBlocks(data, pos, comment);
          break;
        case kApplication:
          pos = ReadApplication(pos);
          break;
        default:
          stop = StopReason::kUnknownBlock;
          return;
      }
    }
  }
};

}  // namespace

std::size_t TFrame::BufferBytes() const {
  const std::size_t w = static_cast<std::size_t>(width);
  const std::size_t h = static_cast<std::size_t>(height);
  std::size_t bytes = w * h;
  if (transparent)
    bytes += static_cast<std::size_t>(MaskStride()) * h;
  if (disposal == 3)
    bytes += w * h * 5;  // saved colour and mask
  return bytes;
}

std::vector<int> InterlacedRowOrder(int height) {
  std::vector<int> order;
  order.reserve(static_cast<std::size_t>(std::max(height, 0)));
  static constexpr int kStart[] = {0, 4, 2, 1};
  static constexpr int kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    for (int row = kStart[pass]; row < height; row += kStep[pass])
      order.push_back(row);
  }
  return order;
}

std::size_t DecodeLzw(std::span<const std::uint8_t> data, std::size_t pos,
                      std::span<std::uint8_t> pixels) {
  if (pos >= data.size())
    return data.size();
  const int min_size = data[pos++];
  SubBlockBits bits(data, pos);
  if (min_size > 11)
    return bits.SkipRest();

  // Each table entry is a string: its last byte (suffix), the entry for the
  // rest (prefix) and its length, so a string is written straight into the
  // output from its end back to its start.
  const int clear = 1 << min_size;
  const int end = clear + 1;
  std::array<std::uint16_t, kTableSize> prefix{};
  std::array<std::uint16_t, kTableSize> length{};
  std::array<std::uint8_t, kTableSize> suffix{};
  std::array<std::uint8_t, kTableSize + 1> scratch;  // a string longer than the room left
  for (int i = 0; i < clear; ++i) {
    suffix[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    length[static_cast<std::size_t>(i)] = 1;
  }

  int free_code = clear + 2;
  int width = min_size + 1;
  int limit = 2 * clear;
  int previous = -1;
  std::uint8_t* out = pixels.data();
  std::uint8_t* const out_end = out + pixels.size();

  while (out < out_end) {
    const int code = bits.Read(width);
    if (code < 0 || code == end)
      break;
    if (code == clear) {
      free_code = clear + 2;
      width = min_size + 1;
      limit = 2 * clear;
      previous = -1;
      continue;
    }
    if (previous < 0) {
      // The first code after a reset stands for itself.
      *out++ = static_cast<std::uint8_t>(code);
      previous = code;
      continue;
    }
    // A code in the table is its string; a code not yet in it is the
    // previous string plus that string's first byte.
    const bool known = code < free_code;
    const int walk = known ? code : previous;
    const std::size_t walk_length = length[static_cast<std::size_t>(walk)];
    const std::size_t total = walk_length + (known ? 0 : 1);
    // Only a hostile stream (a code past the table, stale entries) can give
    // an empty or overlong string; it ends the image.
    if (walk_length == 0 || total > kTableSize)
      return bits.SkipRest();
    const std::size_t room = static_cast<std::size_t>(out_end - out);
    std::uint8_t* const target = total <= room ? out : scratch.data();
    std::uint8_t* p = target + walk_length;
    for (int c = walk; p != target; c = prefix[static_cast<std::size_t>(c)])
      *--p = suffix[static_cast<std::size_t>(c)];
    const std::uint8_t first = target[0];
    if (!known)
      target[walk_length] = first;
    if (free_code < kTableSize) {
      const std::size_t entry = static_cast<std::size_t>(free_code);
      prefix[entry] = static_cast<std::uint16_t>(previous);
      suffix[entry] = first;
      length[entry] = static_cast<std::uint16_t>(
          std::min<std::size_t>(length[static_cast<std::size_t>(previous)] + 1, kTableSize + 1));
      ++free_code;
      if (free_code >= limit && limit < kTableSize) {
        limit *= 2;
        ++width;
      }
    }
    previous = code;
    if (target == out) {
      out += total;
    } else {
      out = std::copy_n(scratch.data(), room, out);
    }
  }
  return bits.SkipRest();
}

GifFile DecodeGif(std::span<const std::uint8_t> data) {
  GifFile gif;
  if (data.empty()) {
    gif.status = DecodeStatus::kEmpty;
    return gif;
  }
  if (data.size() < 3 || std::memcmp(data.data(), "GIF", 3) != 0) {
    gif.status = DecodeStatus::kNotGif;
    return gif;
  }
  gif.status = DecodeStatus::kOk;
  if (data.size() < 13) {
    gif.stop = StopReason::kEndOfData;
    return gif;
  }
  gif.screen_width = U16(data, 6);
  gif.screen_height = U16(data, 8);
  const std::uint8_t packed = data[10];
  gif.background_index = data[11];
  if (ScreenBytes(static_cast<std::size_t>(gif.screen_width),
                  static_cast<std::size_t>(gif.screen_height)) > kMaxBufferBytes) {
    gif.status = DecodeStatus::kScreenTooLarge;
    gif.refused_width = gif.screen_width;
    gif.refused_height = gif.screen_height;
    return gif;
  }
  gif.logical_width = gif.screen_width;
  gif.logical_height = gif.screen_height;
  std::size_t pos = 13;
  if ((packed & 0x80) != 0) {
    gif.has_global_table = true;
    gif.global_bit_count = (packed & 7) + 1;
    if (!ReadTable(data, pos, gif.global_bit_count, gif.global_colors)) {
      gif.stop = StopReason::kEndOfData;
      return gif;
    }
  }
  Reader reader{data, gif};
  reader.ReadBlocks(pos);
  if (gif.frames.empty() && gif.stop == StopReason::kFrameTooLarge) {
    gif.status = DecodeStatus::kFrameTooLarge;
  }
  return gif;
}

const char* StatusText(DecodeStatus status) {
  switch (status) {
    case DecodeStatus::kOk:
      return "ok";
    case DecodeStatus::kEmpty:
      return "empty file";
    case DecodeStatus::kNotGif:
      return "not a GIF file";
    case DecodeStatus::kScreenTooLarge:
      return "logical screen too large";
    case DecodeStatus::kFrameTooLarge:
      return "every frame too large";
  }
  return "?";
}

std::string RefusalText(const GifFile& gif) {
  const std::string size =
      std::to_string(gif.refused_width) + " x " + std::to_string(gif.refused_height) +
      " pixels, whose buffers would pass " + std::to_string(kMaxBufferBytes >> 20) + " MiB";
  if (gif.status == DecodeStatus::kScreenTooLarge)
    return "logical screen too large: " + size;
  if (gif.status == DecodeStatus::kFrameTooLarge)
    return "every frame too large: the first would make the picture " + size;
  if (gif.Ok() && gif.stop == StopReason::kFrameTooLarge)
    return "frame too large, dropped with the frames after it: it would make the picture " + size;
  return StatusText(gif.status);
}

const char* StopText(StopReason reason) {
  switch (reason) {
    case StopReason::kNone:
      return "trailer";
    case StopReason::kEndOfData:
      return "data ends before the trailer";
    case StopReason::kUnknownBlock:
      return "unknown block";
    case StopReason::kFrameLimit:
      return "more than 256 frames";
    case StopReason::kBadFrame:
      return "image descriptor cut short";
    case StopReason::kFrameTooLarge:
      return "frame too large";
  }
  return "?";
}

}  // namespace vls::gif
