#pragma once
// Recording fakes of what the viewer, launcher and slide show flows talk to,
// and a fixture with private folders, real containers and a check that no
// plain copy, key byte or lock outlives a flow.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cipher/Cipher.h"
#include "protect/Container.h"
#include "protect/ProtectState.h"
#include "support/TestSupport.h"
#include "viewing/LauncherFlow.h"
#include "viewing/SlideShowFlow.h"

namespace vls::test {

inline constexpr const char* kKey = "open sesame";
inline constexpr const char* kWrongKey = "not the key";

// [text], "{path}" in it standing for path; [] when text is empty.
inline std::vector<std::string> Maybe(std::string text, const std::string& path = "") {
  if (const auto at = text.find("{path}"); at != std::string::npos)
    text.replace(at, 6, path);
  return text.empty() ? std::vector<std::string>() : std::vector<std::string>{text};
}

// Everything around the flows in one recording fake: the main window (as
// the flows and the key lifetime see it), the picture show and the desktop's
// programs, so one log tells the whole story in order. The password dialog
// answers from a queue ("" or an empty queue cancels); the slide show's waits
// end on the keys of a queue, and run out their time once it is empty; a
// shown copy not holding the plain bytes expected(copy) gives is logged with
// "(!)", and one whose name (less its extension) is in unreadable is refused
// with those words; Open logs the bytes it was given.
class FakeDesktop : public ViewerWindow,
                    public LauncherWindow,
                    public KeyWindow,
                    public SlideShowWindow,
                    public PictureShow,
                    public FileOpener {
 public:
  void RequestDecryptionKey() override {
    log.push_back("asked");
    if (answers.empty())
      return;
    SetKey(answers.front());
    answers.erase(answers.begin());
  }
  void SetViewBusy(bool on) override { busy = on; }
  void SetLaunchBusy(bool on) override { busy = on; }
  void PrepareView(bool) override { ++prepared; }
  void SetStatusLine(const std::string& text) override { log.push_back("status " + text); }
  void ForgetShownPicture() override { log.push_back("forget"); }
  void ShowPictureInfo(const std::string& name, std::int64_t size, bool sealed) override {
    info = name + " " + std::to_string(size) + (sealed ? ", sealed" : "");
    if (on_info)
      on_info();
  }
  void ClearViewerPicture() override {}
  void StopKeyTimer() override { log.push_back("timer stopped"); }
  void RereadFolder() override { log.push_back("reread"); }
  void SetKeyIndicatorsVisible(KeyPage page, bool on) override {
    indicators[page == KeyPage::Launcher] = on;
  }
  void SetKeyGauge(KeyPage, int) override {}
  void SetKeyTimerEnabled(bool enabled) override { timer = enabled; }
  bool IsEncryptPageCurrent() const override { return false; }
  void ClearStatusLine() override {}
  void DisableViewerButtons() override {}
  void RepaintWindow() override {}
  std::size_t RowCount() const override { return rows.size(); }
  std::string RowPath(std::size_t i) const override { return rows.at(i); }
  void StepAside() override { log.push_back("aside"); }
  SlideKey WaitForKey(int rounds) override {
    log.push_back(rounds == kSlideRounds   ? "wait"
                  : rounds == kSlidePaused ? "wait paused"
                                           : "wait " + std::to_string(rounds));
    if (keys.empty())
      return SlideKey::Elapsed;
    const SlideKey key = keys.front();
    keys.erase(keys.begin());
    return key;
  }
  void ShowPaused(bool paused) override { log.push_back(paused ? "paused" : "going on"); }
  void PutAway() override { log.push_back("away"); }
  void ShowMissing() override { log.push_back("missing"); }
  ShowOutcome ShowPlainPicture(std::span<const std::uint8_t> bytes,
                               const std::string& stored_name) override {
    const bool right = std::string(bytes.begin(), bytes.end()) == expected(stored_name);
    const std::string stem = std::filesystem::path(stored_name).stem().string();
    log.push_back("show " + stem + (right ? "" : " (!)"));
    if (on_show)
      on_show();
    const auto refused = unreadable.find(stem);
    return refused == unreadable.end() ? ShowOutcome{} : ShowOutcome{false, refused->second};
  }
  std::string ProgramFor(const std::string&) override {
    return throws ? throw std::runtime_error("desktop gone") : program;
  }
  std::string Open(const std::string& file) override {
    log.push_back("open " + ReadFile(file));
    return failure;
  }

  std::vector<std::string> log, answers, rows;
  bool busy = false, timer = false, throws = false;
  bool indicators[2] = {false, false};  // viewer page, launcher page
  std::vector<SlideKey> keys;
  int prepared = 0;
  std::string info, program = "Recorder", failure;
  std::map<std::string, std::string> unreadable;
  std::function<std::string(const std::string&)> expected;
  std::function<void()> on_info, on_show;
};

class FlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProtectState();
    WindowsFolder = dir / "windows";
    TempFolder = dir / "windows/TEMP";
    ::mkdir((dir / "docs").c_str(), 0700);
    fake.expected = [this](const std::string&) { return plain; };
  }
  void TearDown() override {
    DropKey();
    ResetProtectState();
  }

  std::string Docs(const std::string& name) const { return dir / ("docs/" + name); }
  std::vector<std::string> DocsList() const { return TempDir::ListOf(dir / "docs"); }

  // A container in docs holding bytes under the stored name, renamed if asked.
  std::string Make(const std::string& stored, const std::string& bytes,
                   const std::string& renamed = "") {
    WriteFile(Docs(stored), bytes);
    SetKey(kKey);
    SilentFeedback quiet;
    const CryptResult made =
        CryptFile(Docs(stored), kModeEncrypt, false, {quiet, volumes, CryptPurpose::Batch});
    DropKey();
    EXPECT_TRUE(made.done()) << stored;
    if (renamed.empty())
      return made.output;
    EXPECT_EQ(std::rename(made.output.c_str(), Docs(renamed).c_str()), 0);
    return Docs(renamed);
  }

  // What every way out of a flow leaves: no plain copy in TempFolder (the
  // slide show's folder is in it) and no pending record, both under
  // WindowsFolder; no key bytes in the shared buffer; the lock and window free.
  void ExpectCleanEnd() {
    std::vector<std::string> left;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(WindowsFolder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
      if (!it->is_directory())
        left.push_back(it->path().string());
    }
    EXPECT_EQ(left, std::vector<std::string>());
    const std::string_view buffer(reinterpret_cast<const char*>(WorkBuffer.data()),
                                  WorkBuffer.size());
    EXPECT_EQ(buffer.find(kKey), std::string_view::npos);
    EXPECT_EQ(buffer.find(kWrongKey), std::string_view::npos);
    EXPECT_FALSE(lock.busy);
    EXPECT_FALSE(fake.busy);
  }

  TempDir dir;
  RecordingFeedback feedback;
  FixedVolumeFacts volumes;
  FakeDesktop fake;
  KeyLifetime keys{fake};
  FlowLock lock;
  ViewerFlow viewer{fake, feedback, volumes, keys, lock};
  LauncherFlow launcher{fake, feedback, volumes, keys, fake, lock};
  std::string plain = SampleBytes(5000);  // what a shown copy must hold
};

}  // namespace vls::test
