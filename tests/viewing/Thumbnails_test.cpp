// Thumbnails made on the worker thread: each container's plain bytes reach
// the decoder and a thumbnail or a reason is kept per file; a file made
// already is not made again until it changes; the key's drop stops the run
// and leaves no thumbnail behind.

#include "viewing/Thumbnails.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "viewing/FlowFakes.h"

namespace vls::test {
namespace {

class ThumbnailsTest : public FlowTest {
 protected:
  // A thumbnail of one pixel a plain byte, so a test can tell what came in.
  ThumbnailMaker maker{[this](std::span<const std::uint8_t> bytes, const std::string& name,
                              Thumbnail& out) -> std::string {
                         ++decoded;
                         while (hold)
                           std::this_thread::sleep_for(std::chrono::milliseconds(1));
                         if (name.starts_with("broken"))
                           return "bad header";
                         out.width = static_cast<int>(bytes.size());
                         out.height = 1;
                         out.pixels.assign(bytes.begin(), bytes.end());
                         return {};
                       },
                       [this](const std::string&) { ++ready; }};
  std::atomic<int> decoded = 0, ready = 0;
  std::atomic<bool> hold = false;

  void WaitUntilIdle() {
    for (int i = 0; i < 5000 && maker.Busy(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_FALSE(maker.Busy());
  }
  std::string Why(const std::string& path) {
    std::string why = "(none)";
    maker.With(path, [&](const Thumbnail& t) { why = t.shown ? std::to_string(t.width) : t.why; });
    return why;
  }
};

TEST_F(ThumbnailsTest, EachFileGetsItsThumbnailOrItsReason) {
  const std::vector<std::string> paths = {
      Make("beach.jpg", SampleBytes(300)), Make("broken.png", "xx"),
      Make("letter.txt", "dear ann", "letter.vlp"), Make("empty.gif", ""), Docs("gone.vlp")};
  SetKey(kKey);
  maker.Start(paths);
  WaitUntilIdle();
  EXPECT_EQ(Why(paths[0]), "300");
  EXPECT_EQ(Why(paths[1]), "bad header");
  EXPECT_EQ(Why(paths[2]), "not a picture");
  EXPECT_EQ(Why(paths[3]), kNoData);
  EXPECT_EQ(Why(paths[4]), "(none)");
  EXPECT_EQ(ready, 4);
  DropKey();
  SetKey(kWrongKey);
  maker.Start({paths[0]});
  WaitUntilIdle();
  EXPECT_EQ(Why(paths[0]), "another password");
  EXPECT_EQ(DocsList().size(), 4u) << "nothing written beside the containers";
  ExpectCleanEnd();
}

TEST_F(ThumbnailsTest, AThumbnailIsMadeAgainOnlyWhenItsFileChanged) {
  const std::string first = Make("a.jpg", "first");
  const std::string second = Make("b.jpg", "second");
  SetKey(kKey);
  maker.Start({first, second});
  WaitUntilIdle();
  EXPECT_EQ(decoded, 2);
  struct timespec times[2] = {{0, UTIME_OMIT}, {1'600'000'000, 5}};
  ASSERT_EQ(::utimensat(AT_FDCWD, second.c_str(), times, 0), 0);
  maker.Start({first, second});
  WaitUntilIdle();
  EXPECT_EQ(decoded, 3);
}

TEST_F(ThumbnailsTest, TheKeysDropStopsTheRunAndDropsEveryThumbnail) {
  std::vector<std::string> paths;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
    paths.push_back(Make(name, "picture"));
  SetKey(kKey);
  maker.Start({paths[0]});
  WaitUntilIdle();
  ASSERT_EQ(maker.KeptCount(), 1u);
  hold = true;
  maker.Start(paths);
  while (decoded < 2)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  DropKey();
  EXPECT_EQ(maker.KeptCount(), 0u);
  hold = false;
  WaitUntilIdle();
  EXPECT_EQ(maker.KeptCount(), 0u) << "the thumbnail in the making is not kept";
  EXPECT_EQ(decoded, 2) << "the run stopped";
  maker.Start(paths);  // without a key nothing starts
  WaitUntilIdle();
  EXPECT_EQ(decoded, 2);
}

}  // namespace
}  // namespace vls::test
