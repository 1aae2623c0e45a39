#pragma once
// The batch operations behind "OK": encrypt, decrypt or wipe every row of
// the work list, with the password or confirmation first, progress on the
// status line and the gauge, a summary, and the window returned to ready.

#include <cstdint>
#include <string>

#include "protect/Feedback.h"
#include "protect/RunRecord.h"
#include "protect/VolumeFacts.h"

namespace vls {

// What the drivers need of the main window besides the file routines' Feedback.
class BatchWindow {
 public:
  virtual ~BatchWindow() = default;
  // Shows a fresh password dialog modally; the key string stays empty on Cancel.
  virtual void RequestEncryptionKey() = 0;
  virtual void RequestDecryptionKey() = 0;
  virtual void BringToFront() = 0;
  // Busy: hourglass, LedBusy on, LedReady off, Gauge1 shown; ready: the reverse
  // with Gauge1 hidden and at 0.
  virtual void SetBusy(bool busy) = 0;
  // Hides "OK" and disables "&Clear" and "&Remove".
  virtual void DisableListButtons() = 0;
  // The status line, repainted at once when asked.
  virtual void SetStatusLine(const std::string& text, bool repaint_now) = 0;
  virtual std::size_t RowCount() const = 0;
  // Full path of row i (0-based), in list order.
  virtual std::string RowPath(std::size_t i) const = 0;
  // Removes every row and sets TotalBytes to 0.
  virtual void ClearList() = 0;
  // Makes the folder file list read its folder again.
  virtual void RereadFolder() = 0;
};

class BatchDrivers {
 public:
  BatchDrivers(BatchWindow& window, Feedback& feedback, VolumeFacts& volumes)
      : window_(window), feedback_(feedback), volumes_(volumes) {}

  void EncryptAll();
  void DecryptAll();
  void WipeAll();

 private:
  // Disposes of what earlier runs left and lists the rows in the run.
  void StartRun(RunRecord& run);
  void EndRun();

  BatchWindow& window_;
  Feedback& feedback_;
  VolumeFacts& volumes_;
};

// "Encrypting 2/12 PATH" + 15 blanks (the blanks overwrite longer earlier text).
std::string BatchStatusLine(const std::string& verb, std::size_t i, std::size_t n,
                            const std::string& path, bool trailing_blanks);

}  // namespace vls
