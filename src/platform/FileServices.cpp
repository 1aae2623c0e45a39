#include "platform/FileServices.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <utility>

namespace vls {

UniqueFd::UniqueFd(UniqueFd&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
  }
  return *this;
}

UniqueFd::~UniqueFd() {
  if (fd_ >= 0)
    ::close(fd_);
}

void UniqueFd::Close() {
  if (fd_ < 0)
    return;
  const int fd = std::exchange(fd_, -1);
  if (::close(fd) != 0 && errno != EINTR)
    ThrowFileError(path_, "Cannot close");
}

namespace {

// Why a file that is not a plain regular file is refused, or "" for one that is.
std::string RefusalOf(const struct stat& st) {
  if (S_ISREG(st.st_mode))
    return std::string();
  if (S_ISDIR(st.st_mode))
    return "it is a folder";
  if (S_ISLNK(st.st_mode))
    return "it is a symbolic link";
  if (S_ISFIFO(st.st_mode))
    return "it is a named pipe";
  if (S_ISSOCK(st.st_mode))
    return "it is a socket";
  return "it is a device";
}

[[noreturn]] void Refuse(const std::string& path, const std::string& reason) {
  throw FileError(EINVAL, path, "Not a regular file:", reason);
}

// Opens a regular file. Anything else (a pipe, a device, a folder, and a
// symbolic link unless links are followed) is refused before it is opened,
// and the open itself never blocks, so a pipe swapped in meanwhile cannot
// hang the program either.
UniqueFd OpenChecked(const std::string& path, int flags, mode_t mode, const char* what,
                     Links links) {
  struct stat before {};
  const bool creating = (flags & O_CREAT) != 0;
  if (!creating && ::lstat(path.c_str(), &before) == 0 &&
      !(S_ISLNK(before.st_mode) && links == Links::Follow)) {
    if (const std::string reason = RefusalOf(before); !reason.empty())
      Refuse(path, reason);
  }
  if (links == Links::Refuse)
    flags |= O_NOFOLLOW;
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    if (errno == ELOOP && links == Links::Refuse)
      Refuse(path, "it is a symbolic link");
    ThrowFileError(path, what);
  }
  UniqueFd result(fd, path);
  struct stat st {};
  if (::fstat(fd, &st) != 0)
    ThrowFileError(path, what);
  if (const std::string reason = RefusalOf(st); !reason.empty())
    Refuse(path, reason);
  const int status = ::fcntl(fd, F_GETFL);
  if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0)
    ThrowFileError(path, what);
  return result;
}

}  // namespace

UniqueFd OpenForReading(const std::string& path, Links links) {
  return OpenChecked(path, O_RDONLY, 0, "Cannot open", links);
}

UniqueFd OpenForOverwrite(const std::string& path) {
  return OpenChecked(path, O_WRONLY, 0, "Cannot open for writing", Links::Refuse);
}

UniqueFd CreateNewForWriting(const std::string& path) {
  // O_EXCL never follows a link and fails on any existing name.
  return OpenChecked(path, O_WRONLY | O_CREAT | O_EXCL, 0600, "Cannot create", Links::Refuse);
}

std::uint64_t FileSize(const UniqueFd& fd) {
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0)
    ThrowFileError(fd.path(), "Cannot read the size of");
  return static_cast<std::uint64_t>(st.st_size);
}

std::size_t ReadSome(const UniqueFd& fd, std::span<std::uint8_t> buffer) {
  std::size_t total = 0;
  // Fill the buffer unless the end of the file comes first, so that segment
  // boundaries never depend on how the kernel splits reads.
  while (total < buffer.size()) {
    const ssize_t n = ::read(fd.get(), buffer.data() + total, buffer.size() - total);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      ThrowFileError(fd.path(), "Cannot read");
    }
    if (n == 0)
      break;
    total += static_cast<std::size_t>(n);
  }
  return total;
}

namespace {

// Calls write_some(done) until every byte is written; a call that writes
// nothing counts as a full disk.
template <typename WriteSome>
void WriteLoop(const UniqueFd& fd, std::size_t size, WriteSome write_some) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = write_some(done);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      ThrowFileError(fd.path(), "Cannot write");
    }
    if (n == 0) {
      errno = ENOSPC;
      ThrowFileError(fd.path(), "Cannot write");
    }
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

void WriteAll(const UniqueFd& fd, std::span<const std::uint8_t> bytes) {
  WriteLoop(fd, bytes.size(), [&](std::size_t done) {
    return ::write(fd.get(), bytes.data() + done, bytes.size() - done);
  });
}

void WriteAllAt(const UniqueFd& fd, std::span<const std::uint8_t> bytes, std::uint64_t offset) {
  WriteLoop(fd, bytes.size(), [&](std::size_t done) {
    return ::pwrite(fd.get(), bytes.data() + done, bytes.size() - done,
                    static_cast<off_t>(offset + done));
  });
}

void SyncFile(const UniqueFd& fd) {
  if (::fsync(fd.get()) != 0)
    ThrowFileError(fd.path(), "Cannot flush to disk");
}

WriteBehind::WriteBehind(const UniqueFd& fd) : fd_(fd) {
  const off_t at = ::lseek(fd.get(), 0, SEEK_CUR);
  started_ = written_ = at < 0 ? 0 : static_cast<std::uint64_t>(at);
}

void WriteBehind::Wrote(std::uint64_t bytes) {
  written_ += bytes;
  if (written_ - started_ < kStep)
    return;
  ::sync_file_range(fd_.get(), static_cast<off_t>(started_),
                    static_cast<off_t>(written_ - started_), SYNC_FILE_RANGE_WRITE);
  started_ = written_;
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    ThrowFileError(folder, "Cannot open folder");
  const int rc = ::fsync(fd);
  const int saved = errno;
  ::close(fd);
  // Some file systems cannot flush a folder; that is no failure of ours.
  if (rc != 0 && saved != EINVAL && saved != EROFS) {
    errno = saved;
    ThrowFileError(folder, "Cannot flush folder");
  }
}

void SyncFolders(const std::vector<std::string>& folders) {
  std::set<std::string> done;
  for (const std::string& folder : folders) {
    if (done.insert(folder).second)
      SyncFolder(folder);
  }
}

void SyncFileSystems(const std::vector<std::string>& folders) {
  std::set<std::string> seen_folders;
  std::set<dev_t> done;
  for (const std::string& folder : folders) {
    if (!seen_folders.insert(folder).second)
      continue;
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), folder);
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0)
      ThrowFileError(folder, "Cannot open folder");
    if (done.insert(st.st_dev).second && ::syncfs(fd.get()) != 0)
      ThrowFileError(folder, "Cannot flush to disk the files of");
  }
}

void RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return;
  if (errno != EINVAL && errno != ENOSYS)
    ThrowFileError(from, "Cannot rename");
  // The file system cannot rename without replacing: a hard link fails when
  // the target exists, and the old name is removed only after it succeeded.
  if (::link(from.c_str(), to.c_str()) != 0)
    ThrowFileError(from, "Cannot rename");
  if (::unlink(from.c_str()) != 0) {
    const int saved = errno;
    ::unlink(to.c_str());
    errno = saved;
    ThrowFileError(from, "Cannot rename");
  }
}

void RenameReplace(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0)
    ThrowFileError(from, "Cannot rename");
}

void RemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0)
    ThrowFileError(path, "Cannot delete");
}

bool TryRemoveFile(const std::string& path) noexcept {
  return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool PathExists(const std::string& path) noexcept {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::string FolderOf(const std::string& path) {
  const auto pos = path.rfind(kPathSeparator);
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string FileNameOf(const std::string& path) {
  const auto pos = path.rfind(kPathSeparator);
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string FolderForSync(const std::string& path) {
  std::string folder = FolderOf(path);
  if (folder.empty())
    return ".";
  if (folder.size() > 1)
    folder.pop_back();
  return folder;
}

}  // namespace vls
