// The wipe: block counts with ties to even, fill bytes, overwrite in place,
// the random name, the status line rule, and failures that keep the file.

#include "protect/Wipe.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <regex>

#include "cipher/Cipher.h"
#include "platform/FileError.h"
#include "protect/PendingFiles.h"
#include "protect/ProtectState.h"
#include "protect/Rounding.h"
#include "support/TestSupport.h"

namespace vls {
namespace {

using test::RecordingFeedback;
using test::TempDir;

TEST(WipeRoundingTest, BlockCountRoundsTiesToEven) {
  EXPECT_EQ(WipeBlockCount(0), 1u);
  EXPECT_EQ(WipeBlockCount(2047), 1u);
  EXPECT_EQ(WipeBlockCount(2048), 1u);  // 0.5 -> 0
  EXPECT_EQ(WipeBlockCount(2049), 2u);
  EXPECT_EQ(WipeBlockCount(4096), 2u);
  EXPECT_EQ(WipeBlockCount(6144), 3u);   // 1.5 -> 2
  EXPECT_EQ(WipeBlockCount(10240), 3u);  // 2.5 -> 2
  EXPECT_EQ(WipeBlockCount(std::uint64_t{5} << 30), (std::uint64_t{5} << 30) / 4096 + 1);
  EXPECT_EQ(ProgressStep(10), 0u);  // 0.5 -> 0
  EXPECT_EQ(ProgressStep(30), 2u);  // 1.5 -> 2
  EXPECT_EQ(ProgressStep(1000), 50u);
}

TEST(WipeNameTest, OneCapitalPerCharacterOfTheNameWithoutExtension) {
  EXPECT_TRUE(std::regex_match(WipeName("/d/report.doc"), std::regex("/d/[A-Z]{6}\\.~Z~")));
  EXPECT_TRUE(std::regex_match(WipeName("/d/README"), std::regex("/d/[A-Z]{6}\\.~Z~")));
  EXPECT_TRUE(std::regex_match(WipeName("/d/caf\xc3\xa9.txt"), std::regex("/d/[A-Z]{4}\\.~Z~")));
  // Capped so that the wipe name fits in a folder entry (255 bytes).
  EXPECT_TRUE(
      std::regex_match(WipeName("/d/" + std::string(300, 'x')), std::regex("/d/[A-Z]{251}\\.~Z~")));
}

class WipeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProtectState();
    WindowsFolder = data.path();  // where a wipe lists the file it works on
  }
  void TearDown() override { ResetProtectState(); }

  TempDir dir;
  TempDir data;
  RecordingFeedback feedback;
};

TEST_F(WipeFileTest, RemovesTheFileAndLeavesNothingUnderEitherName) {
  for (std::size_t size : {0u, 1u, 2048u, 6144u, 100000u}) {
    const std::string path = dir / "report.doc";
    test::WriteFile(path, test::SampleBytes(size));
    WipeFile(path, feedback);
    EXPECT_TRUE(dir.List().empty()) << size;
  }
  EXPECT_EQ(feedback.status.back(), "report.doc");
  EXPECT_EQ(feedback.gauge.back(), 0);
}

TEST_F(WipeFileTest, FillsWithBytesFrom1To253) {
  const std::string path = dir / "a.bin";
  test::WriteFile(path, "x");
  WipeFile(path, feedback);
  int histogram[256] = {};
  for (auto b : WorkBuffer)
    ++histogram[b];
  EXPECT_EQ(histogram[0], 0);
  EXPECT_EQ(histogram[254], 0);
  EXPECT_EQ(histogram[255], 0);
  EXPECT_GT(histogram[1] + histogram[253], 0);
}

TEST_F(WipeFileTest, OverwritesTheSameBlocksInPlace) {
  // A second hard link keeps the inode alive after the wipe, so the bytes
  // that were written to the file's own blocks can be read back.
  const std::string path = dir / "secret.txt";
  const std::string witness = dir / "witness";
  test::WriteFile(path, std::string(6144, 'S'));
  ASSERT_EQ(::link(path.c_str(), witness.c_str()), 0);
  WipeFile(path, feedback);
  const std::string after = test::ReadFile(witness);
  ASSERT_EQ(after.size(), 3u * 4096);  // round(1.5) + 1 blocks
  // One fill block, the one left in WorkBuffer, written again and again.
  const std::string block(WorkBuffer.begin(), WorkBuffer.end());
  EXPECT_EQ(after, block + block + block);
  EXPECT_FALSE(test::Exists(path));
}

TEST_F(WipeFileTest, TheViewersPlainCopyIsNotShownOnTheStatusLine) {
  test::WriteFile(dir / "ar~te.JPG", "plain");
  WipeFile(dir / "ar~te.JPG", feedback);
  EXPECT_TRUE(feedback.status.empty());
  test::WriteFile(dir / "AR~TE.JPG", "plain");
  WipeFile(dir / "AR~TE.JPG", feedback);  // the rule is case-sensitive
  EXPECT_EQ(feedback.status, std::vector<std::string>{"AR~TE.JPG"});
}

TEST_F(WipeFileTest, FailuresRaiseAndKeepTheFile) {
  EXPECT_THROW(WipeFile(dir / "missing", feedback), FileError);

  const std::string locked = dir / "locked.txt";
  test::WriteFile(locked, "keep me");
  ::chmod(locked.c_str(), 0400);
  if (::geteuid() != 0) {
    EXPECT_THROW(WipeFile(locked, feedback), FileError);
    EXPECT_EQ(test::ReadFile(locked), "keep me");
  }

  // A file in a folder where it cannot be renamed or removed is overwritten
  // but reported, not counted as gone.
  const std::string sub = dir / "ro";
  ::mkdir(sub.c_str(), 0700);
  test::WriteFile(sub + "/stuck.txt", "data");
  ::chmod(sub.c_str(), 0500);
  if (::geteuid() != 0) {
    EXPECT_THROW(WipeFile(sub + "/stuck.txt", feedback), FileError);
    EXPECT_EQ(test::ReadFile(sub + "/stuck.txt"), "data") << "refused before it was overwritten";
  }
}

// A name of 255 bytes: its wipe name still fits in a folder entry.
TEST_F(WipeFileTest, TheLongestNameIsWipedToo) {
  const std::string path = dir / (std::string(251, 'n') + ".txt");
  test::WriteFile(path, "data");
  WipeFile(path, feedback);
  EXPECT_TRUE(dir.List().empty());
}

// The extra blocks past the end of the file need free space; without it
// every byte the file held is noise already, and the wipe goes on.
TEST_F(WipeFileTest, ADiskTooFullForTheExtraBlocksStillWipes) {
  const std::string path = dir / "big.txt";
  test::WriteFile(path, std::string(6144, 'S'));
  {
    test::FileSizeLimit limit(8192);
    EXPECT_NO_THROW(WipeFile(path, feedback));
  }
  EXPECT_TRUE(dir.List().empty());
}

// A wipe cut short leaves what it overwrote under the wipe name, never under
// the user's; the next run finishes it.
TEST_F(WipeFileTest, AWipeCutShortLeavesNoNoiseUnderTheNameAndIsFinishedLater) {
  const std::string path = dir / "letter.txt";
  test::WriteFile(path, test::SampleBytes(200000));
  std::string message;
  {
    test::FileSizeLimit limit(100000);
    try {
      WipeFile(path, feedback);
    } catch (const FileError& error) {
      message = error.what();
    }
  }
  const auto left = dir.List();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_TRUE(std::regex_match(left[0], std::regex("[A-Z]{6}\\.~Z~"))) << left[0];
  EXPECT_NE(message.find(left[0]), std::string::npos) << message;
  EXPECT_TRUE(DisposeOfStaleLeftovers(feedback).empty());
  EXPECT_TRUE(dir.List().empty());
}

TEST_F(WipeFileTest, RefusesFoldersAndSymbolicLinks) {
  const std::string target = dir / "target.txt";
  test::WriteFile(target, "not through a link");
  ASSERT_EQ(::symlink(target.c_str(), (dir / "link").c_str()), 0);
  EXPECT_THROW(WipeFile(dir / "link", feedback), FileError);
  EXPECT_EQ(test::ReadFile(target), "not through a link");
  ::mkdir((dir / "folder").c_str(), 0700);
  EXPECT_THROW(WipeFile(dir / "folder", feedback), FileError);
}

}  // namespace
}  // namespace vls
