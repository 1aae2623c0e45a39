#include "protect/CryptGroup.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>

#include "cipher/Cipher.h"
#include "platform/DisplayText.h"
#include "platform/FileServices.h"
#include "platform/Interruption.h"
#include "protect/CryptStages.h"
#include "protect/Placement.h"
#include "protect/ProtectState.h"
#include "protect/Wipe.h"

namespace vls {
namespace {

std::pair<dev_t, ino_t> IdentityOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    return {0, 0};
  return {st.st_dev, st.st_ino};
}

// What changes when a file is written to or replaced: the source is wiped
// only if it is still the file that was encrypted.
std::string StateOf(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0)
    return std::string();
  return std::to_string(st.st_dev) + " " + std::to_string(st.st_ino) + " " +
         std::to_string(st.st_size) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
         std::to_string(st.st_mtim.tv_nsec) + " " + std::to_string(st.st_ctim.tv_sec) + "." +
         std::to_string(st.st_ctim.tv_nsec);
}

// A name as the file system sees it: the same for every spelling of the
// folder ("a/x", "./a/x", "/abs/a/x"), so two files of a group never claim
// one name under two spellings.
std::string ClaimOf(const std::string& path) {
  struct stat st {};
  const std::string folder = FolderForSync(path);
  if (::stat(folder.c_str(), &st) != 0)
    return "?" + path;
  return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + "/" + FileNameOf(path);
}

// An output that goes nowhere: wiped, or left listed for the next run.
void DisposeQuietly(PendingFile& output, Feedback& feedback) {
  try {
    output.Dispose(feedback);
  } catch (const std::exception&) {
    output.Abandon();
  }
}

}  // namespace

struct CryptGroup::Staged {
  // From the first file staged until the group is committed, a stop request
  // is only recorded: the batch then commits what is staged.
  CriticalStretch commit_first;
  StagedOutput output;
  std::pair<dev_t, ino_t> identity;
  // The source as it was before it was read: a group waits longer than a
  // single file between the check and the wipe, long enough for a program
  // to write to the file meanwhile.
  std::string state;
  std::uint64_t size = 0;
  // A decryption's final name, settled as it is staged, and whether the user
  // agreed to replace the file there; its temporary's and final name's claims.
  std::string final_path;
  bool replace = false;
  std::string temporary_claim, final_claim;
};

CryptGroup::CryptGroup(int mode, const CryptContext& context, bool keep_source)
    : mode_(mode), context_(context), keep_source_(keep_source) {}

// Outputs never committed are disposed of by their PendingFile: the sources
// stay as they were.
CryptGroup::~CryptGroup() = default;

bool CryptGroup::empty() const {
  return staged_.empty();
}

bool CryptGroup::Takes(const std::string& path, std::uint64_t size) const {
  if (staged_.size() >= kGroupFiles || bytes_ + size > kGroupBytes)
    return false;
  // The same file twice (a repeated argument, a second link) is processed
  // as it would be alone: after the first is committed.
  const auto identity = IdentityOf(path);
  for (const auto& staged : staged_) {
    if (staged->identity == identity)
      return false;
  }
  return true;
}

CryptResult CryptGroup::Add(const std::string& path) {
  CryptSourcePath = path;
  ComputeKeySum();
  auto staged = std::make_unique<Staged>();
  staged->identity = IdentityOf(path);
  staged->state = StateOf(path);
  CryptResult result =
      mode_ == kModeEncrypt
          ? StageEncryption(path, context_, StageFlush::Later, staged->output)
          : StageDecryption(path, keep_source_, context_, StageFlush::Later, staged->output);
  if (result && mode_ == kModeDecrypt && !SettleName(*staged, result)) {
    // Nothing of it stays: the plain output goes before the next file.
    DisposeQuietly(staged->output.output, context_.feedback);
  }
  context_.feedback.SetGaugePosition(100);
  context_.feedback.SetGaugePosition(0);
  if (!result) {
    PublishAndTell(path, mode_, result, context_);
    return result;
  }
  struct stat st {};
  if (::stat(staged->output.output.path().c_str(), &st) == 0)
    staged->size = static_cast<std::uint64_t>(st.st_size);
  bytes_ += staged->size;
  staged_.push_back(std::move(staged));
  return result;
}

bool CryptGroup::SettleName(Staged& staged, CryptResult& result) {
  staged.temporary_claim = ClaimOf(staged.output.output.path());
  // The temporaries and final names of the group, this file's temporary
  // included, are spoken for.
  const auto claimed = [&](const std::string& path) {
    const std::string claim = ClaimOf(path);
    if (claim == staged.temporary_claim)
      return true;
    for (const auto& other : staged_) {
      if (claim == other->temporary_claim || claim == other->final_claim)
        return true;
    }
    return false;
  };
  staged.final_path = FinalPlainPath(staged.output.target, context_, claimed);
  // The question is asked now, while the group is staged: the commit only
  // replaces what the user agreed to.
  if (PathExists(staged.final_path)) {
    if (!AgreeToReplace(staged.final_path, context_)) {
      result.outcome = CryptOutcome::Refused;
      return false;
    }
    staged.replace = true;
  }
  staged.final_claim = ClaimOf(staged.final_path);
  return true;
}

CryptGroup::Results CryptGroup::TellAll(Results results) const {
  for (const auto& [path, result] : results)
    PublishAndTell(path, mode_, result, context_);
  return results;
}

CryptGroup::Results CryptGroup::Commit() {
  std::vector<std::unique_ptr<Staged>> group = std::move(staged_);
  staged_.clear();
  bytes_ = 0;
  if (group.empty())
    return Results();
  return TellAll(mode_ == kModeEncrypt ? CommitEncryptions(group) : CommitDecryptions(group));
}

bool CryptGroup::FlushOutputs(const std::vector<std::unique_ptr<Staged>>& group,
                              const std::string& error_prefix, Results& results) {
  std::vector<std::string> folders;
  for (const auto& staged : group)
    folders.push_back(FolderForSync(staged->output.output.path()));
  try {
    RunKeepingResponsive([&folders] { SyncFileSystems(folders); });
  } catch (const std::exception& error) {
    // Nothing is known to be on the disk. The first file says why.
    results.emplace_back(group.front()->output.source,
                         Failure(error_prefix + DisplayText(group.front()->output.source) + ": " +
                                 DisplayText(error.what())));
    return false;
  }
  return true;
}

CryptGroup::Results CryptGroup::CommitDecryptions(std::vector<std::unique_ptr<Staged>>& group) {
  Results results;
  // 1. The plain files reach the disk; if they cannot, every output goes
  // and every container stays.
  if (!FlushOutputs(group, kDecryptErrorPrefix, results))
    return results;

  // 2. Renamed into place, replacing only where the user agreed; one that
  // cannot be placed goes, its container stays, and the others go on.
  std::vector<CryptResult> outcomes;
  std::vector<std::size_t> placed;
  for (std::size_t i = 0; i < group.size(); ++i) {
    Staged& staged = *group[i];
    PendingFile& output = staged.output.output;
    CryptResult& outcome = outcomes.emplace_back(staged.output.result);
    CryptSourcePath = staged.output.source;  // named by what the placement tells
    std::string why;
    if (!PlaceDecryptedFile(output, staged.final_path, context_, why, staged.replace)) {
      DisposeQuietly(output, context_.feedback);
      outcome.outcome = CryptOutcome::Refused;
      outcome.message = why;
      continue;
    }
    outcome.output = output.path();
    output.Release();
    if (context_.run != nullptr)
      context_.run->Wrote(outcome.output);
    placed.push_back(i);
  }

  // 3. The plain files' names reach the disk before any container goes.
  std::vector<std::string> folders;
  for (const std::size_t i : placed)
    folders.push_back(FolderForSync(outcomes[i].output));
  bool names_flushed = true;
  try {
    SyncFolders(folders);
  } catch (const FileError& error) {
    names_flushed = false;
    bool told = false;
    for (const std::size_t i : placed) {
      const std::string& source = group[i]->output.source;
      outcomes[i] = Failure(
          told ? std::string()
               : kDecryptErrorPrefix + DisplayText(source) + ": " + DisplayText(error.what()),
          outcomes[i].output);
      told = true;
    }
  }

  // 4. The containers are deleted, each only if it is still the file that
  // was decrypted.
  if (names_flushed && !keep_source_) {
    for (const std::size_t i : placed) {
      const std::string& source = group[i]->output.source;
      if (StateOf(source) != group[i]->state) {
        outcomes[i].message =
            "Cannot delete " + DisplayText(source) + ": it changed after it was decrypted";
        continue;
      }
      if (context_.run != nullptr)
        context_.run->Forget(source);
      if (!TryRemoveFile(source))
        outcomes[i].message = "Cannot delete " + DisplayText(source) + ": " + std::strerror(errno);
    }
  }
  for (std::size_t i = 0; i < group.size(); ++i)
    results.emplace_back(group[i]->output.source, outcomes[i]);
  return results;
}

CryptGroup::Results CryptGroup::CommitEncryptions(std::vector<std::unique_ptr<Staged>>& group) {
  Results results;
  Feedback& feedback = context_.feedback;

  // 1. The outputs reach the disk; if they cannot, every output goes, every
  // source stays, and the encryption stops there.
  if (!FlushOutputs(group, kEncryptErrorPrefix, results))
    return results;

  // 2. Renamed into place; a failure ends the group there, and the outputs
  // after it go.
  std::vector<std::size_t> placed;
  for (std::size_t i = 0; i < group.size(); ++i) {
    StagedOutput& staged = group[i]->output;
    try {
      staged.result.output = PlaceContainer(staged.output, staged.target);
    } catch (const std::exception& error) {
      results.emplace_back(staged.source, Failure(kEncryptErrorPrefix + DisplayText(staged.source) +
                                                  ": " + DisplayText(error.what())));
      break;
    }
    staged.output.Release();
    if (context_.run != nullptr)
      context_.run->Wrote(staged.result.output);
    placed.push_back(i);
  }
  // The failed file (if any) comes after the placed ones in the results.
  std::optional<std::pair<std::string, CryptResult>> failure;
  if (!results.empty()) {
    failure = std::move(results.back());
    results.clear();
  }

  // 3. The containers' names reach the disk before any source is touched.
  std::vector<std::string> folders;
  for (const std::size_t i : placed)
    folders.push_back(FolderForSync(group[i]->output.result.output));
  try {
    SyncFolders(folders);
  } catch (const FileError& error) {
    for (const std::size_t i : placed) {
      const StagedOutput& staged = group[i]->output;
      CryptResult result = NotWipedAfterAll(staged.result.output, error);
      if (!results.empty())
        result.message.clear();  // said once, for the first
      results.emplace_back(staged.source, result);
    }
    return results;
  }

  // 4. The sources are wiped together.
  std::vector<CryptResult> outcomes;
  for (const std::size_t i : placed)
    outcomes.push_back(group[i]->output.result);
  if (!KeepOriginals) {
    WipeGroup wipes(feedback);
    std::vector<std::size_t> wiping;  // indexes into placed
    for (std::size_t p = 0; p < placed.size(); ++p) {
      const StagedOutput& staged = group[placed[p]]->output;
      if (StateOf(staged.source) != group[placed[p]]->state) {
        outcomes[p] =
            NotWipedAfterAll(staged.result.output,
                             std::runtime_error(staged.source + " changed after it was encrypted"));
        continue;
      }
      if (context_.run != nullptr)
        context_.run->Forget(staged.source);
      try {
        wipes.Add(staged.source);
        wiping.push_back(p);
      } catch (const FileError& error) {
        outcomes[p] = NotWipedAfterAll(staged.result.output, error);
      }
    }
    const std::vector<std::exception_ptr> errors = wipes.Finish();
    for (std::size_t w = 0; w < wiping.size(); ++w) {
      if (!errors[w])
        continue;
      try {
        std::rethrow_exception(errors[w]);
      } catch (const std::exception& error) {
        outcomes[wiping[w]] =
            NotWipedAfterAll(group[placed[wiping[w]]]->output.result.output, error);
      }
    }
  }
  for (std::size_t p = 0; p < placed.size(); ++p)
    results.emplace_back(group[placed[p]]->output.source, outcomes[p]);
  if (failure)
    results.push_back(std::move(*failure));
  return results;
}

}  // namespace vls
