#pragma once
// Files that exist only for the length of one operation — a decryption's
// temporary, a plain copy being shown or offered, a file being wiped — are
// listed while they exist, each under a small record in the per-user data
// folder that its process keeps locked. A record that nobody holds any more
// belongs to a run that ended without cleaning up (killed, crashed, the
// machine stopped), and the next run wipes what it names: only when the file
// under that name is still the very file the record saw (same device, inode
// and, where the file system tells them, inode generation and birth time:
// inode numbers are reused at once), so a file that is not ours is never
// touched.

#include <sys/types.h>

#include <string>
#include <vector>

#include "protect/Feedback.h"

namespace vls {

// What a leftover holds, and so how it is disposed of.
enum class Leftover {
  Plain,   // plain bytes: wiped
  Cipher,  // an unfinished container: removed
};

class PendingFile {
 public:
  PendingFile() = default;
  // Lists the file at path, which this run has just created. When the record
  // cannot be written (no data folder, a full disk) the file is still cleaned
  // up by this run, just not by a later one.
  PendingFile(const std::string& path, Leftover kind);
  PendingFile(PendingFile&& other) noexcept;
  PendingFile& operator=(PendingFile&& other) noexcept;
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  // A file neither kept nor disposed of is disposed of here, quietly.
  ~PendingFile();

  bool active() const { return !path_.empty(); }
  const std::string& path() const { return path_; }

  // Renames the file without replacing anything (FileServices'
  // RenameNoReplace rules); the record names both names during the rename.
  void MoveTo(const std::string& new_path);
  // Renames the file over an existing one, as the user has agreed.
  void MoveOver(const std::string& new_path);
  // The file is no longer pending (kept as the user's own, or gone): the
  // record goes and the file is left as it is.
  void Release();
  // This run gives up on the file: the record stays for a later run, which
  // disposes of the file (or a concurrent run, once this one's lock is gone).
  void Abandon() noexcept;
  // Wipes (Plain) or removes (Cipher) the file and drops the record. Throws
  // what the wipe throws; the record then stays for a later run.
  void Dispose(Feedback& feedback);

 private:
  // Renames with rename(); the record names both names meanwhile.
  void Move(const std::string& new_path, void (*rename)(const std::string&, const std::string&));
  void WriteRecord(const std::string& second_path);
  void DropRecord() noexcept;

  std::string path_;
  Leftover kind_ = Leftover::Plain;
  std::string identity_;  // of the file, as the record writes it
  int record_fd_ = -1;
  std::string record_path_;
};

// Wipes or removes what the records of ended runs name. Returns a line for
// every leftover that could not be disposed of.
std::vector<std::string> DisposeOfStaleLeftovers(Feedback& feedback);

}  // namespace vls
