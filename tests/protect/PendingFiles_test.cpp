// Files that exist only for one operation: a run that ends without cleaning
// up leaves a record, and the next run wipes what it names, but only the
// very file it saw, and never one a live run still holds.

#include "protect/PendingFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "protect/ProtectState.h"
#include "support/TestSupport.h"

namespace vls {
namespace {

using test::Exists;
using test::ReadFile;
using test::WriteFile;

// Removes path and writes bytes under its name, into the very inode it had
// when the file system gives that inode to one of the next few hundred new
// files (ext4 does), else into another.
void ReplaceOnFreedInode(const std::string& path, const std::string& bytes) {
  struct stat old {};
  ASSERT_EQ(::stat(path.c_str(), &old), 0);
  ::unlink(path.c_str());
  std::vector<std::string> tried;
  for (int i = 0; i < 500; ++i) {
    const std::string candidate = path + ".new" + std::to_string(i);
    WriteFile(candidate, bytes);
    struct stat now {};
    ASSERT_EQ(::stat(candidate.c_str(), &now), 0);
    if (now.st_ino == old.st_ino) {
      ASSERT_EQ(::rename(candidate.c_str(), path.c_str()), 0);
      break;
    }
    tried.push_back(candidate);
  }
  for (const std::string& candidate : tried)
    ::unlink(candidate.c_str());
  if (!Exists(path))
    WriteFile(path, bytes);
}

class PendingFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProtectState();
    WindowsFolder = data.path();
  }
  void TearDown() override { ResetProtectState(); }

  test::TempDir dir;
  test::TempDir data;
  test::RecordingFeedback feedback;
};

TEST_F(PendingFilesTest, WhatAnEndedRunLeftIsWipedAndNothingElse) {
  WriteFile(dir / "plain.~tx", "plain bytes");
  WriteFile(dir / "half.~tx", "a container in the making");
  WriteFile(dir / "moved.~tx", "will be replaced by the user's own file");
  WriteFile(dir / "live.~tx", "still in use");
  PendingFile plain(dir / "plain.~tx", Leftover::Plain);
  PendingFile half(dir / "half.~tx", Leftover::Cipher);
  PendingFile moved(dir / "moved.~tx", Leftover::Plain);
  PendingFile live(dir / "live.~tx", Leftover::Plain);
  // As if the run had been killed: the records stay, nobody holds them.
  plain.Abandon();
  half.Abandon();
  moved.Abandon();
  // Same name, another file; on the freed inode where the file system hands
  // it out again, so only the identity beyond the inode tells them apart.
  ReplaceOnFreedInode(dir / "moved.~tx", "the user's own");

  EXPECT_TRUE(DisposeOfStaleLeftovers(feedback).empty());
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"live.~tx", "moved.~tx"}));
  EXPECT_EQ(ReadFile(dir / "moved.~tx"), "the user's own");
  EXPECT_EQ(ReadFile(dir / "live.~tx"), "still in use");
  EXPECT_EQ(test::TempDir::ListOf(data / "PENDING").size(), 1u) << "only the live record";
}

TEST_F(PendingFilesTest, AFileNeitherKeptNorDisposedOfIsWipedWhenDropped) {
  WriteFile(dir / "copy.png", "plain bytes");
  WriteFile(dir / "kept.txt", "the user's now");
  {
    PendingFile copy(dir / "copy.png", Leftover::Plain);
    PendingFile kept(dir / "kept.txt", Leftover::Plain);
    kept.MoveTo(dir / "final.txt");
    kept.Release();
  }
  EXPECT_EQ(dir.List(), std::vector<std::string>{"final.txt"});
  EXPECT_TRUE(test::TempDir::ListOf(data / "PENDING").empty());
}

// A file named relative to where its run started is found from anywhere.
TEST_F(PendingFilesTest, ARelativeNameIsFoundByARunStartedElsewhere) {
  const auto started_in = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  WriteFile("big.~tx", "plain bytes");
  PendingFile(std::string("big.~tx"), Leftover::Plain).Abandon();
  std::filesystem::current_path(data.path());
  EXPECT_TRUE(DisposeOfStaleLeftovers(feedback).empty());
  std::filesystem::current_path(started_in);
  EXPECT_TRUE(dir.List().empty());
}

// A record its writer never finished: gone at once when the writer is dead,
// kept while it may still be writing.
TEST_F(PendingFilesTest, AHalfWrittenRecordOfADeadRunIsRemoved) {
  const pid_t child = ::fork();
  if (child == 0)
    ::_exit(0);
  ::waitpid(child, nullptr, 0);
  ::mkdir((data / "PENDING").c_str(), 0700);
  WriteFile(data / ("PENDING/" + std::to_string(child) + "-1.new"), "");
  WriteFile(data / ("PENDING/" + std::to_string(::getpid()) + "-2.new"), "");
  EXPECT_TRUE(DisposeOfStaleLeftovers(feedback).empty());
  EXPECT_EQ(test::TempDir::ListOf(data / "PENDING"),
            std::vector<std::string>{std::to_string(::getpid()) + "-2.new"});
}

}  // namespace
}  // namespace vls
