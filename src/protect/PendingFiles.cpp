#include "protect/PendingFiles.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <utility>

#include "platform/FileServices.h"
#include "platform/Folders.h"
#include "platform/Random.h"
#include "protect/ProtectState.h"
#include "protect/Wipe.h"

namespace vls {
namespace {

constexpr const char* kRecordSignature = "veilstore pending 1\n";
constexpr const char* kUnfinishedSuffix = ".new";
// A record still being written is left alone this long.
constexpr std::time_t kUnfinishedGraceSeconds = 60;

// The folder of the records, made private on first use (per data folder).
std::string RecordFolder() {
  static std::string ready_for;
  InitFolders();
  const std::string folder = WindowsFolder + "/PENDING";
  if (ready_for != folder) {
    EnsurePrivateFolder(folder);
    ready_for = folder;
  }
  return folder;
}

// What tells one file from every other, now and later: device and inode, and
// since an inode number is given again as soon as it is free, the inode's
// generation and the birth time where the file system keeps them ("-" where
// it does not). "" when the file cannot be looked at.
std::string IdentityOf(int fd) {
  struct statx st {};
  if (::statx(fd, "", AT_EMPTY_PATH, STATX_INO | STATX_BTIME, &st) != 0 || !S_ISREG(st.stx_mode))
    return std::string();
  unsigned int generation = 0;
  const bool has_generation = ::ioctl(fd, FS_IOC_GETVERSION, &generation) == 0;
  const bool has_birth = (st.stx_mask & STATX_BTIME) != 0;
  return std::to_string(makedev(st.stx_dev_major, st.stx_dev_minor)) + " " +
         std::to_string(st.stx_ino) + " " +
         (has_generation ? std::to_string(generation) : std::string("-")) + " " +
         (has_birth
              ? std::to_string(st.stx_btime.tv_sec) + "." + std::to_string(st.stx_btime.tv_nsec)
              : std::string("-"));
}

std::string IdentityOf(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return std::string();
  std::string identity = IdentityOf(fd);
  ::close(fd);
  return identity;
}

std::string RecordText(Leftover kind, const std::string& identity, const std::string& first,
                       const std::string& second) {
  std::string text = kRecordSignature;
  text += kind == Leftover::Plain ? 'P' : 'C';
  text += " " + identity + "\n";
  text += first;
  text.push_back('\0');
  if (!second.empty()) {
    text += second;
    text.push_back('\0');
  }
  return text;
}

struct Record {
  Leftover kind = Leftover::Plain;
  std::string identity;
  std::vector<std::string> paths;
};

bool ParseRecord(const std::string& text, Record& record) {
  const std::string signature = kRecordSignature;
  if (text.compare(0, signature.size(), signature) != 0)
    return false;
  const auto line_end = text.find('\n', signature.size());
  if (line_end == std::string::npos)
    return false;
  const std::string line = text.substr(signature.size(), line_end - signature.size());
  if (line.size() < 3 || (line[0] != 'P' && line[0] != 'C') || line[1] != ' ')
    return false;
  record.kind = line[0] == 'P' ? Leftover::Plain : Leftover::Cipher;
  record.identity = line.substr(2);
  for (std::size_t start = line_end + 1; start < text.size();) {
    const auto end = text.find('\0', start);
    if (end == std::string::npos)
      return false;
    record.paths.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return !record.paths.empty();
}

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  const auto absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.string();
}

bool WriteWhole(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n =
        ::pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
    if (n <= 0) {
      if (n < 0 && errno == EINTR)
        continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string ReadWhole(int fd) {
  std::string text;
  char chunk[4096];
  for (off_t offset = 0;;) {
    const ssize_t n = ::pread(fd, chunk, sizeof chunk, offset);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return text;
    text.append(chunk, static_cast<std::size_t>(n));
    offset += n;
  }
}

// Records are named "<process id>-<random>": whether that process still runs.
bool WriterAlive(const std::string& record_path) {
  const std::string name = std::filesystem::path(record_path).filename().string();
  char* end = nullptr;
  const long pid = std::strtol(name.c_str(), &end, 10);
  if (end == name.c_str() || *end != '-' || pid <= 0)
    return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// The file under path is the one the record saw.
bool IsRecordedFile(const std::string& path, const Record& record) {
  const std::string identity = IdentityOf(path);
  return !identity.empty() && identity == record.identity;
}

void DisposeOfFile(const std::string& path, Leftover kind, Feedback& feedback) {
  if (kind == Leftover::Plain) {
    WipeFile(path, feedback);
  } else {
    RemoveFile(path);
  }
}

}  // namespace

PendingFile::PendingFile(const std::string& path, Leftover kind)
    : path_(path), kind_(kind), identity_(IdentityOf(path)) {
  if (!identity_.empty())
    WriteRecord(std::string());
}

PendingFile::PendingFile(PendingFile&& other) noexcept {
  *this = std::move(other);
}

PendingFile& PendingFile::operator=(PendingFile&& other) noexcept {
  if (this != &other) {
    if (active()) {
      SilentFeedback quiet;
      try {
        Dispose(quiet);
      } catch (...) {
        Abandon();
      }
    }
    path_ = std::exchange(other.path_, std::string());
    kind_ = other.kind_;
    identity_ = std::exchange(other.identity_, std::string());
    record_fd_ = std::exchange(other.record_fd_, -1);
    record_path_ = std::exchange(other.record_path_, std::string());
  }
  return *this;
}

PendingFile::~PendingFile() {
  if (!active())
    return;
  SilentFeedback quiet;
  try {
    Dispose(quiet);
  } catch (...) {
    // The record stays, so the next run finishes what this one could not.
    Abandon();
  }
}

void PendingFile::WriteRecord(const std::string& second_path) {
  if (identity_.empty())
    return;
  // Paths as a run started in another folder will find them.
  const std::string text =
      RecordText(kind_, identity_, AbsolutePath(path_),
                 second_path.empty() ? second_path : AbsolutePath(second_path));
  std::string folder;
  try {
    folder = RecordFolder();
  } catch (const std::exception&) {
    return;  // no record: this run still cleans up what it made
  }
  // A record is never changed in place: a new one, written whole and locked,
  // takes the old one's name in one step, so a kill at any moment leaves a
  // whole record behind.
  const std::string unique = std::to_string(::getpid()) + "-" + std::to_string(ProcessRandom()());
  const std::string unfinished = folder + "/" + unique + kUnfinishedSuffix;
  const std::string finished = record_fd_ >= 0 ? record_path_ : folder + "/" + unique;
  const int fd = ::open(unfinished.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0)
    return;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !WriteWhole(fd, text) ||
      ::rename(unfinished.c_str(), finished.c_str()) != 0) {
    ::unlink(unfinished.c_str());
    ::close(fd);
    return;
  }
  if (record_fd_ >= 0)
    ::close(record_fd_);
  record_fd_ = fd;
  record_path_ = finished;
}

void PendingFile::DropRecord() noexcept {
  if (record_fd_ < 0)
    return;
  ::unlink(record_path_.c_str());
  ::close(record_fd_);
  record_fd_ = -1;
  record_path_.clear();
}

void PendingFile::MoveTo(const std::string& new_path) {
  Move(new_path, RenameNoReplace);
}

void PendingFile::MoveOver(const std::string& new_path) {
  Move(new_path, RenameReplace);
}

void PendingFile::Move(const std::string& new_path,
                       void (*rename)(const std::string&, const std::string&)) {
  WriteRecord(new_path);
  try {
    rename(path_, new_path);
  } catch (...) {
    WriteRecord(std::string());
    throw;
  }
  path_ = new_path;
  WriteRecord(std::string());
}

void PendingFile::Release() {
  DropRecord();
  path_.clear();
}

void PendingFile::Abandon() noexcept {
  if (record_fd_ >= 0)
    ::close(record_fd_);
  record_fd_ = -1;
  record_path_.clear();
  path_.clear();
}

void PendingFile::Dispose(Feedback& feedback) {
  if (!active())
    return;
  if (PathExists(path_))
    DisposeOfFile(path_, kind_, feedback);
  DropRecord();
  path_.clear();
}

std::vector<std::string> DisposeOfStaleLeftovers(Feedback& feedback) {
  namespace fs = std::filesystem;
  std::vector<std::string> failures;
  std::string folder;
  try {
    folder = RecordFolder();
  } catch (const std::exception& error) {
    return failures;  // no records can exist where none can be written
  }
  std::error_code error;
  std::vector<std::string> records;
  for (const auto& entry : fs::directory_iterator(folder, error))
    records.push_back(entry.path().string());
  for (const std::string& record_path : records) {
    const int fd = ::open(record_path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
      continue;
    // A record its process still holds belongs to a live run.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::close(fd);
      continue;
    }
    Record record;
    if (!ParseRecord(ReadWhole(fd), record)) {
      // Half written: by a run that died at that moment (it names nothing
      // yet that another record does not), or by one about to lock it.
      struct stat st {};
      const bool old =
          ::fstat(fd, &st) == 0 && std::time(nullptr) - st.st_mtime > kUnfinishedGraceSeconds;
      if (old || !WriterAlive(record_path))
        ::unlink(record_path.c_str());
      ::close(fd);
      continue;
    }
    bool done = true;
    for (const std::string& path : record.paths) {
      if (!IsRecordedFile(path, record))
        continue;
      try {
        DisposeOfFile(path, record.kind, feedback);
      } catch (const std::exception& failure) {
        failures.push_back(failure.what());
        done = false;
      }
    }
    if (done)
      ::unlink(record_path.c_str());
    ::close(fd);
  }
  return failures;
}

}  // namespace vls
