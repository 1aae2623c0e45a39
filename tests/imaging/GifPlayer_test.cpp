// The composed picture and the animation: frames drawn and disposed of as a
// published suite's reference frames show, and the timer driven by hand
// through loop counts, Loop, Speed, CurrentFrame and Animate.

#include "imaging/gif/GifPlayer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "imaging/GifBuilder.h"
#include "support/TestSupport.h"

namespace vls::gif {
namespace {

using test::Bytes;

constexpr std::uint32_t kBlack = 0xFF000000u;
const Bytes kColors = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};  // black, red, green, blue
constexpr std::uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu;

std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* p, std::size_t n) {
  crc = ~crc;
  while (n-- > 0) {
    crc ^= *p++;
    for (int k = 0; k < 8; ++k)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// The top-left w by h of the picture as RGBA, transparent pixels all zero.
std::uint32_t PictureCrc(const Composition& c, int w, int h) {
  Bytes rgba;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = c.PixelAt(x, y);
      if (c.TransparentAt(x, y)) {
        rgba.insert(rgba.end(), {0, 0, 0, 0});
      } else {
        rgba.insert(rgba.end(),
                    {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                     static_cast<std::uint8_t>(p), 255});
      }
    }
  }
  return Crc32(0, rgba.data(), rgba.size());
}

// A player with a hand-driven timer that records what it is told.
struct Rig {
  ManualTimer timer;
  GifPlayer player{timer};
  std::vector<std::string> events;
  Rig() {
    player.OnChanging = [this] {
      events.push_back("changing " + std::to_string(player.CurrentFrame()));
    };
    player.OnChange = [this] {
      events.push_back("change " + std::to_string(player.CurrentFrame()));
    };
    player.OnRepaint = [this] { events.push_back("repaint"); };
  }
  LoadResult Load(const Bytes& gif) { return player.LoadData(gif); }
  // Ticks while the timer runs (at most `limit` times); the frames shown.
  std::vector<int> Play(int limit) {
    std::vector<int> shown;
    for (int i = 0; i < limit && timer.running; ++i) {
      player.Tick();
      shown.push_back(player.CurrentFrame());
    }
    return shown;
  }
};

// Three frames of 2 by 1, each painting its own pixel: red at x 0, green at
// x 1, then blue over x 0; delays 10, 20 and 30 centiseconds.
Bytes ThreeFrames(int loop_count = -1) {
  Bytes gif = test::Header(2, 1, kColors);
  if (loop_count >= 0)
    test::Append(gif, test::LoopBlock(loop_count));
  const test::ImageBlock frames[] = {test::Solid(0, 0, 1, 1, 1), test::Solid(1, 0, 1, 1, 2),
                                     test::Solid(0, 0, 1, 1, 3)};
  for (int n = 0; n < 3; ++n) {
    test::Append(gif, test::Control(1, 10 * (n + 1)));
    test::Append(gif, test::Image(frames[n]));
  }
  test::Append(gif, test::Trailer());
  return gif;
}

// ------------------------------------------------------------ composition

TEST(GifComposition, PeterdnSuiteMatchesItsReferenceFrames) {
  // Frames are composed the way the animation shows them; the reference
  // frames of the suite render unwritten pixels as transparent, as the mask
  // does. The out-of-bounds file grows the picture here, where the reference
  // keeps its screen; its top-left part is compared.
  std::ifstream list(std::string(VLS_TEST_DATA_DIR) + "/gif/peterdn/expected.txt");
  std::string name;
  int frame = 0, w = 0, h = 0;
  std::string crc;
  std::string loaded;
  Rig rig;
  int checked = 0;
  while (list >> name >> frame >> w >> h >> crc) {
    if (name != loaded) {
      ASSERT_EQ(rig.player.LoadFile(std::string(VLS_TEST_DATA_DIR) + "/gif/peterdn/" + name),
                LoadResult::kOk);
      rig.player.SetLoop(true);
      rig.player.Tick();  // the first tick keeps frame 1
      loaded = name;
    } else {
      rig.player.Tick();
    }
    ASSERT_EQ(rig.player.CurrentFrame(), frame) << name;
    ASSERT_GE(rig.player.LogicalWidth(), w);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08x", PictureCrc(rig.player.Picture(), w, h));
    EXPECT_EQ(hex, crc) << name << " frame " << frame;
    ++checked;
  }
  EXPECT_EQ(checked, 46);
}

TEST(GifComposition, WuffsAnimationMatchesItsComposedFrames) {
  // Each .nie file: a 16-byte header (magic, width, height) and BGRA pixels
  // of the picture after that frame.
  const std::string base = std::string(VLS_TEST_DATA_DIR) + "/gif/wuffs/animated-red-blue";
  Rig rig;
  ASSERT_EQ(rig.player.LoadFile(base + ".gif"), LoadResult::kOk);
  ASSERT_EQ(rig.player.FrameCount(), 4);
  rig.player.Tick();
  for (int n = 1; n <= 4; ++n) {
    if (n > 1)
      rig.player.Tick();
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%06d.nie", n - 1);
    const Bytes nie = test::Load(base + suffix);
    ASSERT_EQ(nie.size(), 16u + 64 * 48 * 4);
    const Composition& c = rig.player.Picture();
    int differences = 0;
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 64; ++x) {
        const std::uint8_t* bgra = nie.data() + 16 + 4 * (y * 64 + x);
        const std::uint32_t expected =
            0xFF000000u | (std::uint32_t{bgra[2]} << 16) | (std::uint32_t{bgra[1]} << 8) | bgra[0];
        const bool transparent = bgra[3] == 0;
        if (c.TransparentAt(x, y) != transparent || (!transparent && c.PixelAt(x, y) != expected)) {
          ++differences;
        }
      }
    }
    EXPECT_EQ(differences, 0) << "frame " << n;
  }
}

TEST(GifComposition, DisposalClearsOrRestores) {
  // Frame 1 fills 3x1 red; frame 2 (disposal 2 or 3) paints x 1 green;
  // frame 3 paints x 2 blue.
  for (bool transparent : {false, true}) {
    for (int disposal : {2, 3}) {
      Bytes gif = test::Header(3, 1, kColors);
      test::Append(gif, test::Control(1, 1, transparent ? 0 : -1));
      test::Append(gif, test::Image(test::Solid(0, 0, 3, 1, 1)));
      test::Append(gif, test::Control(disposal, 1));
      test::Append(gif, test::Image(test::Solid(1, 0, 1, 1, 2)));
      test::Append(gif, test::Image(test::Solid(2, 0, 1, 1, 3)));
      Rig rig;
      ASSERT_EQ(rig.Load(gif), LoadResult::kOk);
      const Composition& c = rig.player.Picture();
      EXPECT_EQ(c.HasMask(), transparent);
      rig.player.SetCurrentFrame(2);
      EXPECT_EQ(c.PixelAt(1, 0), kGreen);
      EXPECT_FALSE(c.TransparentAt(1, 0));
      rig.player.SetCurrentFrame(3);
      EXPECT_EQ(c.PixelAt(2, 0), kBlue);
      if (disposal == 2) {
        // Cleared to the background: transparent when the file has a mask, black otherwise.
        EXPECT_EQ(c.PixelAt(1, 0), kBlack);
        EXPECT_EQ(c.TransparentAt(1, 0), transparent);
      } else {
        EXPECT_EQ(c.PixelAt(1, 0), kRed);  // as it was before frame 2
        EXPECT_FALSE(c.TransparentAt(1, 0));
      }
      EXPECT_EQ(c.PixelAt(0, 0), kRed);
    }
  }
}

TEST(GifComposition, TransparentPixelsKeepWhatIsUnderThem) {
  // 2x1 screen; frame 1 opaque red at x 0 only; frame 2 covers both pixels
  // with index 0 transparent at x 0 and blue at x 1.
  Bytes gif = test::Header(2, 1, kColors);
  test::Append(gif, test::Image(test::Solid(0, 0, 1, 1, 1)));
  test::Append(gif, test::Control(0, 1, 0));
  test::ImageBlock s = test::Solid(0, 0, 2, 1, 0);
  s.indices = {0, 3};
  test::Append(gif, test::Image(s));
  Rig rig;
  ASSERT_EQ(rig.Load(gif), LoadResult::kOk);
  const Composition& c = rig.player.Picture();
  ASSERT_TRUE(c.HasMask());
  // Before any transparent frame is drawn, unpainted pixels are transparent.
  EXPECT_FALSE(c.TransparentAt(0, 0));
  EXPECT_TRUE(c.TransparentAt(1, 0));
  EXPECT_EQ(c.PixelAt(1, 0), kBlack);
  rig.player.SetCurrentFrame(2);
  EXPECT_EQ(c.PixelAt(0, 0), kRed);
  EXPECT_FALSE(c.TransparentAt(0, 0));
  EXPECT_EQ(c.PixelAt(1, 0), kBlue);
  EXPECT_FALSE(c.TransparentAt(1, 0));
}

// ---------------------------------------------------------------- loading

TEST(GifPlayer, LoadShowsFrameOneAndPreparesTheFirstTick) {
  Rig rig;
  rig.player.SetAnimate(true);
  EXPECT_FALSE(rig.timer.running);  // nothing loaded
  ASSERT_EQ(rig.Load(ThreeFrames()), LoadResult::kOk);
  EXPECT_EQ(rig.events, (std::vector<std::string>{"changing 1", "change 1", "repaint"}));
  EXPECT_EQ(rig.player.Picture().PixelAt(0, 0), kRed);
  EXPECT_EQ(rig.player.Picture().PixelAt(1, 0), kBlack);
  EXPECT_TRUE(rig.player.IsAnimated());
  EXPECT_TRUE(rig.timer.running);
  EXPECT_EQ(rig.timer.interval, 1);
  // The first tick keeps frame 1 (no repaint) and waits its delay.
  rig.events.clear();
  rig.player.Tick();
  EXPECT_EQ(rig.events, (std::vector<std::string>{"changing 1", "change 1"}));
  EXPECT_EQ(rig.timer.interval, 100);
  rig.player.Tick();
  EXPECT_EQ(rig.player.CurrentFrame(), 2);
  EXPECT_EQ(rig.timer.interval, 200);
  EXPECT_EQ(rig.player.Picture().PixelAt(1, 0), kGreen);
}

TEST(GifPlayer, LoadFailures) {
  vls::test::TempDir dir;
  Rig rig;
  ASSERT_EQ(rig.Load(ThreeFrames()), LoadResult::kOk);
  // A missing file changes nothing.
  EXPECT_EQ(rig.player.LoadFile(dir / "missing.gif"), LoadResult::kFileNotFound);
  EXPECT_FALSE(rig.player.Empty());
  EXPECT_EQ(rig.player.FrameCount(), 3);
  // Not a GIF, an empty file, a screen too large: the picture is emptied.
  vls::test::WriteFile(dir / "a.png", "\x89PNG\r\n");
  EXPECT_EQ(rig.player.LoadFile(dir / "a.png"), LoadResult::kNotGif);
  EXPECT_TRUE(rig.player.Empty());
  EXPECT_EQ(rig.player.FileName(), dir / "a.png");
  vls::test::WriteFile(dir / "empty.gif", "");
  EXPECT_EQ(rig.player.LoadFile(dir / "empty.gif"), LoadResult::kEmpty);
  test::Save(dir / "huge.gif", test::Header(65535, 65535));
  EXPECT_EQ(rig.player.LoadFile(dir / "huge.gif"), LoadResult::kScreenTooLarge);
  EXPECT_TRUE(rig.player.Empty());
  EXPECT_EQ(rig.player.FrameCount(), 0);
  // The refused file stays, so the reason can be told.
  EXPECT_EQ(rig.player.File().status, DecodeStatus::kScreenTooLarge);
  EXPECT_EQ(rig.player.File().refused_width, 65535);
  Bytes far = test::Header(4, 4);
  test::Append(far, test::Image(test::Solid(60000, 60000, 1, 1, 1)));
  EXPECT_EQ(rig.Load(far), LoadResult::kFrameTooLarge);
  EXPECT_EQ(rig.player.File().status, DecodeStatus::kFrameTooLarge);
  EXPECT_EQ(rig.player.FileName(), "");  // bytes come from no file
  rig.player.Tick();                     // nothing to do, nothing to break
  rig.player.SetCurrentFrame(1);
  // A GIF with no image is loaded but shows nothing.
  Bytes none = test::Header(4, 4);
  test::Append(none, test::Trailer());
  EXPECT_EQ(rig.Load(none), LoadResult::kOk);
  EXPECT_FALSE(rig.player.Empty());
  EXPECT_EQ(rig.player.FrameCount(), 0);
  rig.player.Tick();
}

// -------------------------------------------------------------- animation

TEST(GifPlayer, SingleImageNeverStartsTheTimer) {
  Bytes gif = test::Header(2, 2);
  test::Append(gif, test::LoopBlock(0));
  test::Append(gif, test::Image(test::Solid(0, 0, 2, 2, 1)));
  Rig rig;
  rig.player.SetAnimate(true);
  rig.player.SetLoop(true);
  ASSERT_EQ(rig.Load(gif), LoadResult::kOk);
  rig.player.SyncTimer();
  rig.player.SetSpeed(50);
  rig.player.SetAnimate(true);
  EXPECT_FALSE(rig.player.IsAnimated());
  EXPECT_EQ(rig.timer.starts, 0);
}

TEST(GifPlayer, LoopCountDecidesHowOftenTheFramesPlay) {
  {
    // No loop block: once, ending on the last frame.
    Rig rig;
    rig.player.SetAnimate(true);
    rig.Load(ThreeFrames());
    EXPECT_EQ(rig.Play(100), (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(rig.timer.running);
    EXPECT_TRUE(rig.player.Finished());
    EXPECT_EQ(rig.player.Picture().PixelAt(0, 0), kBlue);
    // A repaint after the end does not start it again.
    rig.player.SyncTimer();
    EXPECT_FALSE(rig.timer.running);
  }
  {
    Rig rig;
    rig.player.SetAnimate(true);
    rig.Load(ThreeFrames(3));
    EXPECT_EQ(rig.Play(100), (std::vector<int>{1, 2, 3, 1, 2, 3, 1, 2, 3}));
    EXPECT_FALSE(rig.timer.running);
  }
  {
    // 0: endless.
    Rig rig;
    rig.player.SetAnimate(true);
    rig.Load(ThreeFrames(0));
    EXPECT_EQ(rig.Play(300).size(), 300u);
    EXPECT_TRUE(rig.timer.running);
  }
  {
    // Loop repeats whatever the file says.
    Rig rig;
    rig.player.SetAnimate(true);
    rig.player.SetLoop(true);
    rig.Load(ThreeFrames(2));
    const std::vector<int> shown = rig.Play(30);
    EXPECT_EQ(shown.size(), 30u);
    EXPECT_EQ(shown[29], 3);
    EXPECT_TRUE(rig.timer.running);
  }
}

TEST(GifPlayer, SwitchingLoopOnAfterTheEndPlaysAgain) {
  Rig rig;
  rig.player.SetAnimate(true);
  rig.Load(ThreeFrames());
  rig.Play(100);
  ASSERT_TRUE(rig.player.Finished());
  rig.player.SetLoop(true);
  EXPECT_TRUE(rig.timer.running);
  EXPECT_EQ(rig.player.CurrentFrame(), 1);
  EXPECT_EQ(rig.player.LoopsPlayed(), 1);
  EXPECT_EQ(rig.timer.interval, 100);
  EXPECT_EQ(rig.player.Picture().PixelAt(0, 0), kRed);
  rig.player.Tick();
  EXPECT_EQ(rig.player.CurrentFrame(), 2);
  // Loop off then on while the count is not used up changes nothing.
  rig.player.SetLoop(false);
  rig.player.SetLoop(true);
  EXPECT_EQ(rig.player.CurrentFrame(), 2);
}

TEST(GifPlayer, SpeedScalesEveryDelay) {
  Rig rig;
  rig.player.SetAnimate(true);
  rig.player.SetLoop(true);
  rig.Load(ThreeFrames());
  rig.player.SetSpeed(200);
  EXPECT_EQ(rig.timer.interval, 1);  // the next tick comes at once
  std::vector<int> intervals;
  for (int i = 0; i < 3; ++i) {
    rig.player.Tick();
    intervals.push_back(rig.timer.interval);
  }
  EXPECT_EQ(intervals, (std::vector<int>{50, 100, 150}));
  for (int speed : {0, -5}) {
    rig.player.SetSpeed(speed);
    EXPECT_EQ(rig.player.Speed(), 1);
    rig.player.Tick();  // frame 1 again: 100 ms at 1 %
    EXPECT_EQ(rig.timer.interval, 10000);
    rig.player.Tick();
    rig.player.Tick();
  }
  // A delay of 0 still waits 1 ms, also when sped up.
  Bytes gif = test::Header(1, 1);
  test::Append(gif, test::Image(test::Solid(0, 0, 1, 1, 1)));
  test::Append(gif, test::Image(test::Solid(0, 0, 1, 1, 0)));
  rig.Load(gif);
  rig.player.SetSpeed(1000);
  rig.player.Tick();
  EXPECT_EQ(rig.timer.interval, 1);
}

TEST(GifPlayer, CurrentFrameJumpsWithoutDrawingFramesBetween) {
  Rig rig;
  rig.Load(ThreeFrames());
  rig.events.clear();
  for (int ignored : {0, 1, 4, -1})
    rig.player.SetCurrentFrame(ignored);
  EXPECT_TRUE(rig.events.empty());
  rig.player.SetCurrentFrame(3);
  EXPECT_EQ(rig.events, (std::vector<std::string>{"changing 1", "repaint", "change 3"}));
  EXPECT_EQ(rig.player.Picture().PixelAt(0, 0), kBlue);
  EXPECT_EQ(rig.player.Picture().PixelAt(1, 0), kBlack);  // frame 2 was skipped
  EXPECT_FALSE(rig.timer.running);                        // Animate is off
}

TEST(GifPlayer, AnimateOffReturnsToTheFirstFrame) {
  Rig rig;
  rig.player.SetAnimate(true);
  rig.Load(ThreeFrames(0));
  rig.Play(3);
  ASSERT_EQ(rig.player.CurrentFrame(), 3);
  rig.player.SetAnimate(false);
  EXPECT_FALSE(rig.timer.running);
  EXPECT_EQ(rig.player.CurrentFrame(), 1);
  EXPECT_EQ(rig.player.Picture().PixelAt(0, 0), kRed);
  // On again: the timer waits frame 1's delay, then shows frame 2.
  rig.player.SetAnimate(true);
  EXPECT_TRUE(rig.timer.running);
  EXPECT_EQ(rig.timer.interval, 100);
  rig.player.Tick();
  EXPECT_EQ(rig.player.CurrentFrame(), 2);
  // Setting Animate restarts the count of loops played.
  Rig once;
  once.player.SetAnimate(true);
  once.Load(ThreeFrames(2));
  once.Play(4);
  EXPECT_EQ(once.player.LoopsPlayed(), 2);
  once.player.SetAnimate(true);
  EXPECT_EQ(once.player.LoopsPlayed(), 1);
}

}  // namespace
}  // namespace vls::gif
