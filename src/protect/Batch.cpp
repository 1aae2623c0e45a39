#include "protect/Batch.h"

#include <exception>

#include "cipher/Cipher.h"
#include "platform/AtExit.h"
#include "platform/DisplayText.h"
#include "platform/Interruption.h"
#include "protect/PendingFiles.h"
#include "protect/ProtectState.h"
#include "protect/Wipe.h"

namespace vls {
std::string BatchStatusLine(const std::string& verb, std::size_t i, std::size_t n,
                            const std::string& path, bool trailing_blanks) {
  std::string line =
      verb + " " + std::to_string(i) + "/" + std::to_string(n) + " " + DisplayText(path);
  if (trailing_blanks)
    line += std::string(15, ' ');
  return line;
}

void BatchDrivers::StartRun(RunRecord& run) {
  // What earlier runs left half done (killed, crashed) is finished first.
  const std::vector<std::string> failures = DisposeOfStaleLeftovers(feedback_);
  if (!failures.empty()) {
    std::string text = "Files left by an earlier run could not be wiped:";
    for (const std::string& failure : failures)
      text += "\n" + DisplayText(failure);
    feedback_.ShowError(text);
  }
  for (std::size_t i = 0; i < window_.RowCount(); ++i)
    run.List(window_.RowPath(i));
}

void BatchDrivers::EndRun() {
  ClearCancelRequest();  // seen by this run; the next one starts afresh
  window_.SetStatusLine(std::string(), false);
  window_.RereadFolder();
  window_.SetBusy(false);
  window_.DisableListButtons();
  window_.ClearList();
}

// The summary, followed by what the run had to tell about single files
// where the front end could not show it as it came.
std::string BatchDrivers::WithNotes(std::string summary, const RunRecord& run) const {
  if (window_.ShowsNoticesAsTheyCome() || run.notes().empty())
    return summary;
  summary += "\n";
  for (const std::string& note : run.notes())
    summary += "\n" + note;
  return summary;
}

void BatchDrivers::CryptRows(int mode, RunRecord& run, BatchCounts& counts) {
  const bool encrypting = mode == kModeEncrypt;
  StartRun(run);
  const CryptContext context{feedback_, volumes_, CryptPurpose::Batch, &run};
  counts.rows = window_.RowCount();
  for (std::size_t i = 0; i < counts.rows; ++i) {
    const std::string path = window_.RowPath(i);
    window_.SetStatusLine(
        BatchStatusLine(encrypting ? "Encrypting" : "Decrypting", i + 1, counts.rows, path, true),
        true);
    try {
      ThrowIfInterrupted();
      const CryptResult result =
          CryptFile(path, mode, encrypting ? false : keep_containers_, context);
      window_.FileDone(path, result);
      if (result) {
        ++counts.done;
      } else if (encrypting) {
        break;  // the first file that fails ends an encryption; it has said why
      }
    } catch (const Interrupted& stop) {
      // The file has been cleaned up: its source is as it was.
      (stop.cancelled() ? counts.cancelled : counts.interrupted) = true;
      break;
    }
  }
}

// The start of a run's summary: after a cancel the status line says so and
// the summary begins "Cancelled: ".
std::string BatchDrivers::SummaryStart(const BatchCounts& counts) {
  if (!counts.cancelled)
    return std::string();
  window_.SetStatusLine("Cancelled", true);
  return "Cancelled: ";
}

BatchCounts BatchDrivers::EncryptAll() {
  AtExit drop_key_at_end([] { DropKey(); });
  BatchCounts counts;
  window_.RequestEncryptionKey();
  if (KeyString.empty())
    return counts;
  counts.started = true;

  window_.BringToFront();
  window_.SetBusy(true);
  window_.DisableListButtons();
  RunRecord run;
  ClearCancelRequest();
  CryptRows(kModeEncrypt, run, counts);
  EndRun();
  // An encryption has no summary of its own; a cancelled one tells how far it came.
  if (counts.cancelled) {
    feedback_.ShowInformation(SummaryStart(counts) + std::to_string(counts.done) + " of " +
                              std::to_string(counts.rows) + " files encrypted.");
  }
  return counts;
}

BatchCounts BatchDrivers::DecryptAll() {
  AtExit drop_key_at_end([] { DropKey(); });
  BatchCounts counts;
  window_.RequestDecryptionKey();
  window_.BringToFront();
  if (KeyString.empty())
    return counts;
  counts.started = true;

  window_.DisableListButtons();
  window_.SetBusy(true);
  RunRecord run;
  WrongKeyCount = 0;
  ClearCancelRequest();
  CryptRows(kModeDecrypt, run, counts);
  EndRun();
  if (counts.interrupted)
    return counts;
  std::string summary = SummaryStart(counts) + std::to_string(counts.done) + " files decrypted";
  if (WrongKeyCount != 0) {
    summary += ", " + std::to_string(WrongKeyCount) + " files with wrong key.";
  } else {
    summary += ".";
  }
  feedback_.ShowInformation(WithNotes(summary, run));
  return counts;
}

BatchCounts BatchDrivers::WipeAll() {
  BatchCounts counts;
  if (feedback_.Ask("DELETE THE FILES ?") != kAnswerYes)
    return counts;
  counts.started = true;
  window_.DisableListButtons();
  window_.SetBusy(true);
  RunRecord run;
  ClearCancelRequest();
  StartRun(run);
  counts.rows = window_.RowCount();
  std::string failures;
  for (std::size_t i = 0; i < counts.rows; ++i) {
    // A stop request ends the run between files: a wipe once begun is finished.
    KeepResponsive();
    if (InterruptSignal() != 0 || CancelRequested()) {
      (InterruptSignal() != 0 ? counts.interrupted : counts.cancelled) = true;
      break;
    }
    const std::string path = window_.RowPath(i);
    try {
      WipeFile(path, feedback_);
      ++counts.done;
    } catch (const std::exception& error) {
      failures += "\n" + DisplayText(error.what());
    }
    window_.SetStatusLine(BatchStatusLine("Wiping", i + 1, counts.rows, path, false), false);
  }
  window_.SetStatusLine(std::string(), false);
  ClearCancelRequest();
  // Only files that are really gone count as wiped; the others are named.
  if (!failures.empty())
    feedback_.ShowError("These files could not be wiped:" + failures);
  feedback_.ShowInformation(SummaryStart(counts) + std::to_string(counts.done) + " files wiped.");
  window_.ClearList();
  window_.RereadFolder();
  window_.SetBusy(false);
  window_.DisableListButtons();
  return counts;
}

}  // namespace vls
