#include "protect/Wipe.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <memory>
#include <vector>

#include "cipher/Cipher.h"
#include "platform/AnsiText.h"
#include "platform/FileServices.h"
#include "platform/Interruption.h"
#include "platform/Random.h"
#include "protect/PathNames.h"
#include "protect/PendingFiles.h"
#include "protect/Rounding.h"

namespace vls {
namespace {

constexpr std::size_t kBlock = kWorkBufferSize;
// Blocks written per system call: the same fill block repeated.
constexpr std::size_t kBlocksPerWrite = 64;
constexpr int kRenameAttempts = 8;
constexpr std::size_t kWipeSuffixLength = 4;  // ".~Z~"

void FillWorkBufferWithNoise() {
  auto& generator = ProcessRandom();
  std::uniform_int_distribution<int> fill(1, 253);
  for (auto& byte : WorkBuffer)
    byte = static_cast<std::uint8_t>(fill(generator));
}

bool IsOutOfSpace(const FileError& error) {
  const int code = error.code().value();
  return code == ENOSPC || code == EDQUOT || code == EFBIG;
}

// Overwrites the whole file with the fill block, and then a little more
// (the block count rounds up and adds one). That extra part only matters
// where the file system reuses the same blocks; a disk too full for it ends
// the overwrite there, since every byte the file held is noise by then.
void Overwrite(const UniqueFd& fd, std::uint64_t size, Feedback& feedback) {
  std::vector<std::uint8_t> run(kBlock * kBlocksPerWrite);
  for (std::size_t b = 0; b < kBlocksPerWrite; ++b) {
    std::copy(WorkBuffer.begin(), WorkBuffer.end(), run.begin() + static_cast<long>(b * kBlock));
  }
  const std::uint64_t end = WipeBlockCount(size) * kBlock;
  const std::uint64_t step = ProgressStep(size);
  std::uint64_t sent = 0;
  int gauge = 0;
  for (std::uint64_t offset = 0; offset < end;) {
    // Runs stop at the old end of the file, so a full disk is met only past it.
    // The fill block stays aligned with the file's blocks whatever the offset.
    const std::size_t phase = static_cast<std::size_t>(offset % kBlock);
    const std::uint64_t limit = offset < size ? size : end;
    const auto now =
        static_cast<std::size_t>(std::min<std::uint64_t>(run.size() - phase, limit - offset));
    try {
      WriteAllAt(fd, std::span(run.data() + phase, now), offset);
    } catch (const FileError& error) {
      if (offset >= size && IsOutOfSpace(error))
        return;
      throw;
    }
    offset += now;
    KeepResponsive();  // a wipe once begun is finished, but the window answers
    for (std::size_t done = 0; done < now; done += kBlock) {
      sent += std::min(kBlock, now - done);
      if (sent > step) {
        gauge = std::min(gauge + 5, 100);
        feedback.SetGaugePosition(gauge);
        sent = 0;
      }
    }
  }
}

}  // namespace

std::string WipeName(const std::string& path) {
  const std::string name = StripExtension(FileNameOf(path));
  const std::size_t letters =
      std::min<std::size_t>(CharacterCount(name), NAME_MAX - kWipeSuffixLength);
  std::string result = FolderOf(path);
  for (std::size_t i = 0; i < letters; ++i) {
    result.push_back(static_cast<char>('A' + RandomInRange(0, 25)));
  }
  return result + ".~Z~";
}

// One file of a group: open from Add until it is gone or given up.
struct WipeGroup::Member {
  // Once begun, a wipe is finished before a stop request is honoured.
  CriticalStretch finish_first;
  std::string path;
  UniqueFd fd;
  std::uint64_t size = 0;
  PendingFile pending;  // under the wipe name
  std::exception_ptr error;

  std::string folder() const { return FolderForSync(path); }
  // The wipe cannot be finished now: the record stays, and the next run wipes
  // what is left.
  void GiveUp(const std::exception& cause) {
    const std::string left = FileNameOf(pending.path());
    pending.Abandon();
    error = std::make_exception_ptr(FileError(EIO, path, "Not wiped completely:",
                                              std::string(cause.what()) +
                                                  "; what is left of it is named " + left +
                                                  " and will be wiped at the next start"));
  }
};

WipeGroup::WipeGroup(Feedback& feedback) : feedback_(feedback) {}
WipeGroup::~WipeGroup() = default;

std::size_t WipeGroup::size() const {
  return members_.size();
}

void WipeGroup::Add(const std::string& path) {
  auto member = std::make_unique<Member>();
  member->path = path;
  member->fd = OpenForOverwrite(path);
  member->size = FileSize(member->fd);
  // The file takes its wipe name before it is overwritten: a wipe cut short
  // (a kill, a power loss, a failing disk) then never leaves noise under the
  // user's name looking like the user's file, and the record lets the next
  // run finish it.
  PendingFile& pending = member->pending;
  pending = PendingFile(path, Leftover::Plain);
  for (int attempt = 1;; ++attempt) {
    try {
      pending.MoveTo(WipeName(path));
      break;
    } catch (const FileError& error) {
      if (error.code().value() != EEXIST || attempt == kRenameAttempts) {
        pending.Release();  // nothing was changed: the file is as it was
        throw;
      }
    }
  }
  members_.push_back(std::move(member));
}

std::vector<std::exception_ptr> WipeGroup::Finish(
    const std::function<void(std::size_t)>& overwritten) {
  const auto live = [this] {
    std::vector<Member*> members;
    for (const auto& member : members_) {
      if (!member->error)
        members.push_back(member.get());
    }
    return members;
  };
  const auto folders_of = [](const std::vector<Member*>& members) {
    std::vector<std::string> folders;
    for (const Member* member : members)
      folders.push_back(member->folder());
    return folders;
  };
  const auto give_up = [](const std::vector<Member*>& members, const std::exception& cause) {
    for (Member* member : members)
      member->GiveUp(cause);
  };

  // The wipe names reach the disk before any overwrite.
  try {
    SyncFolders(folders_of(live()));
  } catch (const std::exception& error) {
    give_up(live(), error);
  }
  for (std::size_t i = 0; i < members_.size(); ++i) {
    Member& member = *members_[i];
    if (!member.error) {
      FillWorkBufferWithNoise();
      feedback_.SetGaugeColor(GaugeColor::Red);
      feedback_.SetGaugePosition(0);
      const std::string name = FileNameOf(member.path);
      if (StripExtension(name) != kViewerPlainBase)
        feedback_.SetStatus(name);
      try {
        // Overwrite in place: truncating first would free the old blocks and
        // write the noise elsewhere, leaving the contents on the disk.
        Overwrite(member.fd, member.size, feedback_);
      } catch (const std::exception& error) {
        member.GiveUp(error);
      }
      feedback_.SetGaugePosition(100);
      feedback_.SetGaugePosition(0);
    }
    if (overwritten)
      overwritten(i);
  }
  // The overwrites reach the disk before the files go: one file's own
  // flush, or one flush of the file systems for several.
  std::vector<Member*> overwritten_members = live();
  try {
    if (overwritten_members.size() == 1) {
      const UniqueFd& fd = overwritten_members[0]->fd;
      RunKeepingResponsive([&fd] { SyncFile(fd); });
    } else if (!overwritten_members.empty()) {
      const std::vector<std::string> folders = folders_of(overwritten_members);
      RunKeepingResponsive([&folders] { SyncFileSystems(folders); });
    }
  } catch (const std::exception& error) {
    give_up(overwritten_members, error);
  }
  std::vector<Member*> removed;
  for (Member* member : live()) {
    try {
      member->fd.Close();
      RemoveFile(member->pending.path());
      member->pending.Release();
      removed.push_back(member);
    } catch (const std::exception& error) {
      member->GiveUp(error);
    }
  }
  try {
    SyncFolders(folders_of(removed));
  } catch (const FileError&) {
    for (Member* member : removed)
      member->error = std::current_exception();
  }
  std::vector<std::exception_ptr> errors;
  for (const auto& member : members_)
    errors.push_back(member->error);
  members_.clear();
  return errors;
}

void WipeFile(const std::string& path, Feedback& feedback) {
  WipeGroup group(feedback);
  group.Add(path);
  if (const std::exception_ptr error = group.Finish().front())
    std::rethrow_exception(error);
}

}  // namespace vls
