#pragma once
// The batch operations behind "OK" (and the command line): encrypt, decrypt
// or wipe every row of a list, with the password or confirmation first,
// progress on the status line and the gauge, a summary, and the front end
// returned to ready. The window and the terminal are two BatchWindows over
// this one engine.

#include <cstdint>
#include <string>

#include "protect/Container.h"
#include "protect/Feedback.h"
#include "protect/RunRecord.h"
#include "protect/VolumeFacts.h"

namespace vls {

// What the drivers need of the front end besides the file routines' Feedback.
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
  // One row is through (a front end may say more about it).
  virtual void FileDone(const std::string& /*path*/, const CryptResult& /*result*/) {}
  // Whether the feedback's notices reach the user as they come (a terminal
  // line) rather than on a status line the next file overwrites; if not,
  // the summary repeats them.
  virtual bool ShowsNoticesAsTheyCome() const { return false; }
};

// How a run went.
struct BatchCounts {
  bool started = false;      // the password or confirmation was given
  bool interrupted = false;  // a stop request ended the run early
  bool cancelled = false;    // the user stopped the run; the program goes on
  std::size_t rows = 0;
  std::size_t done = 0;  // encrypted, decrypted or wiped
};

class BatchDrivers {
 public:
  BatchDrivers(BatchWindow& window, Feedback& feedback, VolumeFacts& volumes)
      : window_(window), feedback_(feedback), volumes_(volumes) {}

  BatchCounts EncryptAll();
  BatchCounts DecryptAll();
  BatchCounts WipeAll();

  // A decryption keeps the containers (the command line's --keep).
  void SetKeepContainers(bool keep) { keep_containers_ = keep; }
  // Many small files are flushed together (on by default); off, each file is
  // flushed on its own, as a single file always is (for measurements).
  void SetGroupCommit(bool on) { group_commit_ = on; }

 private:
  // Disposes of what earlier runs left and lists the rows in the run.
  void StartRun(RunRecord& run);
  // CryptFile over every row, the status line before each; an encryption
  // stops at the first failure, either at a stop request.
  void CryptRows(int mode, RunRecord& run, BatchCounts& counts);
  void EndRun();
  // "Cancelled: " after a cancel (also said on the status line), else "".
  std::string SummaryStart(const BatchCounts& counts);
  std::string WithNotes(std::string summary, const RunRecord& run) const;

  BatchWindow& window_;
  Feedback& feedback_;
  VolumeFacts& volumes_;
  bool keep_containers_ = false;
  bool group_commit_ = true;
};

// "Encrypting 2/12 PATH" + 15 blanks (the blanks overwrite longer earlier
// text); the path as DisplayText shows it.
std::string BatchStatusLine(const std::string& verb, std::size_t i, std::size_t n,
                            const std::string& path, bool trailing_blanks);

}  // namespace vls
