#include "protect/Batch.h"

#include <sys/stat.h>

#include <exception>

#include "cipher/Cipher.h"
#include "platform/AtExit.h"
#include "platform/DisplayText.h"
#include "platform/Interruption.h"
#include "protect/CryptGroup.h"
#include "protect/PendingFiles.h"
#include "protect/ProtectState.h"
#include "protect/Wipe.h"

namespace vls {
namespace {

// A file's size for the group's bounds; 0 when it cannot be read (the file
// routine then says why).
std::uint64_t SizeOrZero(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

}  // namespace

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
  // One file alone is flushed on its own, as always.
  const bool grouping = group_commit_ && counts.rows > 1;
  const bool keep_source = encrypting ? false : keep_containers_;
  CryptGroup group(mode, context, keep_source);
  bool stop = false;
  const auto file_done = [&](const std::string& path, const CryptResult& result) {
    window_.FileDone(path, result);
    if (result) {
      ++counts.done;
    } else if (encrypting) {
      stop = true;  // the first file that fails ends an encryption; it has said why
    }
  };
  const auto commit = [&] {
    for (const auto& [path, result] : group.Commit())
      file_done(path, result);
  };
  for (std::size_t i = 0; i < counts.rows && !stop; ++i) {
    const std::string path = window_.RowPath(i);
    const std::uint64_t size = grouping ? SizeOrZero(path) : 0;
    if (grouping && !group.Takes(path, size)) {
      commit();
      if (stop)
        break;
    }
    window_.SetStatusLine(
        BatchStatusLine(encrypting ? "Encrypting" : "Decrypting", i + 1, counts.rows, path, true),
        true);
    try {
      ThrowIfInterrupted();
      if (grouping && group.Takes(path, size)) {
        // Staged: how it ends is known once the group is committed.
        if (const CryptResult result = group.Add(path); !result)
          file_done(path, result);
      } else {
        file_done(path, CryptFile(path, mode, keep_source, context));
      }
    } catch (const Interrupted& stop_request) {
      // The file has been cleaned up: its source is as it was.
      (stop_request.cancelled() ? counts.cancelled : counts.interrupted) = true;
      break;
    }
  }
  // What is staged is complete and checked: committed also after a failure
  // or a stop request, so every file ends untouched or done.
  commit();
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
  // The files are wiped in groups, one flush per step for each group (a
  // group of one is wiped as WipeFile does); the status line names each
  // file once it is overwritten.
  WipeGroup group(feedback_);
  std::vector<std::size_t> members;  // rows in the group
  std::uint64_t group_bytes = 0;
  const auto finish_group = [&] {
    const std::vector<std::exception_ptr> errors = group.Finish([&](std::size_t m) {
      window_.SetStatusLine(BatchStatusLine("Wiping", members[m] + 1, counts.rows,
                                            window_.RowPath(members[m]), false),
                            false);
    });
    for (const std::exception_ptr& error : errors) {
      try {
        if (error)
          std::rethrow_exception(error);
        ++counts.done;
      } catch (const std::exception& failure) {
        failures += "\n" + DisplayText(failure.what());
      }
    }
    members.clear();
    group_bytes = 0;
  };
  for (std::size_t i = 0; i < counts.rows; ++i) {
    // A stop request ends the run between files: a wipe once begun is finished.
    KeepResponsive();
    if (InterruptSignal() != 0 || CancelRequested()) {
      (InterruptSignal() != 0 ? counts.interrupted : counts.cancelled) = true;
      break;
    }
    const std::string path = window_.RowPath(i);
    const std::uint64_t size = SizeOrZero(path);
    const std::size_t group_limit = group_commit_ ? kGroupFiles : 1;
    if (!members.empty() && (members.size() >= group_limit || group_bytes + size > kGroupBytes))
      finish_group();
    try {
      group.Add(path);
      members.push_back(i);
      group_bytes += size;
    } catch (const std::exception& error) {
      failures += "\n" + DisplayText(error.what());
      window_.SetStatusLine(BatchStatusLine("Wiping", i + 1, counts.rows, path, false), false);
    }
  }
  finish_group();
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
