// The platform layer: stored text, renames that never replace, DOS times,
// private folders.

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/AnsiText.h"
#include "platform/DosTime.h"
#include "platform/FileError.h"
#include "platform/FileServices.h"
#include "platform/Folders.h"
#include "support/TestSupport.h"

namespace vls {
namespace {

TEST(AnsiTextTest, UsesWindows1252WhenItCanAndUtf8Otherwise) {
  EXPECT_EQ(ToAnsi("caf\xc3\xa9"), "caf\xe9");
  EXPECT_EQ(ToAnsi("\xe2\x82\xac 5"), "\x80 5");                              // euro sign
  EXPECT_EQ(ToAnsi("\xe6\x97\xa5\xe6\x9c\xac"), "\xe6\x97\xa5\xe6\x9c\xac");  // no 1252 form
  EXPECT_EQ(ToAnsi("plain"), "plain");
  // U+0080..U+009F have no Windows-1252 form (its bytes 0x80..0x9F are other
  // letters): a key holding one stays UTF-8, never the byte of another letter.
  EXPECT_EQ(ToAnsi("\xc2\x80\xc2\x9f"), "\xc2\x80\xc2\x9f");
  EXPECT_EQ(ToAnsi("\xc2\x81\xc3\xa9"), "\xc2\x81\xc3\xa9");
  EXPECT_EQ(FromAnsi("caf\xe9"), "caf\xc3\xa9");
  EXPECT_EQ(FromAnsi("\x80"), "\xe2\x82\xac");
  EXPECT_EQ(FromAnsi("\xe6\x97\xa5"), "\xe6\x97\xa5");
  for (const std::string text : {"r\xc3\xa9sum\xc3\xa9.doc", "\xc5\x92uvre", "a\xe2\x80\x94z"}) {
    EXPECT_EQ(FromAnsi(ToAnsi(text)), text);
  }
}

TEST(AnsiTextTest, RejectsMalformedUtf8AndCountsCharacters) {
  EXPECT_FALSE(IsValidUtf8("\xc3"));          // cut short
  EXPECT_FALSE(IsValidUtf8("\xc0\xaf"));      // overlong
  EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80"));  // surrogate
  EXPECT_FALSE(IsValidUtf8("\xf5\x80\x80\x80"));
  EXPECT_TRUE(IsValidUtf8("\xf0\x9f\x98\x80"));
  EXPECT_EQ(CharacterCount("\xc3\xa9t\xc3\xa9"), 3u);
  EXPECT_EQ(CharacterCount("\xff\xfe"), 2u);
}

TEST(FileServicesTest, RenameNoReplaceNeverDestroysTheTarget) {
  test::TempDir dir;
  test::WriteFile(dir / "a", "a");
  test::WriteFile(dir / "b", "b");
  try {
    RenameNoReplace(dir / "a", dir / "b");
    FAIL() << "rename replaced its target";
  } catch (const FileError& error) {
    EXPECT_EQ(error.code().value(), EEXIST);
    EXPECT_EQ(error.path(), dir / "a");
  }
  EXPECT_EQ(test::ReadFile(dir / "b"), "b");
  RenameNoReplace(dir / "a", dir / "c");
  EXPECT_EQ(test::ReadFile(dir / "c"), "a");
  EXPECT_FALSE(test::Exists(dir / "a"));
}

// Segment boundaries must not depend on how the kernel splits reads: a
// source that hands its bytes over 1000 at a time still fills the buffer.
// A pipe stands in for such a source (special files are refused by the
// opens, not by the read).
TEST(FileServicesTest, ReadSomeFillsTheBufferHoweverTheBytesTrickleIn) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  UniqueFd reader(ends[0], "pipe");
  const std::string bytes = test::SampleBytes(5000);
  std::thread writer([&] {
    for (std::size_t at = 0; at < bytes.size(); at += 1000) {
      // The next piece goes in only once the reader has taken the last one.
      for (int waits = 0; waits < 1000; ++waits) {
        int queued = 0;
        if (::ioctl(ends[1], FIONREAD, &queued) != 0 || queued == 0)
          break;
        ::usleep(1000);
      }
      if (::write(ends[1], bytes.data() + at, std::min<std::size_t>(1000, bytes.size() - at)) <= 0)
        break;
    }
    ::close(ends[1]);
  });
  std::vector<std::uint8_t> buffer(4096);
  const std::size_t first = ReadSome(reader, buffer);
  std::string received(buffer.begin(), buffer.begin() + static_cast<long>(first));
  for (std::size_t n; (n = ReadSome(reader, buffer)) != 0;)
    received.append(buffer.begin(), buffer.begin() + static_cast<long>(n));
  writer.join();
  EXPECT_EQ(first, buffer.size());
  EXPECT_EQ(received, bytes);
}

TEST(FileServicesTest, PathPieces) {
  EXPECT_EQ(FolderOf("/a/b/c.txt"), "/a/b/");
  EXPECT_EQ(FileNameOf("/a/b/c.txt"), "c.txt");
  EXPECT_EQ(FolderOf("c.txt"), "");
  EXPECT_EQ(FolderForSync("c.txt"), ".");
  EXPECT_EQ(FolderForSync("/c.txt"), "/");
  EXPECT_EQ(FolderForSync("/a/c.txt"), "/a");
}

TEST(DosTimeTest, KeepsEvenSecondsInLocalTime) {
  setenv("TZ", "Europe/Paris", 1);
  tzset();
  std::tm local{};
  local.tm_year = 2024 - 1900;
  local.tm_mon = 6;
  local.tm_mday = 14;
  local.tm_hour = 23;
  local.tm_min = 59;
  local.tm_sec = 59;
  local.tm_isdst = -1;
  const std::time_t moment = std::mktime(&local);
  const DosDateTime dos = ToDosDateTime(moment);
  EXPECT_EQ(dos >> 16, static_cast<unsigned>((2024 - 1980) << 9 | 7 << 5 | 14));
  EXPECT_EQ(dos & 0xFFFF, static_cast<unsigned>(23 << 11 | 59 << 5 | 29));
  EXPECT_EQ(FromDosDateTime(dos), moment - 1);
  EXPECT_EQ(ToDosDateTime(0), (1u << 5 | 1u) << 16);  // before 1980
  unsetenv("TZ");
  tzset();
}

TEST(FoldersTest, TempFolderIsPrivateAndPrefersTheRuntimeFolder) {
  test::TempDir dir;
  const std::string runtime = dir / "run";
  ::mkdir(runtime.c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  EXPECT_EQ(DefaultWindowsFolder(), dir / "data/veilstore");
  const std::string temp = DefaultTempFolder(DefaultWindowsFolder());
  EXPECT_EQ(temp, runtime + "/veilstore/TEMP");
  EnsurePrivateFolder(temp);
  struct stat st {};
  ASSERT_EQ(::stat(temp.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ::chmod(temp.c_str(), 0755);  // made readable by someone else: closed again
  EnsurePrivateFolder(temp);
  ::stat(temp.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  setenv("XDG_RUNTIME_DIR", (dir / "absent").c_str(), 1);
  EXPECT_EQ(DefaultTempFolder("/w"), "/w/TEMP");
  unsetenv("XDG_RUNTIME_DIR");
  unsetenv("XDG_DATA_HOME");
}

// Plain copies go only where no other user can move, replace or remove
// anything on the way.
TEST(FoldersTest, APrivateFolderIsRefusedWhereOthersCanReachIt) {
  test::TempDir dir;
  struct Case {
    mode_t parent_mode;
    bool refused;
  };
  const Case cases[] = {{0700, false}, {0755, false}, {01777, false}, {0777, true}, {0775, true}};
  for (const Case& c : cases) {
    const std::string parent = dir / ("p" + std::to_string(c.parent_mode));
    ::mkdir(parent.c_str(), 0700);
    ::chmod(parent.c_str(), c.parent_mode);
    if (c.refused) {
      EXPECT_THROW(EnsurePrivateFolder(parent + "/a/TEMP"), FileError) << std::oct << c.parent_mode;
    } else {
      EXPECT_NO_THROW(EnsurePrivateFolder(parent + "/a/TEMP")) << std::oct << c.parent_mode;
      struct stat st {};
      ::stat((parent + "/a").c_str(), &st);
      EXPECT_EQ(st.st_mode & 0777, 0700u) << "created parents are private too";
    }
  }
  const std::string fresh = MakeFreshPrivateFolder();
  struct stat st {};
  ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ::rmdir(fresh.c_str());
}

TEST(FoldersTest, WithoutHomeTheUserDatabaseNamesTheHome) {
  const char* saved = std::getenv("HOME");
  const std::string home = saved != nullptr ? saved : "";
  unsetenv("HOME");
  unsetenv("XDG_DATA_HOME");
  const std::string folder = DefaultWindowsFolder();
  if (!home.empty())
    setenv("HOME", home.c_str(), 1);
  EXPECT_NE(folder.rfind("/tmp/", 0), 0u) << folder;
  EXPECT_TRUE(folder.ends_with("/.local/share/veilstore")) << folder;
}

}  // namespace
}  // namespace vls
