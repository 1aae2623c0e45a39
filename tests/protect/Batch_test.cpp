// The batch drivers over a fake window: go-ahead, progress lines, stopping
// rules, summaries, and the window always returned to ready with the key gone.

#include "protect/Batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <utility>

#include "cipher/Cipher.h"
#include "platform/Interruption.h"
#include "protect/ProtectState.h"
#include "support/TestSupport.h"

namespace vls {
namespace {

using test::Exists;
using test::ReadFile;
using test::WriteFile;

class FakeBatchWindow : public BatchWindow {
 public:
  void RequestEncryptionKey() override { ++dialogs, test::SetKey(typed_password); }
  void RequestDecryptionKey() override { ++dialogs, test::SetKey(typed_password); }
  void BringToFront() override {}
  void SetBusy(bool on) override {
    busy = on;
    busy_changes.push_back(on);
  }
  void DisableListButtons() override { ++buttons_disabled; }
  void SetStatusLine(const std::string& text, bool repaint) override {
    status.push_back(text);
    repaints.push_back(repaint);
  }
  std::size_t RowCount() const override { return rows.size(); }
  std::string RowPath(std::size_t i) const override { return rows.at(i); }
  void ClearList() override { rows.clear(); }
  void RereadFolder() override { ++rereads; }

  std::string typed_password;
  std::vector<std::string> rows;
  std::vector<std::string> status;
  std::vector<bool> repaints, busy_changes;
  bool busy = false;
  int dialogs = 0, buttons_disabled = 0, rereads = 0;
};

class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProtectState();
    WindowsFolder = dir / "windows";
    TempFolder = dir / "windows/TEMP";
    window.typed_password = "batch password";
  }
  void TearDown() override { ResetProtectState(); }

  test::TempDir dir;
  FakeBatchWindow window;
  test::RecordingFeedback feedback;
  test::FixedVolumeFacts volumes;
  BatchDrivers drivers{window, feedback, volumes};
};

TEST_F(BatchTest, ACancelledPasswordChangesNothing) {
  window.typed_password = "";
  window.rows = {dir / "a.txt"};
  WriteFile(dir / "a.txt", "a");
  drivers.EncryptAll();
  drivers.DecryptAll();
  EXPECT_EQ(window.rows.size(), 1u);
  EXPECT_TRUE(window.busy_changes.empty());
  EXPECT_EQ(window.buttons_disabled, 0);
  EXPECT_TRUE(feedback.information.empty());
  EXPECT_EQ(ReadFile(dir / "a.txt"), "a");
}

TEST_F(BatchTest, EncryptsEveryRowWithStatusLinesThenResets) {
  for (const char* name : {"a.txt", "b.JPG"}) {
    WriteFile(dir / name, name);
    window.rows.push_back(dir / name);
  }
  drivers.EncryptAll();
  ASSERT_GE(window.status.size(), 2u);
  EXPECT_EQ(window.status[0], "Encrypting 1/2 " + (dir / "a.txt") + std::string(15, ' '));
  EXPECT_TRUE(window.repaints[0]);
  EXPECT_EQ(window.status.back(), "");
  EXPECT_TRUE(Exists(dir / "a.vld"));
  EXPECT_TRUE(Exists(dir / "b.vlp"));
  EXPECT_FALSE(Exists(dir / "a.txt"));
  EXPECT_TRUE(window.rows.empty());
  EXPECT_EQ(window.busy_changes, (std::vector<bool>{true, false}));
  EXPECT_EQ(window.rereads, 1);
  EXPECT_TRUE(KeyString.empty());
  EXPECT_TRUE(feedback.information.empty()) << "encryption shows no summary";
}

TEST_F(BatchTest, EncryptionStopsAtTheFirstFailureAndStillResets) {
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "c.txt", "c");
  window.rows = {dir / "a.txt", dir / "missing.txt", dir / "c.txt"};
  drivers.EncryptAll();
  ASSERT_EQ(feedback.errors.size(), 1u);
  EXPECT_NE(feedback.errors[0].find("missing.txt"), std::string::npos);
  EXPECT_TRUE(Exists(dir / "a.vld"));
  EXPECT_EQ(ReadFile(dir / "c.txt"), "c");
  EXPECT_FALSE(Exists(dir / "c.vld"));
  EXPECT_FALSE(window.busy);
  EXPECT_TRUE(window.rows.empty());
  EXPECT_TRUE(KeyString.empty());
}

TEST_F(BatchTest, DecryptionCountsWrongKeysAndGoesOn) {
  for (const char* name : {"a.txt", "c.txt"}) {
    WriteFile(dir / name, name);
    window.rows.push_back(dir / name);
  }
  drivers.EncryptAll();
  window.typed_password = "other password";
  WriteFile(dir / "b.txt", "b");
  window.rows = {dir / "b.txt"};
  drivers.EncryptAll();  // b.vld has another key than a.vld and c.vld

  window.typed_password = "batch password";
  window.rows = {dir / "a.vld", dir / "b.vld", dir / "c.vld"};
  drivers.DecryptAll();
  EXPECT_EQ(feedback.information,
            std::vector<std::string>{"2 files decrypted, 1 files with wrong key."});
  EXPECT_EQ(ReadFile(dir / "a.txt"), "a.txt");
  EXPECT_FALSE(Exists(dir / "a.vld"));
  EXPECT_TRUE(Exists(dir / "b.vld"));
  EXPECT_TRUE(window.rows.empty());
  EXPECT_TRUE(KeyString.empty());

  window.rows = {dir / "b.vld"};
  window.typed_password = "other password";
  drivers.DecryptAll();
  EXPECT_EQ(feedback.information.back(), "1 files decrypted.");
}

// Two containers that store one name: the second is restored beside the
// first, not over it, even when the user would say Yes.
TEST_F(BatchTest, ADecryptionRunNeverReplacesWhatItRestored) {
  for (const char* container : {"a.vld", "b.vld"}) {
    WriteFile(dir / "same.txt", container);
    window.rows = {dir / "same.txt"};
    drivers.EncryptAll();
    ASSERT_EQ(::rename((dir / "same.vld").c_str(), (dir / container).c_str()), 0);
  }
  window.rows = {dir / "a.vld", dir / "b.vld"};
  feedback.answers = {kAnswerYes, kAnswerYes};
  drivers.DecryptAll();
  EXPECT_EQ(ReadFile(dir / "same.txt"), "a.vld");
  EXPECT_EQ(ReadFile(dir / "same~1.txt"), "b.vld");
  EXPECT_TRUE(feedback.questions.empty());
}

TEST_F(BatchTest, WipeAsksAndCountsOnlyFilesReallyGone) {
  WriteFile(dir / "a", "a");
  WriteFile(dir / "b", "b");
  window.rows = {dir / "a", dir / "gone", dir / "b"};
  feedback.answers = {kAnswerNo};
  drivers.WipeAll();
  EXPECT_EQ(feedback.questions, std::vector<std::string>{"DELETE THE FILES ?"});
  EXPECT_EQ(window.rows.size(), 3u);
  EXPECT_TRUE(Exists(dir / "a"));

  feedback.answers = {kAnswerYes};
  drivers.WipeAll();
  EXPECT_FALSE(Exists(dir / "a"));
  EXPECT_FALSE(Exists(dir / "b"));
  ASSERT_EQ(feedback.errors.size(), 1u);
  EXPECT_NE(feedback.errors[0].find(dir / "gone"), std::string::npos);
  EXPECT_EQ(feedback.information, std::vector<std::string>{"2 files wiped."});
  EXPECT_NE(std::find(window.status.begin(), window.status.end(), "Wiping 2/3 " + (dir / "gone")),
            window.status.end());
  EXPECT_TRUE(window.rows.empty());
  EXPECT_FALSE(window.busy);
}

// The user's cancel is seen at the next safe point: inside a file (its
// source kept whole, nothing of it left) or between files for the wipe,
// which finishes the file it began. The run counts what it did.
std::string cancel_trigger;  // the hook cancels once this path is there (or gone)
bool cancel_when_there = true;
void CancelOnTrigger() {
  if (!cancel_trigger.empty() && Exists(cancel_trigger) == cancel_when_there)
    RequestCancel();
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(BatchTest, ACancelStopsAtTheNextSafePointAndCountsWhatWasDone) {
  const std::string big = test::SampleBytes(3 << 20);  // several transfer segments
  struct Case {
    const char* ext;  // of the rows
    BatchCounts (BatchDrivers::*run)();
    const char* trigger;  // the user cancels once it is there; a wipe: once it is gone
    const char* told;
    std::vector<std::string> left;
  };
  const Case cases[] = {
      {".txt",
       &BatchDrivers::EncryptAll,
       "b.~tx",
       "Cancelled: 1 of 3 files encrypted.",
       {"a.vld", "b.txt", "c.txt"}},
      {".vld",
       &BatchDrivers::DecryptAll,
       "b.~tx",
       "Cancelled: 1 files decrypted.",
       {"a.txt", "b.vld", "c.vld"}},
      {".txt", &BatchDrivers::WipeAll, "a.txt", "Cancelled: 1 files wiped.", {"b.txt", "c.txt"}},
  };
  SetSafePointHook(CancelOnTrigger);
  for (const Case& c : cases) {
    const std::string folder = dir / c.told;
    std::filesystem::create_directory(folder);
    const auto rows = [&](const std::string& ext) {
      window.rows = {folder + "/a" + ext, folder + "/b" + ext, folder + "/c" + ext};
    };
    WriteFile(folder + "/a.txt", "a");
    WriteFile(folder + "/b.txt", big);
    WriteFile(folder + "/c.txt", "c");
    cancel_trigger.clear();
    if (c.ext == std::string(".vld")) {
      rows(".txt");
      drivers.EncryptAll();
    }
    const std::string container_b = c.ext == std::string(".vld") ? ReadFile(folder + "/b.vld") : "";
    rows(c.ext);
    feedback.information.clear();
    feedback.answers = {kAnswerYes};
    cancel_trigger = folder + "/" + c.trigger;
    cancel_when_there = c.run != &BatchDrivers::WipeAll;
    const BatchCounts counts = (drivers.*c.run)();

    EXPECT_TRUE(counts.cancelled) << c.told;
    EXPECT_FALSE(counts.interrupted);
    EXPECT_EQ(counts.done, 1u);
    EXPECT_EQ(feedback.information, std::vector<std::string>{c.told});
    EXPECT_EQ(window.status.back(), "Cancelled");
    EXPECT_EQ(Names(folder), c.left) << c.told;
    if (c.ext == std::string(".vld")) {
      EXPECT_EQ(ReadFile(folder + "/b.vld"), container_b);
    } else {
      EXPECT_EQ(ReadFile(folder + "/b.txt"), big);
    }
    EXPECT_FALSE(CancelRequested());
    EXPECT_TRUE(KeyString.empty());
  }
  cancel_trigger.clear();
  SetSafePointHook(nullptr);
}

// A group of five rows with one row failing at each position: in the
// middle of its own transfer (a folder instead of a file; the encryption's
// last row, whose temporary vanishes) or at the commit (its temporary gone
// before the rename). Every row ends untouched or done, none left half way.
std::string vanishing;  // a temporary the hook removes once the trigger is there
void RemoveOnTrigger() {
  if (!vanishing.empty() && Exists(cancel_trigger))
    std::filesystem::remove(std::exchange(vanishing, std::string()));
}

TEST_F(BatchTest, EveryRowOfAGroupEndsUntouchedOrDoneWhereverOneFails) {
  const std::size_t n = 5;
  const std::string last = test::SampleBytes(1 << 20);  // transfers through safe points
  enum Fault { Missing, TemporaryGone, WipeOfMissing };
  SetSafePointHook(RemoveOnTrigger);
  for (const Fault fault : {Missing, TemporaryGone, WipeOfMissing}) {
    for (std::size_t k = 0; k < n; ++k) {
      const std::string folder = dir / ("f" + std::to_string(fault) + std::to_string(k));
      std::filesystem::create_directory(folder);
      window.rows.clear();
      for (std::size_t i = 0; i < n; ++i) {
        const std::string path = folder + "/" + std::to_string(i) + ".txt";
        WriteFile(path, i + 1 == n ? last : path);
        window.rows.push_back(path);
      }
      const std::string failing = window.rows[k];
      if (fault != TemporaryGone)
        std::filesystem::remove(failing);
      if (fault == Missing)
        std::filesystem::create_directory(failing);
      cancel_trigger = folder + "/" + std::to_string(n - 1) + ".~tx";
      vanishing = fault == TemporaryGone ? folder + "/" + std::to_string(k) + ".~tx" : "";
      feedback.errors.clear();
      feedback.information.clear();
      feedback.answers = {kAnswerYes};
      const BatchCounts counts = fault == WipeOfMissing ? drivers.WipeAll() : drivers.EncryptAll();

      const std::string label = std::to_string(fault) + " at " + std::to_string(k);
      EXPECT_EQ(feedback.errors.size(), 1u) << label;
      EXPECT_EQ(counts.done, fault == WipeOfMissing ? n - 1 : k) << label;
      if (fault == WipeOfMissing) {
        EXPECT_EQ(feedback.information,
                  std::vector<std::string>{std::to_string(n - 1) + " files wiped."});
      }
      for (std::size_t i = 0; i < n; ++i) {
        const std::string source = folder + "/" + std::to_string(i) + ".txt";
        const std::string container = folder + "/" + std::to_string(i) + ".vld";
        const std::string plain = i + 1 == n ? last : source;
        const bool done = fault == WipeOfMissing ? i != k : i < k;
        if (done) {
          EXPECT_FALSE(Exists(source)) << label << ", row " << i;
          if (fault != WipeOfMissing) {
            EXPECT_EQ(std::filesystem::file_size(container), 255 + plain.size()) << label;
          }
        } else if (i != k || fault == TemporaryGone) {
          EXPECT_EQ(ReadFile(source), plain) << label << ", row " << i;
          EXPECT_FALSE(Exists(container)) << label << ", row " << i;
        }
      }
      for (const std::string& name : Names(folder)) {
        EXPECT_TRUE(name.ends_with(".txt") || name.ends_with(".vld")) << label << ": " << name;
      }
    }
  }
  cancel_trigger.clear();
  vanishing.clear();
  SetSafePointHook(nullptr);
}

// The same for decryption, which goes on past a failing row: its container
// stays whole and nothing of its plain bytes is left, the others are
// restored. Two containers storing one name both come back, neither over the
// other; a file the user would not have replaced stays as it was.
TEST_F(BatchTest, EveryRowOfADecryptionGroupEndsUntouchedOrDone) {
  const std::size_t n = 5;
  const std::string last = test::SampleBytes(1 << 20);
  enum Fault { Missing, TemporaryGone, NameClash, ReplaceDeclined };
  SetSafePointHook(RemoveOnTrigger);
  for (const Fault fault : {Missing, TemporaryGone, NameClash, ReplaceDeclined}) {
    for (std::size_t k = 0; k < n; ++k) {
      const std::string folder = dir / ("d" + std::to_string(fault) + std::to_string(k));
      const std::string name_k = std::to_string(k) + ".txt";
      std::filesystem::create_directories(folder + "/clash");
      std::vector<std::string> contents;  // of each row's plain file
      window.rows.clear();
      for (std::size_t i = 0; i < n; ++i) {
        const std::string path = folder + "/" + std::to_string(i) + ".txt";
        contents.push_back(i + 1 == n ? last : path);
        WriteFile(path, contents.back());
        window.rows.push_back(path);
      }
      drivers.EncryptAll();
      if (fault == NameClash) {  // row k stores the name of the row after it
        const std::string twin = std::to_string((k + 1) % n) + ".txt";
        contents[k] = "clash";
        WriteFile(folder + "/clash/" + twin, contents[k]);
        window.rows = {folder + "/clash/" + twin};
        drivers.EncryptAll();
        std::filesystem::rename(folder + "/clash/" + std::to_string((k + 1) % n) + ".vld",
                                folder + "/" + std::to_string(k) + ".vld");
      }
      std::filesystem::remove(folder + "/clash");
      std::vector<std::string> containers;
      window.rows.clear();
      for (std::size_t i = 0; i < n; ++i) {
        window.rows.push_back(folder + "/" + std::to_string(i) + ".vld");
        containers.push_back(ReadFile(window.rows.back()));
      }
      std::vector<std::string> expected;  // the plain files at the end
      if (fault == Missing) {
        std::filesystem::remove(window.rows[k]);
        std::filesystem::create_directory(window.rows[k]);
      } else if (fault == ReplaceDeclined) {
        WriteFile(folder + "/" + name_k, "theirs");
        expected.push_back("theirs");
      }
      for (std::size_t i = 0; i < n; ++i) {
        if (i != k || fault == NameClash)
          expected.push_back(contents[i]);
      }
      cancel_trigger = folder + "/" + std::to_string(n - 1) + ".~tx";
      vanishing = fault == TemporaryGone ? folder + "/" + std::to_string(k) + ".~tx" : "";
      feedback.questions.clear();
      feedback.information.clear();
      feedback.answers = {fault == ReplaceDeclined ? kAnswerNo : kAnswerYes};
      const std::string container_k = window.rows[k];
      const BatchCounts counts = drivers.DecryptAll();

      const std::string label = std::to_string(fault) + " at " + std::to_string(k);
      const std::size_t done = fault == NameClash ? n : n - 1;
      EXPECT_EQ(counts.done, done) << label;
      ASSERT_FALSE(feedback.information.empty()) << label;
      EXPECT_TRUE(
          feedback.information.back().starts_with(std::to_string(done) + " files decrypted."))
          << label << ": " << feedback.information.back();
      EXPECT_EQ(feedback.questions, fault == ReplaceDeclined
                                        ? std::vector<std::string>{name_k + " exists. Replace?"}
                                        : std::vector<std::string>{})
          << label;
      std::vector<std::string> plain;
      for (const std::string& name : Names(folder)) {
        const std::string path = folder + "/" + name;
        if (name.ends_with(".vld")) {
          EXPECT_TRUE(path == container_k && fault != NameClash) << label << ": " << name;
          if (fault != Missing) {
            EXPECT_EQ(ReadFile(path), containers[k]) << label;
          }
        } else {
          EXPECT_TRUE(name.ends_with(".txt")) << label << ": " << name;
          plain.push_back(ReadFile(path));
        }
      }
      std::sort(plain.begin(), plain.end());
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(plain, expected) << label;
    }
  }
  cancel_trigger.clear();
  vanishing.clear();
  SetSafePointHook(nullptr);
}

// A cancel while the fourth file of a group is written: the three before it
// are complete and checked, so they are committed; the fourth is untouched.
TEST_F(BatchTest, ACancelInsideAGroupCommitsTheFilesBeforeIt) {
  const std::string big = test::SampleBytes(1 << 20);
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}) {
    WriteFile(dir / name, name == std::string("d.txt") ? big : name);
    window.rows.push_back(dir / name);
  }
  cancel_trigger = dir / "d.~tx";
  cancel_when_there = true;
  SetSafePointHook(CancelOnTrigger);
  const BatchCounts counts = drivers.EncryptAll();
  SetSafePointHook(nullptr);
  cancel_trigger.clear();

  EXPECT_TRUE(counts.cancelled);
  EXPECT_EQ(counts.done, 3u);
  EXPECT_EQ(feedback.information, std::vector<std::string>{"Cancelled: 3 of 5 files encrypted."});
  EXPECT_EQ(Names(dir.path()),
            (std::vector<std::string>{"a.vld", "b.vld", "c.vld", "d.txt", "e.txt", "windows"}));
  EXPECT_EQ(ReadFile(dir / "d.txt"), big);
}

// A source written to after it was read and before its group is committed
// keeps what was written: it is not wiped, and the user is told.
std::string appended_to;
void AppendOnTrigger() {
  if (!appended_to.empty() && Exists(cancel_trigger)) {
    std::FILE* file = std::fopen(std::exchange(appended_to, std::string()).c_str(), "ab");
    std::fputs(" and more", file);
    std::fclose(file);
  }
}

// Runs a batch of a.* and b.*, appending to file once b's output is begun.
BatchCounts AppendingDuring(const std::string& file, const std::string& b_output,
                            const std::function<BatchCounts()>& run) {
  appended_to = file;
  cancel_trigger = b_output;
  SetSafePointHook(AppendOnTrigger);
  const BatchCounts counts = run();
  SetSafePointHook(nullptr);
  cancel_trigger.clear();
  return counts;
}

TEST_F(BatchTest, ASourceChangedBeforeItsGroupIsCommittedIsNotWiped) {
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "b.txt", test::SampleBytes(1 << 20));
  window.rows = {dir / "a.txt", dir / "b.txt"};
  const BatchCounts counts =
      AppendingDuring(dir / "a.txt", dir / "b.~tx", [&] { return drivers.EncryptAll(); });

  EXPECT_EQ(counts.done, 1u);
  EXPECT_EQ(ReadFile(dir / "a.txt"), "a and more");
  EXPECT_EQ(std::filesystem::file_size(dir / "a.vld"), 256u);
  EXPECT_FALSE(Exists(dir / "b.txt"));
  ASSERT_EQ(feedback.errors.size(), 1u);
  EXPECT_NE(feedback.errors[0].find("changed after it was encrypted"), std::string::npos);
}

// Likewise a container written to before its group is committed: it is
// kept, and the user is told.
TEST_F(BatchTest, AContainerChangedBeforeItsGroupIsCommittedIsKept) {
  WriteFile(dir / "a.txt", "a");
  WriteFile(dir / "b.txt", test::SampleBytes(1 << 20));
  window.rows = {dir / "a.txt", dir / "b.txt"};
  drivers.EncryptAll();
  window.rows = {dir / "a.vld", dir / "b.vld"};
  const BatchCounts counts =
      AppendingDuring(dir / "a.vld", dir / "b.~tx", [&] { return drivers.DecryptAll(); });

  EXPECT_EQ(counts.done, 2u);
  EXPECT_EQ(ReadFile(dir / "a.txt"), "a");
  EXPECT_EQ(std::filesystem::file_size(dir / "a.vld"), 256u + 9u);
  EXPECT_FALSE(Exists(dir / "b.vld"));
  ASSERT_EQ(feedback.errors.size(), 1u);
  EXPECT_NE(feedback.errors[0].find("changed after it was decrypted"), std::string::npos);
}

}  // namespace
}  // namespace vls
