#include "protect/Wipe.h"

#include <algorithm>
#include <cerrno>
#include <climits>
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

void WipeFile(const std::string& path, Feedback& feedback) {
  // Once begun, a wipe is finished before a stop request is honoured.
  CriticalStretch finish_first;
  FillWorkBufferWithNoise();
  UniqueFd fd = OpenForOverwrite(path);
  const std::uint64_t size = FileSize(fd);

  feedback.SetGaugeColor(GaugeColor::Red);
  feedback.SetGaugePosition(0);
  const std::string name = FileNameOf(path);
  if (StripExtension(name) != kViewerPlainBase)
    feedback.SetStatus(name);

  // The file takes its wipe name before it is overwritten: a wipe cut short
  // (a kill, a power loss, a failing disk) then never leaves noise under the
  // user's name looking like the user's file, and the record lets the next
  // run finish it.
  PendingFile pending(path, Leftover::Plain);
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
  const std::string wiped = pending.path();
  const std::string folder = FolderForSync(path);
  try {
    SyncFolder(folder);
    // Overwrite in place: truncating first would free the old blocks and
    // write the noise elsewhere, leaving the contents on the disk.
    Overwrite(fd, size, feedback);
    RunKeepingResponsive([&fd] { SyncFile(fd); });
    fd.Close();
    feedback.SetGaugePosition(100);
    feedback.SetGaugePosition(0);
    RemoveFile(wiped);
  } catch (const std::exception& error) {
    pending.Abandon();
    throw FileError(EIO, path, "Not wiped completely:",
                    std::string(error.what()) + "; what is left of it is named " +
                        FileNameOf(wiped) + " and will be wiped at the next start");
  }
  pending.Release();
  SyncFolder(folder);
}

}  // namespace vls
