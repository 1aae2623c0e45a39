#include "protect/Wipe.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include "cipher/Cipher.h"
#include "platform/AnsiText.h"
#include "platform/FileServices.h"
#include "platform/Random.h"
#include "protect/PathNames.h"
#include "protect/Rounding.h"

namespace vls {
namespace {

constexpr std::size_t kBlock = kWorkBufferSize;
// Blocks written per system call: the same fill block repeated.
constexpr std::size_t kBlocksPerWrite = 64;
constexpr int kRenameAttempts = 8;

void FillWorkBufferWithNoise() {
  auto& generator = ProcessRandom();
  std::uniform_int_distribution<int> fill(1, 253);
  for (auto& byte : WorkBuffer)
    byte = static_cast<std::uint8_t>(fill(generator));
}

// Overwrites the whole file, and a little more, with the fill block.
void Overwrite(const UniqueFd& fd, std::uint64_t size, Feedback& feedback) {
  std::vector<std::uint8_t> run(kBlock * kBlocksPerWrite);
  for (std::size_t b = 0; b < kBlocksPerWrite; ++b) {
    std::copy(WorkBuffer.begin(), WorkBuffer.end(), run.begin() + static_cast<long>(b * kBlock));
  }
  const std::uint64_t blocks = WipeBlockCount(size);
  const std::uint64_t step = ProgressStep(size);
  std::uint64_t sent = 0;
  int gauge = 0;
  std::uint64_t offset = 0;
  for (std::uint64_t done = 0; done < blocks;) {
    const std::uint64_t now = std::min<std::uint64_t>(kBlocksPerWrite, blocks - done);
    WriteAllAt(fd, std::span(run.data(), static_cast<std::size_t>(now * kBlock)), offset);
    offset += now * kBlock;
    done += now;
    for (std::uint64_t b = 0; b < now; ++b) {
      sent += kBlock;
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
  const std::size_t letters = std::min<std::size_t>(CharacterCount(name), 255);
  std::string result = FolderOf(path);
  for (std::size_t i = 0; i < letters; ++i) {
    result.push_back(static_cast<char>('A' + RandomInRange(0, 25)));
  }
  return result + ".~Z~";
}

void WipeFile(const std::string& path, Feedback& feedback) {
  FillWorkBufferWithNoise();
  UniqueFd fd = OpenForOverwrite(path);
  const std::uint64_t size = FileSize(fd);

  feedback.SetGaugeColor(GaugeColor::Red);
  feedback.SetGaugePosition(0);
  const std::string name = FileNameOf(path);
  if (StripExtension(name) != kViewerPlainBase)
    feedback.SetStatus(name);

  // Overwrite in place: truncating first would free the old blocks and write
  // the noise elsewhere, leaving the contents on the disk.
  Overwrite(fd, size, feedback);
  SyncFile(fd);
  fd.Close();

  std::string wiped = WipeName(path);
  for (int attempt = 1;; ++attempt) {
    try {
      RenameNoReplace(path, wiped);
      break;
    } catch (const FileError& error) {
      if (error.code().value() != EEXIST || attempt == kRenameAttempts)
        throw;
      wiped = WipeName(path);
    }
  }
  const std::string folder = FolderForSync(path);
  SyncFolder(folder);
  feedback.SetGaugePosition(100);
  feedback.SetGaugePosition(0);
  RemoveFile(wiped);
  SyncFolder(folder);
}

}  // namespace vls
