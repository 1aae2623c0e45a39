#pragma once
// The lifetime of an armed key on the "&Viewer" and "&Launcher" pages. Once a
// decryption there has succeeded the key stays armed, so further files open
// without a prompt; a small gauge on each page drains one step per tick of
// Timer1 (30 s) while the key is unused, and the key is dropped on the sixth
// tick or at once by "Put the Key off".
//
// The object holds only the key age counter. The key itself is the
// process-wide KeyString (cipher/Cipher.h); the window is reached through the
// KeyWindow interface, which the main window implements and tests fake.

namespace vls {

// Interval of the main window's Timer1 that drives KeyLifetime::Timer1Timer.
inline constexpr int kKeyTimerIntervalMs = 30000;
// Ticks without use after which the key ends; also the gauges' maximum.
inline constexpr int kKeyTicks = 6;

// Which page's pair of key indicators: ButKeyOff + GaugeKey on the viewer
// page, ButKeyOff2 + GaugeKey2 on the launcher page. The button and the gauge
// of a page are always shown and hidden together.
enum class KeyPage { Viewer, Launcher };

// What the key lifetime needs of the main window.
class KeyWindow {
 public:
  virtual ~KeyWindow() = default;

  // Shows or hides the page's "Put the Key off" button and its gauge.
  virtual void SetKeyIndicatorsVisible(KeyPage page, bool visible) = 0;
  // Progress of GaugeKey (Viewer) or GaugeKey2 (Launcher), 0..6.
  virtual void SetKeyGauge(KeyPage page, int progress) = 0;
  // Enables or disables Timer1. Enabling an enabled timer must not restart
  // it (a QTimer restarts on start(), so check isActive() first).
  virtual void SetKeyTimerEnabled(bool enabled) = 0;
  // True when the "En&crypt/Decrypt" page (page 0) is the current page.
  virtual bool IsEncryptPageCurrent() const = 0;
  // Empties the status line HintLb.
  virtual void ClearStatusLine() = 0;
  // Disables View_Maximize, View_Delete and View_FullScreen.
  virtual void DisableViewerButtons() = 0;
  // Gives View_PMultiMedia1 an empty media name (dropping its picture) and
  // makes it visible; hides GIFImage1.
  virtual void ClearViewerPicture() = 0;
  // Repaints the main window at once.
  virtual void RepaintWindow() = 0;
};

class KeyLifetime {
 public:
  // The window must outlive this object.
  explicit KeyLifetime(KeyWindow& window) : window_(window) {}
  KeyLifetime(const KeyLifetime&) = delete;
  KeyLifetime& operator=(const KeyLifetime&) = delete;

  // The key was used: the age starts again from 0. The timer is left alone,
  // so the next tick still comes on the timer's own schedule.
  void Use() { age_ = 0; }

  // After a successful decryption on the viewer page: shows ButKeyOff and
  // GaugeKey, enables Timer1 unless page 0 is current, fills GaugeKey,
  // repaints.
  void ArmViewer();
  // After a successful decryption on the launcher page: the viewer pair is
  // shown and filled as well (both gauges drain together), Timer1 is enabled
  // whatever the page, then ButKeyOff2 and GaugeKey2 are shown and filled.
  void ArmLauncher();

  // Empties the key string and zeroes everything derived from it. The
  // indicators, the timer and the age are left as they are; callers that
  // also hide the indicators (page switch, wrong key on the launcher) call
  // HideIndicators.
  void Drop();
  // Hides all four indicators.
  void HideIndicators();

  // One tick of Timer1: the age grows by one, both gauges show what is left,
  // and on the sixth tick the key ends (see EndKey). The timer is not
  // stopped, so on a page that stays current every sixth tick repeats the
  // end, which by then only empties the status line.
  void Timer1Timer();
  // "Put the Key off" (both ButKeyOff and ButKeyOff2): ends the key at once
  // through one tick from age 5, which also takes both gauges to 0.
  void ButKeyOffClick();

  // Ticks since the last use, 0..5 between ticks.
  int age() const { return age_; }

 private:
  void EndKey();

  KeyWindow& window_;
  int age_ = 0;
};

}  // namespace vls
