// The file iterator over real folders: listing order and subfolder places,
// hidden entries, options, the facts of each file, the events and their
// refusals during a walk, and errors from handlers.

#include "app/FileIterator.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <stdexcept>

#include "support/TestSupport.h"

namespace vls {
namespace {

using test::WriteFile;

// Files of a folder as any depth-first walk in listing order finds them,
// skipping folders whose names begin with ".".
void ListingOrder(const std::string& folder, std::vector<std::string>& out) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory() && !entry.is_symlink()) {
      if (name[0] != '.')
        ListingOrder(folder + "/" + name, out);
    } else {
      out.push_back(folder + "/" + name);
    }
  }
}

int OpenDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

class FileIteratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = dir / "root";
    ::mkdir(root.c_str(), 0755);
  }
  void Make(const std::string& relative, const std::string& bytes = "x") {
    WriteFile(root + "/" + relative, bytes);
  }
  void Folder(const std::string& relative) { ::mkdir((root + "/" + relative).c_str(), 0755); }

  // Runs a walk over root with these options; records every event.
  std::vector<std::string> Walk(TFileIteratorOptions options = kAllFileIteratorOptions) {
    iterator.SetRootFolder(root);
    iterator.SetOptions(options);
    std::vector<std::string> found;
    iterator.OnAddFile = [&](TFileIterator&, const std::string& name, const TFileInfo& info) {
      found.push_back(name);
      infos[name] = info;
    };
    iterator.Execute();
    return found;
  }

  test::TempDir dir;
  std::string root;
  TFileIterator iterator;
  std::map<std::string, TFileInfo> infos;
};

TEST_F(FileIteratorTest, WalksDepthFirstInListingOrder) {
  for (const char* name : {"a.txt", "c.txt", "d.txt", "e.txt"})
    Make(name);
  Folder("b");
  Make("b/b1");
  Make("b/b2");
  Folder("b/deep");
  Make("b/deep/s1");
  Folder("f");
  Make("f/f1");
  std::vector<std::string> expected;
  ListingOrder(root, expected);
  ASSERT_EQ(expected.size(), 8u);

  EXPECT_EQ(Walk(), expected);

  // The files of b come out together where b stands among its siblings.
  const std::vector<std::string> found = Walk();
  const auto first_b = std::find(found.begin(), found.end(), root + "/b/b1");
  ASSERT_NE(first_b, found.end());
  std::vector<std::string> run(first_b, first_b + 3);
  std::sort(run.begin(), run.end());
  EXPECT_EQ(run, (std::vector<std::string>{root + "/b/b1", root + "/b/b2", root + "/b/deep/s1"}));
}

TEST_F(FileIteratorTest, TrailingSeparatorWalksTheSameFolder) {
  Make("a.txt");
  Folder("b");
  Make("b/b1");
  const std::vector<std::string> plain = Walk();
  root += "/";
  EXPECT_EQ(Walk(), plain);
}

TEST_F(FileIteratorTest, SkipsDotFoldersAndReportsHiddenFiles) {
  Folder(".cache");
  Make(".cache/inside");
  Make(".profile");
  Folder("empty");
  const std::vector<std::string> found = Walk();
  EXPECT_EQ(found, std::vector<std::string>{root + "/.profile"});
  EXPECT_EQ(infos[root + "/.profile"].Attr, faHidden | faArchive);
}

TEST_F(FileIteratorTest, OptionsShapeWhatIsReported) {
  Make("top");
  Folder("sub");
  Make("sub/inner", "12345");

  EXPECT_EQ(Walk(fiPath | fiDetails), std::vector<std::string>{root + "/top"});

  std::vector<std::string> bare = Walk(fiDetails | fiRecurseFolders);
  std::sort(bare.begin(), bare.end());
  EXPECT_EQ(bare, (std::vector<std::string>{"inner", "top"}));
  EXPECT_EQ(infos["inner"].Size, 5);

  // Without details the record stays empty.
  Walk(fiPath | fiRecurseFolders);
  EXPECT_EQ(infos[root + "/sub/inner"].Size, 0);
  EXPECT_EQ(infos[root + "/sub/inner"].Attr, 0u);
}

TEST_F(FileIteratorTest, DetailsCarry64BitSizeLocalTimeAndAttributes) {
  Make("big");
  ASSERT_EQ(::truncate((root + "/big").c_str(), 5LL << 30), 0);  // sparse, 5 GiB
  const std::time_t moment = 1136214246;                         // 2006-01-02 15:04:06 UTC
  const struct timespec times[2] = {{moment, 0}, {moment, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (root + "/big").c_str(), times, 0), 0);
  ASSERT_EQ(::mkfifo((root + "/pipe").c_str(), 0644), 0);

  Walk();
  const TFileInfo& big = infos[root + "/big"];
  EXPECT_EQ(big.Size, 5LL << 30);
  EXPECT_EQ(big.Time, ToDosDateTime(moment));
  EXPECT_EQ(big.Attr, faArchive);
  EXPECT_EQ(infos[root + "/pipe"].Attr, faSysFile);
  EXPECT_EQ(ReadFileInfo(root + "/big")->Size, 5LL << 30);
  EXPECT_EQ(ReadFileInfo(root)->Attr, faDirectory);
  EXPECT_FALSE(ReadFileInfo(root + "/missing").has_value());
}

TEST_F(FileIteratorTest, ReadOnlyWhenTheUserMayNotWrite) {
  Make("locked");
  Make("open");
  ::chmod((root + "/locked").c_str(), 0444);
  ::chmod((root + "/open").c_str(), 0666);
  if (::geteuid() != 0) {
    Walk();
    EXPECT_EQ(infos[root + "/locked"].Attr, faReadOnly | faArchive);
    EXPECT_EQ(infos[root + "/open"].Attr, faArchive);
    return;
  }
  // Root may write anything: look as an unprivileged user in a child.
  ::chmod(dir.path().c_str(), 0755);
  const pid_t child = ::fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0)
      ::_exit(2);
    Walk();
    const bool right = infos[root + "/locked"].Attr == (faReadOnly | faArchive) &&
                       infos[root + "/open"].Attr == faArchive;
    ::_exit(right ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(FileIteratorTest, LinksCountAsWhatTheyNameButFolderLinksAreNotWalked) {
  Make("target", "123");
  Folder("sub");
  Make("sub/inner");
  ASSERT_EQ(::symlink("target", (root + "/to-file").c_str()), 0);
  ASSERT_EQ(::symlink(root.c_str(), (root + "/sub/loop").c_str()), 0);
  std::vector<std::string> found = Walk();
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found,
            (std::vector<std::string>{root + "/sub/inner", root + "/target", root + "/to-file"}));
  EXPECT_EQ(infos[root + "/to-file"].Size, 3);
}

TEST_F(FileIteratorTest, UnreadableOrMissingRootStillActivatesAndTerminates) {
  std::vector<std::string> events;
  iterator.OnActivate = [&](TFileIterator&) { events.push_back("activate"); };
  iterator.OnTerminate = [&](TFileIterator&) { events.push_back("terminate"); };
  iterator.OnAddFile = [&](TFileIterator&, const std::string& name, const TFileInfo&) {
    events.push_back(name);
  };
  for (const std::string& folder : {root + "/missing", std::string()}) {
    events.clear();
    iterator.SetRootFolder(folder);
    iterator.Execute();
    EXPECT_EQ(events, (std::vector<std::string>{"activate", "terminate"})) << folder;
  }
  EXPECT_EQ(TFileIterator().RootFolder(), "/");
  EXPECT_EQ(TFileIterator().Options(), fiPath | fiDetails | fiRecurseFolders);
}

TEST_F(FileIteratorTest, QueryDecidesPerFile) {
  Make("keep1");
  Make("drop");
  Make("keep2");
  std::vector<std::string> asked;
  iterator.OnAddFileQuery = [&](TFileIterator&, const std::string& name, const TFileInfo&,
                                bool& can_add) {
    EXPECT_TRUE(can_add);
    asked.push_back(name);
    can_add = name != root + "/drop";
  };
  std::vector<std::string> found = Walk();
  std::sort(found.begin(), found.end());
  EXPECT_EQ(asked.size(), 3u);
  EXPECT_EQ(found, (std::vector<std::string>{root + "/keep1", root + "/keep2"}));
}

TEST_F(FileIteratorTest, WithoutFileEventsNothingFires) {
  Make("a");
  int activations = 0;
  iterator.OnActivate = [&](TFileIterator&) { ++activations; };
  iterator.OnTerminate = [&](TFileIterator&) { ++activations; };
  iterator.SetRootFolder(root);
  iterator.Execute();
  EXPECT_EQ(activations, 0);

  // A query alone is enough to start a walk.
  int queries = 0;
  iterator.OnAddFileQuery = [&](TFileIterator&, const std::string&, const TFileInfo&, bool&) {
    ++queries;
  };
  iterator.Execute();
  EXPECT_EQ(activations, 2);
  EXPECT_EQ(queries, 1);
}

TEST_F(FileIteratorTest, RefusesChangesAndNestedWalksWhileRunning) {
  Make("a");
  int refusals = 0;
  const auto expect_refused = [&](auto&& change, int id) {
    try {
      change();
      ADD_FAILURE() << "no error";
    } catch (const EFileIteratorError& error) {
      EXPECT_EQ(error.id(), id);
      ++refusals;
    }
  };
  iterator.OnActivate = [&](TFileIterator& sender) {
    EXPECT_TRUE(sender.Running());
    expect_refused([&] { sender.SetOptions(fiPath); }, kCannotChangeOnFly);
  };
  iterator.OnAddFile = [&](TFileIterator& sender, const std::string&, const TFileInfo&) {
    expect_refused([&] { sender.SetRootFolder("/tmp"); }, kCannotChangeOnFly);
    expect_refused([&] { sender.Execute(); }, kIteratorBusy);
  };
  iterator.OnTerminate = [&](TFileIterator& sender) {
    expect_refused([&] { sender.SetOptions(0); }, kCannotChangeOnFly);
  };
  iterator.SetRootFolder(root);
  iterator.Execute();
  EXPECT_EQ(refusals, 4);
  EXPECT_EQ(iterator.RootFolder(), root);
  EXPECT_EQ(iterator.Options(), kAllFileIteratorOptions);
  EXPECT_FALSE(iterator.Running());

  try {
    iterator.SetOptions(fiPath);
    iterator.Execute();
  } catch (const EFileIteratorError& error) {
    ADD_FAILURE() << error.what();
  }
  try {
    iterator.OnAddFile = [](TFileIterator& sender, const std::string&, const TFileInfo&) {
      sender.SetRootFolder("/");
    };
    iterator.Execute();
    ADD_FAILURE() << "no error";
  } catch (const EFileIteratorError& error) {
    EXPECT_STREQ(error.what(), "Cannot change options on fly. Try later");
  }
  try {
    iterator.OnAddFile = [](TFileIterator& sender, const std::string&, const TFileInfo&) {
      sender.Execute();
    };
    iterator.Execute();
    ADD_FAILURE() << "no error";
  } catch (const EFileIteratorError& error) {
    EXPECT_STREQ(error.what(),
                 "Iterator is not available at the moment. Please call later, but do call");
  }
}

TEST_F(FileIteratorTest, ErrorFromHandlerEndsTheWalkAndClosesEveryFolder) {
  Folder("a");
  Folder("a/b");
  Make("a/b/deep");
  Make("a/b/deeper");
  int terminated = 0;
  int added = 0;
  iterator.OnTerminate = [&](TFileIterator& sender) {
    EXPECT_TRUE(sender.Running());
    ++terminated;
  };
  iterator.OnAddFile = [&](TFileIterator&, const std::string&, const TFileInfo&) {
    ++added;
    throw std::runtime_error("handler failed");
  };
  iterator.SetRootFolder(root);
  const int before = OpenDescriptors();
  EXPECT_THROW(iterator.Execute(), std::runtime_error);
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_EQ(added, 1);
  EXPECT_EQ(terminated, 1);
  EXPECT_FALSE(iterator.Running());

  // The iterator can walk again, and an error from OnActivate ends it the same way.
  iterator.OnAddFile = [&](TFileIterator&, const std::string&, const TFileInfo&) { ++added; };
  iterator.OnActivate = [](TFileIterator&) { throw std::runtime_error("activate failed"); };
  EXPECT_THROW(iterator.Execute(), std::runtime_error);
  EXPECT_EQ(terminated, 2);
  iterator.OnActivate = nullptr;
  iterator.Execute();
  EXPECT_EQ(added, 3);
}

// Acts through the virtual operations, with no events assigned.
class CountingIterator : public TFileIterator {
 public:
  int files = 0;

 protected:
  void DoAddFile(const std::string&, const TFileInfo&) override { ++files; }
  bool WantsFiles() const override { return true; }
};

TEST_F(FileIteratorTest, SubclassActsWithoutEvents) {
  Make("a");
  Make("b");
  CountingIterator counting;
  counting.SetRootFolder(root);
  counting.Execute();
  EXPECT_EQ(counting.files, 2);
}

}  // namespace
}  // namespace vls
