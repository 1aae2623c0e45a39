#include "protect/CryptGroup.h"

#include <sys/stat.h>

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
};

CryptGroup::CryptGroup(int mode, const CryptContext& context) : mode_(mode), context_(context) {}

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
  CryptResult result = StageEncryption(path, context_, StageFlush::Later, staged->output);
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

std::vector<std::pair<std::string, CryptResult>> CryptGroup::Commit() {
  std::vector<std::pair<std::string, CryptResult>> results;
  std::vector<std::unique_ptr<Staged>> group = std::move(staged_);
  staged_.clear();
  bytes_ = 0;
  if (group.empty())
    return results;
  Feedback& feedback = context_.feedback;
  const auto tell = [&] {
    for (const auto& [path, result] : results)
      PublishAndTell(path, mode_, result, context_);
    return results;
  };

  // 1. The outputs reach the disk, all in one flush of their file systems.
  std::vector<std::string> folders;
  for (const auto& staged : group)
    folders.push_back(FolderForSync(staged->output.output.path()));
  try {
    RunKeepingResponsive([&folders] { SyncFileSystems(folders); });
  } catch (const std::exception& error) {
    // Nothing is known to be on the disk: every output goes, every source
    // stays. The first file says why; the encryption stops there.
    results.emplace_back(group.front()->output.source,
                         Failure(kEncryptErrorPrefix + DisplayText(group.front()->output.source) +
                                 ": " + DisplayText(error.what())));
    return tell();
  }

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
  folders.clear();
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
    return tell();
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
  return tell();
}

}  // namespace vls
