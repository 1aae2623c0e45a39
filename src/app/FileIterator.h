#pragma once
// TFileIterator: walks a folder, and optionally its subfolders, depth first in
// the order the file system lists the entries. For every file it asks its
// owner whether the file is wanted (OnAddFileQuery) and hands each wanted one
// over (OnAddFile). It knows nothing of modes or extensions: the owner's
// handlers decide.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/DosTime.h"

namespace vls {

// Attribute bits of a found entry.
inline constexpr std::uint32_t faReadOnly = 0x01;   // the user may not write it
inline constexpr std::uint32_t faHidden = 0x02;     // its name begins with "."
inline constexpr std::uint32_t faSysFile = 0x04;    // a device, FIFO or socket
inline constexpr std::uint32_t faVolumeID = 0x08;   // never met on this platform
inline constexpr std::uint32_t faDirectory = 0x10;  // a folder
inline constexpr std::uint32_t faArchive = 0x20;    // a regular file

// Size, last-write time and attributes of one entry.
struct TFileInfo {
  std::int64_t Size = 0;  // bytes
  DosDateTime Time = 0;   // local time, DOS date in the high 16 bits
  std::uint32_t Attr = 0;
};

// The facts of a path, following a symbolic link to what it names (a
// dangling link gives the facts of the link itself); nothing when the path
// cannot be looked up.
std::optional<TFileInfo> ReadFileInfo(const std::string& path);

// The options form a set of these bits.
enum TFileIteratorOption : unsigned {
  fiPath = 1u << 0,            // events receive full paths, not bare names
  fiDetails = 1u << 1,         // events receive a filled TFileInfo
  fiRecurseFolders = 1u << 2,  // subfolders are walked too
};
using TFileIteratorOptions = unsigned;
inline constexpr TFileIteratorOptions kAllFileIteratorOptions =
    fiPath | fiDetails | fiRecurseFolders;

// Raised for a change of options during a walk (54260) and for a walk
// started from inside another (54261).
class EFileIteratorError : public std::runtime_error {
 public:
  EFileIteratorError(int id, const std::string& message) : std::runtime_error(message), id_(id) {}
  int id() const noexcept { return id_; }

 private:
  int id_;
};
inline constexpr int kCannotChangeOnFly = 54260;
inline constexpr int kIteratorBusy = 54261;

class TFileIterator {
 public:
  using TAddFileEvent = std::function<void(TFileIterator& sender, const std::string& FileName,
                                           const TFileInfo& FileInfo)>;
  using TAddFileQueryEvent = std::function<void(TFileIterator& sender, const std::string& FileName,
                                                const TFileInfo& FileInfo, bool& CanAdd)>;
  using TNotifyEvent = std::function<void(TFileIterator& sender)>;

  TFileIterator() = default;
  virtual ~TFileIterator() = default;
  TFileIterator(const TFileIterator&) = delete;
  TFileIterator& operator=(const TFileIterator&) = delete;

  TFileIteratorOptions Options() const { return options_; }
  // Both setters raise EFileIteratorError 54260 during a walk and keep the value.
  void SetOptions(TFileIteratorOptions options);
  const std::string& RootFolder() const { return root_folder_; }
  // An empty root folder walks nothing: OnActivate and OnTerminate still fire.
  void SetRootFolder(const std::string& folder);
  bool Running() const { return running_; }

  // Runs one walk from RootFolder and returns when it is over. Does nothing
  // when no file event is assigned. An error raised by a handler ends the
  // walk: OnTerminate fires, the iterator is idle again, the error goes on.
  void Execute();

  TAddFileEvent OnAddFile;
  TAddFileQueryEvent OnAddFileQuery;
  TNotifyEvent OnActivate;
  TNotifyEvent OnTerminate;

 protected:
  virtual void DoAddFile(const std::string& FileName, const TFileInfo& FileInfo);
  virtual void DoAddFileQuery(const std::string& FileName, const TFileInfo& FileInfo, bool& CanAdd);
  virtual void DoActivate();
  virtual void DoTerminate();
  // Whether a walk has anyone to report to; a subclass that overrides
  // DoAddFile or DoAddFileQuery instead of using the events returns true.
  virtual bool WantsFiles() const { return OnAddFile || OnAddFileQuery; }

 private:
  // Lists the folder dir (open on path) and walks its subfolders; path is
  // one buffer for the whole walk, grown by a name and cut back after it.
  void WalkFolder(int dir, std::string& path);
  void CheckIdle() const;

  TFileIteratorOptions options_ = kAllFileIteratorOptions;
  std::string root_folder_ = "/";
  bool running_ = false;
};

}  // namespace vls
