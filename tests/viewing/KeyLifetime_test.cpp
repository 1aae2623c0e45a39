// The key lifetime: arming on each page, six ticks to the end, "Put the Key
// off", uses that keep a key alive, a drop that leaves the gauge draining and
// a timer that goes on ticking after the key has ended.

#include "viewing/KeyLifetime.h"

#include <gtest/gtest.h>

#include <string>

#include "cipher/Cipher.h"
#include "support/TestSupport.h"

namespace vls {
namespace {

// The window as the key lifetime sees it.
class FakeKeyWindow : public KeyWindow {
 public:
  struct Pair {
    bool visible = false;
    int gauge = kKeyTicks;
  };

  void SetKeyIndicatorsVisible(KeyPage page, bool visible) override {
    At(page).visible = visible;
    last_call = "indicators";
  }
  void SetKeyGauge(KeyPage page, int progress) override {
    At(page).gauge = progress;
    last_call = "gauge";
  }
  void SetKeyTimerEnabled(bool enabled) override {
    timer_enabled = enabled;
    last_call = "timer";
  }
  bool IsEncryptPageCurrent() const override { return page0; }
  void ClearStatusLine() override {
    status = "";
    ++status_clears;
  }
  void DisableViewerButtons() override { viewer_buttons_enabled = false; }
  void ClearViewerPicture() override { picture = ""; }
  void RepaintWindow() override { last_call = "repaint"; }

  Pair& At(KeyPage page) { return page == KeyPage::Viewer ? viewer : launcher; }

  bool page0 = false;
  Pair viewer, launcher;
  bool timer_enabled = false;
  std::string status = "picture.jpg  640 x 480";
  int status_clears = 0;
  bool viewer_buttons_enabled = true;
  std::string picture = "the decrypted picture";
  std::string last_call;
};

class KeyLifetimeTest : public ::testing::Test {
 protected:
  void SetUp() override { test::SetKey("secret"); }
  void TearDown() override { DropKey(); }

  void Tick(int times) {
    for (int i = 0; i < times; ++i) {
      key.Timer1Timer();
    }
  }
  bool KeyBytesAreZero() const {
    for (std::size_t i = 0; i < KeyStringSlot::kCapacity; ++i) {
      if (KeyString[i] != 0)
        return false;
    }
    return true;
  }
  void ExpectEnded() {
    EXPECT_TRUE(KeyString.empty());
    EXPECT_TRUE(KeyBytesAreZero());
    EXPECT_EQ(window.status, "");
    EXPECT_FALSE(window.viewer_buttons_enabled);
    EXPECT_EQ(window.picture, "");
    EXPECT_FALSE(window.viewer.visible);
    EXPECT_FALSE(window.launcher.visible);
    EXPECT_EQ(key.age(), 0);
  }

  FakeKeyWindow window;
  KeyLifetime key{window};
};

TEST_F(KeyLifetimeTest, ArmViewerShowsAFullGaugeAndStartsTheTimerOffPageZero) {
  window.viewer.gauge = 2;
  key.ArmViewer();
  EXPECT_TRUE(window.viewer.visible);
  EXPECT_EQ(window.viewer.gauge, kKeyTicks);
  EXPECT_FALSE(window.launcher.visible);
  EXPECT_TRUE(window.timer_enabled);
  EXPECT_EQ(window.last_call, "repaint");

  // A picture shown while page 0 is current arms the key without a countdown.
  FakeKeyWindow on_page0;
  on_page0.page0 = true;
  KeyLifetime(on_page0).ArmViewer();
  EXPECT_TRUE(on_page0.viewer.visible);
  EXPECT_FALSE(on_page0.timer_enabled);
}

TEST_F(KeyLifetimeTest, ArmLauncherShowsBothPairsFullAndAlwaysStartsTheTimer) {
  window.page0 = true;
  key.ArmLauncher();
  EXPECT_TRUE(window.viewer.visible);
  EXPECT_TRUE(window.launcher.visible);
  EXPECT_EQ(window.viewer.gauge, kKeyTicks);
  EXPECT_EQ(window.launcher.gauge, kKeyTicks);
  EXPECT_TRUE(window.timer_enabled);
  EXPECT_EQ(window.last_call, "repaint");
}

TEST_F(KeyLifetimeTest, GaugesDrainForFiveTicksAndTheSixthEndsTheKey) {
  key.ArmLauncher();
  for (int tick = 1; tick <= 5; ++tick) {
    key.Timer1Timer();
    EXPECT_EQ(window.viewer.gauge, kKeyTicks - tick);
    EXPECT_EQ(window.launcher.gauge, kKeyTicks - tick);
    EXPECT_EQ(KeyString.view(), "secret") << "tick " << tick;
    EXPECT_TRUE(window.viewer.visible);
    EXPECT_TRUE(window.launcher.visible);
    EXPECT_EQ(window.status_clears, 0);
  }
  key.Timer1Timer();
  EXPECT_EQ(window.viewer.gauge, 0);
  EXPECT_EQ(window.launcher.gauge, 0);
  ExpectEnded();
  // The key ending does not stop the timer.
  EXPECT_TRUE(window.timer_enabled);
}

TEST_F(KeyLifetimeTest, PutTheKeyOffWithTheGaugeAtThreeEndsItAtOnce) {
  key.ArmLauncher();
  Tick(3);
  ASSERT_EQ(window.viewer.gauge, 3);
  ASSERT_FALSE(KeyString.empty());

  key.ButKeyOffClick();
  EXPECT_EQ(window.viewer.gauge, 0);
  EXPECT_EQ(window.launcher.gauge, 0);
  ExpectEnded();

  // The next end comes a full six ticks later.
  Tick(5);
  EXPECT_EQ(window.status_clears, 1);
  Tick(1);
  EXPECT_EQ(window.status_clears, 2);
}

TEST_F(KeyLifetimeTest, AUseBeforeTheSixthTickKeepsTheKeyArmed) {
  key.ArmViewer();
  // A use on every tick, then a use every fourth tick (a click every two
  // minutes), then a use after five ticks: the key never ends.
  for (int i = 0; i < 50; ++i) {
    key.Use();
    Tick(1);
  }
  for (int i = 0; i < 20; ++i) {
    key.Use();
    Tick(4);
  }
  for (int i = 0; i < 20; ++i) {
    key.Use();
    Tick(5);
    EXPECT_EQ(window.viewer.gauge, 1);
  }
  EXPECT_EQ(KeyString.view(), "secret");
  EXPECT_TRUE(window.viewer.visible);
  EXPECT_EQ(window.status_clears, 0);

  // Left alone from here, it ends on the sixth tick after the last use.
  key.Use();
  Tick(5);
  EXPECT_FALSE(KeyString.empty());
  Tick(1);
  ExpectEnded();
}

TEST_F(KeyLifetimeTest, AfterTheEndEverySixthTickOnlyEmptiesTheStatusLine) {
  key.ArmViewer();
  Tick(6);
  ASSERT_EQ(window.status_clears, 1);

  for (int round = 2; round <= 4; ++round) {
    window.status = "a later status line";
    Tick(5);
    EXPECT_EQ(window.status, "a later status line");
    EXPECT_EQ(window.status_clears, round - 1);
    Tick(1);
    EXPECT_EQ(window.status, "");
    EXPECT_EQ(window.status_clears, round);
    EXPECT_TRUE(KeyString.empty());
    EXPECT_FALSE(window.viewer.visible);
    EXPECT_EQ(key.age(), 0);
  }
}

TEST_F(KeyLifetimeTest, DropEmptiesTheKeyButLeavesGaugeTimerAndAge) {
  // A wrong key on the viewer page: the gauge keeps draining and disappears
  // at the next key end.
  key.ArmViewer();
  Tick(2);
  key.Drop();
  EXPECT_TRUE(KeyString.empty());
  EXPECT_TRUE(KeyBytesAreZero());
  EXPECT_TRUE(window.viewer.visible);
  EXPECT_TRUE(window.timer_enabled);
  EXPECT_EQ(key.age(), 2);

  Tick(3);
  EXPECT_TRUE(window.viewer.visible);
  EXPECT_EQ(window.viewer.gauge, 1);
  Tick(1);
  ExpectEnded();
}

}  // namespace
}  // namespace vls
