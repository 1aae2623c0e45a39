#pragma once
// File services of the operating system, in the shape the container and the
// wipe need: descriptors that close themselves, reads and writes that report
// every failure, renames that never replace silently, and flushes to disk.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/FileError.h"

namespace vls {

// Separator between folders in a path on this platform.
inline constexpr char kPathSeparator = '/';

// An open file descriptor, closed when it goes out of scope. Close() reports
// the error of an explicit close, which matters after writes.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  UniqueFd(UniqueFd&& other) noexcept;
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd();

  int get() const { return fd_; }
  const std::string& path() const { return path_; }
  bool valid() const { return fd_ >= 0; }
  // Closes the descriptor; throws FileError when the close fails.
  void Close();

 private:
  int fd_ = -1;
  std::string path_;
};

// Whether a symbolic link in the last component of a path is followed.
enum class Links { Follow, Refuse };

// Every open below takes regular files only: a pipe, a device, a socket or a
// folder is refused (FileError) without blocking and before it is opened.

// Opens an existing regular file for reading only.
UniqueFd OpenForReading(const std::string& path, Links links = Links::Follow);
// Opens an existing regular file for writing in place, without truncating it
// and without following a symbolic link.
UniqueFd OpenForOverwrite(const std::string& path);
// Creates a file that must not exist yet (not even as a link), readable and
// writable by the user only.
UniqueFd CreateNewForWriting(const std::string& path);

// Size in bytes of an open file.
std::uint64_t FileSize(const UniqueFd& fd);
// Reads up to buffer.size() bytes, retrying on interruption; 0 means end of file.
std::size_t ReadSome(const UniqueFd& fd, std::span<std::uint8_t> buffer);
// Writes all bytes or throws (a short write is an error).
void WriteAll(const UniqueFd& fd, std::span<const std::uint8_t> bytes);
// Writes all bytes at an offset or throws.
void WriteAllAt(const UniqueFd& fd, std::span<const std::uint8_t> bytes, std::uint64_t offset);
// Flushes the file's data and metadata to the disk.
void SyncFile(const UniqueFd& fd);

// Asks the system to start writing a large output to the disk while more of
// it is being made: every kStep bytes written, the range just written is
// handed to the disk without waiting (a hint; errors are ignored). The flush
// at the end then finds little left to do, and the disk works while the CPU
// does. The flush itself still decides durability.
class WriteBehind {
 public:
  static constexpr std::uint64_t kStep = std::uint64_t{8} << 20;
  // Counts from the descriptor's current offset.
  explicit WriteBehind(const UniqueFd& fd);
  void Wrote(std::uint64_t bytes);

 private:
  const UniqueFd& fd_;
  std::uint64_t started_;  // the offset up to which writing was started
  std::uint64_t written_;
};
// Flushes a folder's entries to the disk, so a rename or create survives a power loss.
void SyncFolder(const std::string& folder);
// Flushes each distinct folder once.
void SyncFolders(const std::vector<std::string>& folders);
// Flushes everything written to the file systems that hold the folders: one
// call per file system, however many files were written there (syncfs).
void SyncFileSystems(const std::vector<std::string>& folders);

// Renames, failing with EEXIST when the target exists.
void RenameNoReplace(const std::string& from, const std::string& to);
// Renames, replacing the target atomically if it exists.
void RenameReplace(const std::string& from, const std::string& to);
// Removes a file (not a folder); throws on failure.
void RemoveFile(const std::string& path);
// Removes a file if it exists; returns false (and keeps errno) when it could not.
bool TryRemoveFile(const std::string& path) noexcept;
// True when something (file, folder, link) exists under that name.
bool PathExists(const std::string& path) noexcept;

// The folder of a path, up to and including its last separator ("" if none).
std::string FolderOf(const std::string& path);
// The file name of a path: everything after its last separator.
std::string FileNameOf(const std::string& path);
// The folder without its trailing separator, "." for a bare name.
std::string FolderForSync(const std::string& path);

}  // namespace vls
