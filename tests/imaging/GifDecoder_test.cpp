// The GIF decoder: LZW streams and pixel indices against other decoders'
// published expectations, every block kind, interlacing, and hostile input
// (truncation at every length, size limits, crash files found by fuzzing).

#include "imaging/gif/GifDecoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "imaging/GifBuilder.h"

namespace vls::gif {
namespace {

using test::Bytes;

std::string DataPath(const std::string& name) {
  return std::string(VLS_TEST_DATA_DIR) + "/gif/" + name;
}

Bytes LoadData(const std::string& name) {
  const Bytes bytes = test::Load(DataPath(name));
  EXPECT_FALSE(bytes.empty()) << name;
  return bytes;
}

GifFile DecodeData(const std::string& name) {
  return DecodeGif(LoadData(name));
}

// ---------------------------------------------------------------- LZW

TEST(GifLzw, RawStreamsDecodeToTheirPublishedOutput) {
  // Each .giflzw file is a code size byte and the raw code bytes, put into
  // sub-blocks here; the twin is the exact output. pi.txt fills the table
  // without clear codes.
  for (const std::string base :
       {"wuffs/bricks-nodither.indexes", "wuffs/bricks-gray.indexes", "wuffs/pi.txt"}) {
    const Bytes raw = LoadData(base + ".giflzw");
    Bytes stream = {raw[0]};
    test::Append(stream, test::SubBlocks(Bytes(raw.begin() + 1, raw.end())));
    const Bytes expected = LoadData(base);
    Bytes out(expected.size(), 0xEE);
    const std::size_t end = DecodeLzw(stream, 0, out);
    EXPECT_EQ(out, expected) << base;
    EXPECT_LE(end, stream.size());
  }
}

TEST(GifLzw, StopsAtTheEndOfTheDataOrTheOutput) {
  const Bytes indices = {1, 2, 3, 0, 1, 2, 3, 0};
  Bytes stream = {2};
  test::Append(stream, test::SubBlocks(test::LzwCodes(indices, 2)));
  // Less room than pixels: the rest is read and dropped, up to the terminator.
  Bytes small(3);
  EXPECT_EQ(DecodeLzw(stream, 0, small), stream.size());
  EXPECT_EQ(small, (Bytes{1, 2, 3}));
  // The data cut at every length: never past the end, pixels never invented.
  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    const Bytes part(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut));
    Bytes out(indices.size(), 9);
    EXPECT_LE(DecodeLzw(part, 0, out), part.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
      EXPECT_TRUE(out[i] == 9 || out[i] == indices[i]) << "cut " << cut << " pixel " << i;
    }
  }
}

TEST(GifLzw, HostileStreamsStayInBounds) {
  // Code size 12 would need a 8192-entry table: no pixels, sub-blocks skipped.
  Bytes big = {12, 3, 0xFF, 0xFF, 0xFF, 0, 0x3B};
  Bytes out(4, 7);
  EXPECT_EQ(DecodeLzw(big, 0, out), 6u);
  EXPECT_EQ(out, (Bytes{7, 7, 7, 7}));
  // Random code streams of every width: must end and stay inside the output.
  unsigned seed = 12345;
  for (int size = 0; size <= 11; ++size) {
    for (int round = 0; round < 20; ++round) {
      Bytes stream = {static_cast<std::uint8_t>(size)};
      Bytes payload(600);
      for (auto& b : payload) {
        seed = seed * 1103515245 + 12345;
        b = static_cast<std::uint8_t>(seed >> 16);
      }
      test::Append(stream, test::SubBlocks(payload));
      Bytes pixels(5000);
      EXPECT_LE(DecodeLzw(stream, 0, pixels), stream.size());
    }
  }
}

// ------------------------------------------------------- published suites

TEST(GifDecoder, FramesMatchThePublishedIndexes) {
  const GifFile dither = DecodeData("wuffs/bricks-dither.gif");
  ASSERT_EQ(dither.frames.size(), 1u);
  EXPECT_EQ(dither.frames[0].indices, LoadData("wuffs/bricks-dither.indexes"));
  const GifFile nodither = DecodeData("wuffs/bricks-nodither.gif");
  ASSERT_EQ(nodither.frames.size(), 1u);
  EXPECT_EQ(nodither.frames[0].indices, LoadData("wuffs/bricks-nodither.indexes"));

  const GifFile horse = DecodeData("wuffs/muybridge.gif");
  ASSERT_EQ(horse.frames.size(), 15u);
  EXPECT_EQ(horse.loop_count, 0);
  for (std::size_t n = 0; n < horse.frames.size(); ++n) {
    char name[64];
    std::snprintf(name, sizeof name, "wuffs/muybridge-frame-%03zu.indexes", n);
    EXPECT_EQ(horse.frames[n].indices, LoadData(name)) << name;
    EXPECT_EQ(horse.frames[n].delay_ms, 100);
  }
}

TEST(GifDecoder, InterlacedImagesMatchTheirRegularTwins) {
  const GifFile regular = DecodeData("wuffs/hippopotamus.regular.gif");
  const GifFile interlaced = DecodeData("wuffs/hippopotamus.interlaced.gif");
  ASSERT_EQ(regular.frames.size(), 1u);
  ASSERT_EQ(interlaced.frames.size(), 1u);
  EXPECT_TRUE(interlaced.any_interlaced);
  EXPECT_FALSE(regular.any_interlaced);
  EXPECT_EQ(interlaced.frames[0].indices, regular.frames[0].indices);

  // Every small height, where passes start beyond the last row.
  for (int height = 1; height <= 17; ++height) {
    test::ImageBlock block;
    block.width = 3;
    block.height = height;
    for (int i = 0; i < 3 * height; ++i)
      block.indices.push_back(static_cast<std::uint8_t>(i % 4));
    Bytes plain = test::Header(3, height, {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3});
    Bytes laced = plain;
    test::Append(plain, test::Image(block));
    block.interlaced = true;
    test::Append(laced, test::Image(block));
    const GifFile a = DecodeGif(plain);
    const GifFile b = DecodeGif(laced);
    ASSERT_EQ(b.frames.size(), 1u);
    EXPECT_EQ(b.frames[0].indices, block.indices) << "height " << height;
    EXPECT_EQ(a.frames[0].indices, block.indices) << "height " << height;
  }
}

TEST(GifDecoder, TruncatedInterlacedImageKeepsTheRowsItReceived) {
  const GifFile regular = DecodeData("wuffs/hippopotamus.regular.gif");
  const GifFile cut = DecodeData("wuffs/hippopotamus.interlaced.truncated.gif");
  ASSERT_TRUE(cut.Ok());
  EXPECT_EQ(cut.stop, StopReason::kEndOfData);
  ASSERT_EQ(cut.frames.size(), 1u);
  const TFrame& f = cut.frames[0];
  int whole_rows = 0, partial_rows = 0;
  for (int y = 0; y < f.height; ++y) {
    bool same = true, zero = true;
    for (int x = 0; x < f.width; ++x) {
      same = same && f.IndexAt(x, y) == regular.frames[0].IndexAt(x, y);
      zero = zero && f.IndexAt(x, y) == 0;
    }
    if (same)
      ++whole_rows;
    if (!same && !zero)
      ++partial_rows;  // the row being decoded at the cut
  }
  EXPECT_LE(partial_rows, 1);
  EXPECT_GT(whole_rows, 0);
  EXPECT_LT(whole_rows, f.height);
}

TEST(GifDecoder, HandMadeEdgeCases) {
  {
    const GifFile g = DecodeData("wuffs/artificial/transparent-index.gif");
    ASSERT_EQ(g.frames.size(), 2u);
    EXPECT_TRUE(g.any_transparent);
    const TFrame& f = g.frames[1];
    EXPECT_EQ(f.delay_ms, 200);
    EXPECT_TRUE(f.transparent);
    EXPECT_EQ(f.transparent_index, 0x1A);
    EXPECT_EQ(f.indices, (Bytes{0x1F, 0x1A, 0x15}));
    EXPECT_FALSE(f.IsTransparentAt(0, 0));
    EXPECT_TRUE(f.IsTransparentAt(1, 0));
    EXPECT_FALSE(f.IsTransparentAt(2, 0));
    EXPECT_EQ(f.colors[3 * 0x1F + 2], 0xFF);
  }
  {
    // A frame outside the screen grows the picture to cover it.
    const GifFile g = DecodeData("wuffs/artificial/frame-out-of-bounds.gif");
    EXPECT_EQ(g.screen_width, 2);
    EXPECT_EQ(g.frames.size(), 4u);
    EXPECT_EQ(g.logical_width, 6);
    EXPECT_EQ(g.logical_height, 5);
  }
  {
    const GifFile g = DecodeData("wuffs/artificial/multiple-loop-counts.gif");
    EXPECT_EQ(g.frames.size(), 4u);
    EXPECT_EQ(g.loop_count, 40);  // the last one read
  }
  {
    const GifFile g = DecodeData("wuffs/artificial/no-frames.gif");
    EXPECT_TRUE(g.Ok());
    EXPECT_TRUE(g.frames.empty());
  }
  {
    // Too little data: the frame is kept, pixels without data stay 0.
    const GifFile g = DecodeData("wuffs/artificial/pixel-data-not-enough.gif");
    ASSERT_EQ(g.frames.size(), 1u);
    EXPECT_EQ(g.frames[0].indices, (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(g.stop, StopReason::kNone);
  }
  for (const char* name : {"pixel-data-too-much-good-lzw.gif", "pixel-data-too-much-bad-lzw.gif",
                           "pixel-data-none.gif", "zero-width-frame.gif"}) {
    const GifFile g = DecodeData(std::string("wuffs/artificial/") + name);
    // An image without pixels is read past and adds no frame.
    EXPECT_EQ(g.frames.size(), std::string(name).starts_with("zero") ? 0u : 1u) << name;
    EXPECT_EQ(g.stop, StopReason::kNone) << name;  // the trailer was found after the data
  }
  {
    // A frame one pixel high that is interlaced, placed inside the screen.
    const GifFile g = DecodeData("wuffs/artificial/small-frame-interlaced.gif");
    ASSERT_EQ(g.frames.size(), 1u);
    EXPECT_EQ(g.frames[0].left, 3);
    EXPECT_EQ(g.frames[0].top, 2);
    EXPECT_EQ(g.logical_width, 5);
  }
  {
    // Without a local table the frame takes the global one, black beyond it.
    const GifFile g = DecodeData("wuffs/artificial/empty-palette.gif");
    ASSERT_EQ(g.frames.size(), 2u);
    EXPECT_FALSE(g.has_global_table);
    EXPECT_EQ(g.frames[1].colors, ColorTable{});
  }
}

TEST(GifDecoder, PeterdnSuiteFrameFacts) {
  struct Case {
    const char* name;
    int loop;
    std::vector<int> disposal;
    std::vector<int> delay;
    bool transparent;
  };
  const std::vector<Case> cases = {
      {"animated_noloop.gif", 1, {1, 1, 1, 1}, {1000, 1000, 1000, 1000}, false},
      {"animated_loop.gif", 0, {1, 1, 1, 1}, {1000, 1000, 1000, 1000}, false},
      {"animated_loop_variable_delay.gif", 0, {1, 1, 1, 1}, {1000, 1000, 100, 1000}, false},
      {"animated_transparent_restoreprev_loop.gif", 0, {1, 3, 3, 3}, {}, true},
      {"animated_transparent_frame_restorebackground_loop.gif", 0, {1, 2, 2, 2}, {}, true},
      {"static_transparent.gif", 1, {1}, {1}, true},
  };
  for (const auto& c : cases) {
    const GifFile g = DecodeData(std::string("peterdn/") + c.name);
    ASSERT_EQ(g.frames.size(), c.disposal.size()) << c.name;
    EXPECT_EQ(g.loop_count, c.loop) << c.name;
    EXPECT_EQ(g.any_transparent, c.transparent) << c.name;
    EXPECT_EQ(g.logical_width, 100);
    for (std::size_t n = 0; n < g.frames.size(); ++n) {
      EXPECT_EQ(g.frames[n].disposal, c.disposal[n]) << c.name << " frame " << n + 1;
      if (!c.delay.empty()) {
        EXPECT_EQ(g.frames[n].delay_ms, c.delay[n]) << c.name;
      }
    }
  }
}

std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* p, std::size_t n) {
  crc = ~crc;
  while (n-- > 0) {
    crc ^= *p++;
    for (int k = 0; k < 8; ++k)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

TEST(GifDecoder, FrameChecksumsMatchImageGifResults) {
  // results.txt holds a CRC-32 over every frame's own RGBA buffer in turn:
  // colours from the frame's table, alpha 0 at the transparent index, and
  // indices beyond the table left as zero bytes.
  std::ifstream list(DataPath("image-gif/results.txt"));
  std::string line;
  int checked = 0;
  while (std::getline(list, line)) {
    const auto colon = line.find(": ");
    if (colon == std::string::npos)
      continue;
    const std::string file = line.substr(0, colon);  // tests/<folder>/<name>
    const std::string local = "image-gif/" + file.substr(file.find('/') + 1);
    if (!std::filesystem::exists(DataPath(local)))
      continue;  // big samples not copied
    const std::uint32_t expected = static_cast<std::uint32_t>(std::stoul(line.substr(colon + 2)));
    const GifFile g = DecodeData(local);
    std::uint32_t crc = 0;
    for (const TFrame& f : g.frames) {
      const int bits = f.has_local_table ? f.local_bit_count : g.global_bit_count;
      const int entries = (g.has_global_table || f.has_local_table) ? 1 << bits : 0;
      Bytes rgba(f.indices.size() * 4, 0);
      for (std::size_t i = 0; i < f.indices.size(); ++i) {
        const int idx = f.indices[i];
        if (idx >= entries)
          continue;
        for (int c = 0; c < 3; ++c)
          rgba[4 * i + static_cast<std::size_t>(c)] =
              f.colors[3 * static_cast<std::size_t>(idx) + static_cast<std::size_t>(c)];
        rgba[4 * i + 3] = (f.transparent && idx == f.transparent_index) ? 0 : 255;
      }
      crc = Crc32(crc, rgba.data(), rgba.size());
    }
    EXPECT_EQ(crc, expected) << local;
    ++checked;
  }
  EXPECT_GE(checked, 8);
}

// ----------------------------------------------------------- block kinds

TEST(GifDecoder, ReadsEveryBlockKind) {
  Bytes gif = test::Header(4, 2);
  // Plain text (a 12-byte header sub-block and text), skipped.
  test::Append(gif, {0x21, 0x01, 12, 0, 0, 0, 0, 4, 0, 2, 0, 1, 1, 0, 1, 3, 'a', 'b', 'c', 0});
  // An application block other than the loop count, skipped.
  test::Append(gif,
               {0x21, 0xFF, 11, 'X', 'M', 'P', ' ', 'D', 'a', 't', 'a', 'X', 'M', 'P', 2, 7, 7, 0});
  test::Append(gif, {0x21, 0xFE});
  test::Append(gif, test::SubBlocks(Bytes{'h', 'e', 'l', 'l', 'o', ' '}, false));
  test::Append(gif, test::SubBlocks(Bytes{'y', 'o', 'u'}));
  test::Append(gif, test::LoopBlock(7));
  test::Append(gif, test::Control(2, 5, 1));
  test::Append(gif, test::Image(test::Solid(0, 0, 4, 2, 1)));
  test::Append(gif, test::Image(test::Solid(2, 1, 2, 1, 0)));
  test::Append(gif, test::Trailer());
  const GifFile g = DecodeGif(gif);
  ASSERT_TRUE(g.Ok());
  EXPECT_EQ(g.stop, StopReason::kNone);
  ASSERT_EQ(g.frames.size(), 2u);
  EXPECT_EQ(g.loop_count, 7);
  const TFrame& a = g.frames[0];
  EXPECT_EQ(a.comment, "hello you");
  EXPECT_EQ(a.disposal, 2);
  EXPECT_EQ(a.delay_ms, 50);
  EXPECT_TRUE(a.transparent);
  EXPECT_TRUE(a.IsTransparentAt(3, 1));
  // The graphic control and comment apply to the next image only.
  const TFrame& b = g.frames[1];
  EXPECT_EQ(b.comment, "");
  EXPECT_EQ(b.disposal, 0);
  EXPECT_EQ(b.delay_ms, 1);
  EXPECT_FALSE(b.transparent);
  EXPECT_TRUE(b.mask.empty());
  EXPECT_EQ(b.colors[3], 255);  // the global table
}

TEST(GifDecoder, DisposalAndLocalTables) {
  Bytes gif = test::Header(1, 1);
  for (int disposal = 0; disposal < 8; ++disposal) {
    test::Append(gif, test::Control(disposal, 0));
    test::ImageBlock s = test::Solid(0, 0, 1, 1, 2);
    if (disposal == 4)
      s.local_colors = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    test::Append(gif, test::Image(s));
  }
  const GifFile g = DecodeGif(gif);
  ASSERT_EQ(g.frames.size(), 8u);
  const int expected[] = {0, 1, 2, 3, 2, 2, 2, 2};
  for (int n = 0; n < 8; ++n)
    EXPECT_EQ(g.frames[static_cast<std::size_t>(n)].disposal, expected[n]);
  EXPECT_TRUE(g.frames[4].has_local_table);
  EXPECT_EQ(g.frames[4].local_bit_count, 2);
  EXPECT_EQ(g.frames[4].colors[6], 7);
  EXPECT_EQ(g.frames[4].colors[9], 0);
  EXPECT_FALSE(g.frames[5].has_local_table);
}

// Legal blocks before an ordinary image: the read goes on past each of them
// to the image and the trailer.
TEST(GifDecoder, ReadsPastApplicationSubBlocksAndEmptyImages) {
  const auto netscape = [](const Bytes& sub_blocks) {
    Bytes out = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    test::Append(out, sub_blocks);
    out.push_back(0);
    return out;
  };
  const auto join = [](Bytes a, const Bytes& b) {
    test::Append(a, b);
    return a;
  };
  const Bytes buffering = {5, 2, 0, 0, 1, 0};  // sub-block 2: a buffer size
  const Bytes loop4 = {3, 1, 4, 0};
  const auto image = [](int left, int top, int width, int height) {
    test::ImageBlock s = test::Solid(left, top, width, height, 1);
    return test::Image(s);
  };
  const Bytes descriptor_only = {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0};
  const struct {
    const char* what;
    Bytes blocks;
    int loop_count;
  } cases[] = {
      {"loop block with a buffering sub-block", netscape(buffering), 1},
      {"loop count, then buffering", netscape(join(loop4, buffering)), 4},
      {"buffering, then loop count", netscape(join(buffering, loop4)), 4},
      {"the twin loop block",
       {0x21, 0xFF, 11, 'A', 'N', 'I', 'M', 'E', 'X', 'T', 'S', '1', '.', '0', 3, 1, 3, 0, 0},
       3},
      {"zero width", image(0, 0, 0, 2), 1},
      {"zero height", image(0, 0, 2, 0), 1},
      {"zero size far off the screen", image(65535, 65535, 0, 0), 1},
      {"no image data", descriptor_only, 1},
      {"no image data after a control block", join(test::Control(2, 5), descriptor_only), 1},
  };
  for (const auto& c : cases) {
    Bytes gif = test::Header(2, 2);
    test::Append(gif, c.blocks);
    test::Append(gif, test::Control(0, 7));
    test::Append(gif, test::Image(test::Solid(0, 0, 2, 2, 1)));
    test::Append(gif, test::Trailer());
    const GifFile g = DecodeGif(gif);
    EXPECT_TRUE(g.Ok()) << c.what;
    EXPECT_EQ(g.stop, StopReason::kNone) << c.what;
    ASSERT_EQ(g.frames.size(), 1u) << c.what;
    EXPECT_EQ(g.frames[0].delay_ms, 70) << c.what;  // its own control block
    EXPECT_EQ(g.frames[0].indices, Bytes(4, 1)) << c.what;
    EXPECT_EQ(g.loop_count, c.loop_count) << c.what;
    EXPECT_EQ(g.logical_width, 2) << c.what;
  }
}

TEST(GifDecoder, WhatEndsTheRead) {
  EXPECT_EQ(DecodeGif(Bytes{}).status, DecodeStatus::kEmpty);
  EXPECT_EQ(DecodeGif(Bytes{'G', 'I'}).status, DecodeStatus::kNotGif);
  EXPECT_EQ(DecodeGif(Bytes{'P', 'N', 'G', '8', '9', 'a'}).status, DecodeStatus::kNotGif);
  // "GIF" alone is enough to be taken; the version is not looked at.
  const GifFile bare = DecodeGif(Bytes{'G', 'I', 'F', 'x', 'y', 'z', 1});
  EXPECT_TRUE(bare.Ok());
  EXPECT_EQ(bare.stop, StopReason::kEndOfData);

  Bytes one = test::Header(2, 2);
  test::Append(one, test::Image(test::Solid(0, 0, 2, 2, 1)));
  // An unknown extension label or block byte stops the read; frames stay.
  for (const Bytes& tail : {Bytes{0x21, 0x99, 1, 0, 0}, Bytes{0x00}, Bytes{0x2D}}) {
    Bytes gif = one;
    test::Append(gif, tail);
    test::Append(gif, test::Image(test::Solid(0, 0, 2, 2, 1)));
    const GifFile g = DecodeGif(gif);
    EXPECT_EQ(g.frames.size(), 1u);
    EXPECT_EQ(g.stop, StopReason::kUnknownBlock);
  }
  // A comment is kept up to 64 KiB.
  Bytes chatty = test::Header(1, 1);
  test::Append(chatty, {0x21, 0xFE});
  test::Append(chatty, test::SubBlocks(Bytes(100000, 'c')));
  test::Append(chatty, test::Image(test::Solid(0, 0, 1, 1, 1)));
  const GifFile talk = DecodeGif(chatty);
  ASSERT_EQ(talk.frames.size(), 1u);
  EXPECT_EQ(talk.frames[0].comment.size(), kMaxCommentBytes);
  // At most 256 frames.
  Bytes many = test::Header(1, 1);
  for (int i = 0; i < 300; ++i)
    test::Append(many, test::Image(test::Solid(0, 0, 1, 1, 1)));
  const GifFile g = DecodeGif(many);
  EXPECT_EQ(g.frames.size(), 256u);
  EXPECT_EQ(g.stop, StopReason::kFrameLimit);
}

TEST(GifDecoder, DataCutAtEveryLengthKeepsTheFramesBeforeTheCut) {
  Bytes gif = test::Header(3, 3, {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3});
  test::Append(gif, test::LoopBlock(0));
  test::Append(gif, {0x21, 0xFE, 2, 'h', 'i', 0});
  test::Append(gif, test::Control(1, 10, 3));
  test::Append(gif, test::Image(test::Solid(0, 0, 3, 3, 1)));
  const std::size_t first_end = gif.size();
  test::Append(gif, test::Control(2, 10));
  test::ImageBlock s = test::Solid(1, 1, 2, 2, 2);
  s.interlaced = true;
  s.local_colors = {9, 9, 9, 8, 8, 8};
  test::Append(gif, test::Image(s));
  test::Append(gif, test::Trailer());
  for (std::size_t cut = 0; cut < gif.size(); ++cut) {
    const Bytes part(gif.begin(), gif.begin() + static_cast<std::ptrdiff_t>(cut));
    const GifFile g = DecodeGif(part);
    if (cut == 0) {
      EXPECT_EQ(g.status, DecodeStatus::kEmpty);
      continue;
    }
    if (cut < 3)
      continue;
    EXPECT_TRUE(g.Ok());
    EXPECT_NE(g.stop, StopReason::kNone) << "cut " << cut;
    if (cut >= first_end) {
      ASSERT_GE(g.frames.size(), 1u) << "cut " << cut;
      EXPECT_EQ(g.frames[0].indices, Bytes(9, 1));
    }
    EXPECT_LE(g.frames.size(), 2u);
  }
  EXPECT_EQ(DecodeGif(gif).frames.size(), 2u);
}

TEST(GifDecoder, RefusesPicturesBeyondTheLimits) {
  // The format allows 65535 by 65535; the screen alone is refused.
  Bytes huge = test::Header(65535, 65535);
  test::Append(huge, test::Image(test::Solid(0, 0, 1, 1, 1)));
  const GifFile a = DecodeGif(huge);
  EXPECT_EQ(a.status, DecodeStatus::kScreenTooLarge);
  EXPECT_TRUE(a.frames.empty());
  EXPECT_EQ(RefusalText(a),
            "logical screen too large: 65535 x 65535 pixels, whose buffers "
            "would pass 256 MiB");
  // The limit is on the area: a long thin screen is small.
  const struct {
    int width, height;
    bool ok;
  } screens[] = {{16000, 16000, false}, {7000, 7000, true}, {65535, 1, true},
                 {1, 65535, true},      {65535, 819, true}, {65535, 820, false}};
  for (const auto& c : screens) {
    const GifFile g = DecodeGif(test::Header(c.width, c.height));
    EXPECT_EQ(g.Ok(), c.ok) << c.width << "x" << c.height;
    EXPECT_EQ(g.status, c.ok ? DecodeStatus::kOk : DecodeStatus::kScreenTooLarge);
  }

  // A small screen and a frame far outside it: refused before any allocation.
  Bytes far = test::Header(10, 10);
  test::Append(far, test::Image(test::Solid(0, 0, 10, 10, 1)));
  test::ImageBlock s = test::Solid(0, 0, 1, 1, 1);
  s.left = 60000;
  s.top = 60000;
  test::Append(far, test::Image(s));
  const GifFile b = DecodeGif(far);
  EXPECT_TRUE(b.Ok());
  EXPECT_EQ(b.stop, StopReason::kFrameTooLarge);
  EXPECT_EQ(b.frames.size(), 1u);
  EXPECT_EQ(b.logical_width, 10);

  EXPECT_EQ(RefusalText(b),
            "frame too large, dropped with the frames after it: it would make "
            "the picture 60001 x 60001 pixels, whose buffers would pass 256 MiB");

  // The same as the only frame: nothing to show, the load fails.
  Bytes only = test::Header(10, 10);
  test::Append(only, test::Image(s));
  const GifFile none = DecodeGif(only);
  EXPECT_EQ(none.status, DecodeStatus::kFrameTooLarge);
  EXPECT_EQ(RefusalText(none).rfind("every frame too large: the first would make the picture "
                                    "60001 x 60001 pixels",
                                    0),
            0u);

  // Many large frames (with almost no data): the budget runs out and the
  // rest is dropped.
  Bytes heavy = test::Header(4000, 4000);
  test::ImageBlock large;
  large.width = large.height = 4000;
  for (int i = 0; i < 30; ++i) {
    test::Append(heavy, test::Control(3, 1));
    test::Append(heavy, test::Image(large));
  }
  const GifFile c = DecodeGif(heavy);
  EXPECT_EQ(c.stop, StopReason::kFrameTooLarge);
  EXPECT_GE(c.frames.size(), 1u);
  std::size_t bytes = std::size_t{4000} * 4000 * 5;
  for (const TFrame& f : c.frames)
    bytes += f.BufferBytes();
  EXPECT_LE(bytes, kMaxBufferBytes);
}

TEST(GifDecoder, CrashFilesEndCleanly) {
  // Files that crashed or hung other decoders: each must simply end.
  std::vector<std::string> folders = {DataPath("crash/libnsgif"), DataPath("crash/commons-imaging"),
                                      DataPath("image-gif/crashtest"), DataPath("image-gif/stall"),
                                      DataPath("image-gif/regression")};
  // The whole fuzzing corpus when the shared test data lies beside the checkout.
  const std::string shared = std::string(VLS_SHARED_TESTDATA_DIR) + "/libnsgif/test/ns-afl-gif";
  if (std::filesystem::is_directory(shared))
    folders.push_back(shared);
  int files = 0;
  for (const auto& folder : folders) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.path().extension() != ".gif")
        continue;
      const GifFile g = DecodeGif(test::Load(entry.path().string()));
      EXPECT_LE(g.frames.size(), 256u);
      for (const TFrame& f : g.frames) {
        EXPECT_EQ(f.indices.size(), static_cast<std::size_t>(f.width) * f.height);
        EXPECT_LE(f.left + f.width, g.logical_width);
        EXPECT_LE(f.top + f.height, g.logical_height);
      }
      ++files;
    }
  }
  EXPECT_GE(files, 40);
}

}  // namespace
}  // namespace vls::gif
