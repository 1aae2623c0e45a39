// The batch drivers over a fake window: go-ahead, progress lines, stopping
// rules, summaries, and the window always returned to ready with the key gone.

#include "protect/Batch.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "cipher/Cipher.h"
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

}  // namespace
}  // namespace vls
