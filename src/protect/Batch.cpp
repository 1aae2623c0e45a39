#include "protect/Batch.h"

#include <exception>

#include "cipher/Cipher.h"
#include "platform/DisplayText.h"
#include "platform/Interruption.h"
#include "protect/Container.h"
#include "protect/PendingFiles.h"
#include "protect/ProtectState.h"
#include "protect/Wipe.h"

namespace vls {
namespace {

// Drops the key whatever way a batch ends.
struct KeyDropper {
  ~KeyDropper() { DropKey(); }
};

// The summary, followed by what the run had to tell about single files.
std::string WithNotes(std::string summary, const RunRecord& run) {
  if (!run.notes().empty())
    summary += "\n";
  for (const std::string& note : run.notes())
    summary += "\n" + note;
  return summary;
}

}  // namespace

std::string BatchStatusLine(const std::string& verb, std::size_t i, std::size_t n,
                            const std::string& path, bool trailing_blanks) {
  std::string line = verb + " " + std::to_string(i) + "/" + std::to_string(n) + " " + path;
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
  window_.SetStatusLine(std::string(), false);
  window_.RereadFolder();
  window_.SetBusy(false);
  window_.DisableListButtons();
  window_.ClearList();
}

void BatchDrivers::EncryptAll() {
  KeyDropper drop_key_at_end;
  window_.RequestEncryptionKey();
  if (KeyString.empty())
    return;

  window_.BringToFront();
  window_.SetBusy(true);
  window_.DisableListButtons();
  RunRecord run;
  StartRun(run);
  const CryptContext context{feedback_, volumes_, CryptPurpose::Batch, &run};
  const std::size_t n = window_.RowCount();
  for (std::size_t i = 0; i < n; ++i) {
    const std::string path = window_.RowPath(i);
    window_.SetStatusLine(BatchStatusLine("Encrypting", i + 1, n, path, true), true);
    bool done = false;
    try {
      ThrowIfInterrupted();
      done = CryptFile(path, kModeEncrypt, false, context);
    } catch (const Interrupted&) {
      break;  // the program is being stopped; the file has been cleaned up
    } catch (const std::exception& error) {
      // A file that cannot be read, or a source that could not be wiped
      // after its container was written: say which and why, then stop.
      feedback_.ShowError(DisplayText(error.what()));
    }
    if (!done)
      break;
  }
  EndRun();
}

void BatchDrivers::DecryptAll() {
  KeyDropper drop_key_at_end;
  window_.RequestDecryptionKey();
  window_.BringToFront();
  if (KeyString.empty())
    return;

  window_.DisableListButtons();
  window_.SetBusy(true);
  RunRecord run;
  StartRun(run);
  WrongKeyCount = 0;
  int decrypted = 0;
  const CryptContext context{feedback_, volumes_, CryptPurpose::Batch, &run};
  const std::size_t n = window_.RowCount();
  for (std::size_t i = 0; i < n; ++i) {
    const std::string path = window_.RowPath(i);
    window_.SetStatusLine(BatchStatusLine("Decrypting", i + 1, n, path, true), true);
    try {
      ThrowIfInterrupted();
      if (CryptFile(path, kModeDecrypt, false, context))
        ++decrypted;
    } catch (const Interrupted&) {
      EndRun();
      return;
    } catch (const std::exception& error) {
      feedback_.ShowError(DisplayText(error.what()));
    }
  }
  EndRun();
  std::string summary = std::to_string(decrypted) + " files decrypted";
  if (WrongKeyCount != 0) {
    summary += ", " + std::to_string(WrongKeyCount) + " files with wrong key.";
  } else {
    summary += ".";
  }
  feedback_.ShowInformation(WithNotes(summary, run));
}

void BatchDrivers::WipeAll() {
  if (feedback_.Ask("DELETE THE FILES ?") != kAnswerYes)
    return;
  window_.DisableListButtons();
  window_.SetBusy(true);
  const std::size_t n = window_.RowCount();
  std::size_t wiped = 0;
  std::string failures;
  for (std::size_t i = 0; i < n; ++i) {
    // A stop request ends the run between files: a wipe once begun is finished.
    if (InterruptSignal() != 0)
      break;
    const std::string path = window_.RowPath(i);
    try {
      WipeFile(path, feedback_);
      ++wiped;
    } catch (const std::exception& error) {
      failures += "\n" + DisplayText(error.what());
    }
    window_.SetStatusLine(BatchStatusLine("Wiping", i + 1, n, path, false), false);
  }
  window_.SetStatusLine(std::string(), false);
  // Only files that are really gone count as wiped; the others are named.
  if (!failures.empty())
    feedback_.ShowError("These files could not be wiped:" + failures);
  feedback_.ShowInformation(std::to_string(wiped) + " files wiped.");
  window_.ClearList();
  window_.RereadFolder();
  window_.SetBusy(false);
  window_.DisableListButtons();
}

}  // namespace vls
