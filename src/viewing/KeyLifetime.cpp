#include "viewing/KeyLifetime.h"

#include "cipher/Cipher.h"

namespace vls {

void KeyLifetime::ArmViewer() {
  window_.SetKeyIndicatorsVisible(KeyPage::Viewer, true);
  // A picture may also be shown from page 0 (the command line, a drop);
  // the key does not count down there.
  if (!window_.IsEncryptPageCurrent()) {
    window_.SetKeyTimerEnabled(true);
  }
  window_.SetKeyGauge(KeyPage::Viewer, kKeyTicks);
  window_.RepaintWindow();
}

void KeyLifetime::ArmLauncher() {
  window_.SetKeyIndicatorsVisible(KeyPage::Viewer, true);
  window_.SetKeyTimerEnabled(true);
  window_.SetKeyGauge(KeyPage::Viewer, kKeyTicks);
  window_.RepaintWindow();
  window_.SetKeyIndicatorsVisible(KeyPage::Launcher, true);
  window_.SetKeyGauge(KeyPage::Launcher, kKeyTicks);
  window_.RepaintWindow();
}

void KeyLifetime::Drop() {
  DropKey();
}

void KeyLifetime::HideIndicators() {
  window_.SetKeyIndicatorsVisible(KeyPage::Viewer, false);
  window_.SetKeyIndicatorsVisible(KeyPage::Launcher, false);
}

void KeyLifetime::Timer1Timer() {
  ++age_;
  window_.SetKeyGauge(KeyPage::Viewer, kKeyTicks - age_);
  window_.SetKeyGauge(KeyPage::Launcher, kKeyTicks - age_);
  if (age_ >= kKeyTicks) {
    EndKey();
  }
}

void KeyLifetime::ButKeyOffClick() {
  age_ = kKeyTicks - 1;
  Timer1Timer();
}

void KeyLifetime::EndKey() {
  DropKey();
  window_.ClearStatusLine();
  // The decrypted picture lives only in the viewer's memory: take it away
  // together with the buttons that act on it.
  window_.DisableViewerButtons();
  window_.ClearViewerPicture();
  age_ = 0;
  HideIndicators();
}

}  // namespace vls
