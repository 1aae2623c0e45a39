#include "app/FileIterator.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

namespace vls {

namespace {

TFileInfo InfoOf(const struct stat& st, bool writable, std::string_view name) {
  TFileInfo info;
  info.Size = static_cast<std::int64_t>(st.st_size);
  info.Time = ToDosDateTime(st.st_mtim.tv_sec);
  if (S_ISDIR(st.st_mode)) {
    info.Attr |= faDirectory;
  } else if (S_ISREG(st.st_mode)) {
    info.Attr |= faArchive;
  } else if (!S_ISLNK(st.st_mode)) {
    info.Attr |= faSysFile;
  }
  if (!writable)
    info.Attr |= faReadOnly;
  if (!name.empty() && name.front() == '.')
    info.Attr |= faHidden;
  return info;
}

// A folder being listed; closed however the listing ends.
class DirHandle {
 public:
  // Lists the folder open as fd, taking the descriptor over.
  explicit DirHandle(int fd) : dir_(fd >= 0 ? ::fdopendir(fd) : nullptr) {
    if (fd >= 0 && dir_ == nullptr)
      ::close(fd);
  }
  ~DirHandle() {
    if (dir_ != nullptr)
      ::closedir(dir_);
  }
  DirHandle(const DirHandle&) = delete;
  DirHandle& operator=(const DirHandle&) = delete;

  bool valid() const { return dir_ != nullptr; }
  int fd() const { return ::dirfd(dir_); }
  // The next entry, or nullptr at the end (a read error ends the listing too).
  const dirent* Next() { return ::readdir(dir_); }

 private:
  DIR* dir_;
};

// Runs when the walk ends, however it ends.
class BackToIdle {
 public:
  explicit BackToIdle(bool& running) : running_(running) {}
  ~BackToIdle() { running_ = false; }
  BackToIdle(const BackToIdle&) = delete;
  BackToIdle& operator=(const BackToIdle&) = delete;

 private:
  bool& running_;
};

}  // namespace

std::optional<TFileInfo> ReadFileInfo(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 && ::lstat(path.c_str(), &st) != 0)
    return std::nullopt;
  std::string_view name = path;
  while (name.size() > 1 && name.back() == kPathSeparator)
    name.remove_suffix(1);
  const auto slash = name.rfind(kPathSeparator);
  if (slash != std::string_view::npos)
    name.remove_prefix(slash + 1);
  return InfoOf(st, ::access(path.c_str(), W_OK) == 0, name);
}

void TFileIterator::CheckIdle() const {
  if (running_) {
    throw EFileIteratorError(kCannotChangeOnFly, "Cannot change options on fly. Try later");
  }
}

void TFileIterator::SetOptions(TFileIteratorOptions options) {
  CheckIdle();
  options_ = options;
}

void TFileIterator::SetRootFolder(const std::string& folder) {
  CheckIdle();
  root_folder_ = folder;
}

void TFileIterator::DoAddFile(const std::string& FileName, const TFileInfo& FileInfo) {
  if (OnAddFile)
    OnAddFile(*this, FileName, FileInfo);
}

void TFileIterator::DoAddFileQuery(const std::string& FileName, const TFileInfo& FileInfo,
                                   bool& CanAdd) {
  if (OnAddFileQuery)
    OnAddFileQuery(*this, FileName, FileInfo, CanAdd);
}

void TFileIterator::DoActivate() {
  if (OnActivate)
    OnActivate(*this);
}

void TFileIterator::DoTerminate() {
  if (OnTerminate)
    OnTerminate(*this);
}

void TFileIterator::Execute() {
  if (running_) {
    throw EFileIteratorError(kIteratorBusy,
                             "Iterator is not available at the moment. Please call later, but do "
                             "call");
  }
  if (!WantsFiles())
    return;
  running_ = true;
  BackToIdle idle(running_);
  try {
    DoActivate();
    if (!root_folder_.empty()) {
      std::string path = root_folder_;
      if (path.back() == kPathSeparator)
        path.pop_back();
      // The root folder "/" loses its separator above and is listed as itself.
      const int root =
          ::open(path.empty() ? "/" : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      WalkFolder(root, path);
    }
  } catch (...) {
    DoTerminate();
    throw;
  }
  DoTerminate();
}

void TFileIterator::WalkFolder(int fd, std::string& path) {
  DirHandle dir(fd);
  if (!dir.valid())
    return;
  const std::size_t folder_length = path.size();
  std::string bare_name;  // the file's name alone, when no path is asked for
  while (const dirent* entry = dir.Next()) {
    const std::string_view name = entry->d_name;
    const bool details = (options_ & fiDetails) != 0;
    // The entry type from the listing saves a look-up when it is plain.
    bool is_folder = entry->d_type == DT_DIR;
    const bool known = entry->d_type == DT_DIR || entry->d_type == DT_REG;
    struct stat st {};
    bool have_stat = false;
    if (!known || details) {
      have_stat = ::fstatat(dir.fd(), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0;
      if (have_stat && S_ISLNK(st.st_mode)) {
        // A link counts as what it names. A link to a folder is neither
        // reported nor walked: it belongs to another tree and may loop.
        struct stat target {};
        if (::fstatat(dir.fd(), entry->d_name, &target, 0) == 0) {
          if (S_ISDIR(target.st_mode))
            continue;
          st = target;
        }
      }
      is_folder = have_stat ? S_ISDIR(st.st_mode) : is_folder;
    }
    if (is_folder) {
      if (name.front() != '.' && (options_ & fiRecurseFolders) != 0) {
        // Opened by its name in the folder, not by the whole path, and never
        // through a link that took the folder's place since it was listed.
        path.append(1, kPathSeparator).append(name);
        WalkFolder(
            ::openat(dir.fd(), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC),
            path);
        path.resize(folder_length);
      }
      continue;
    }
    TFileInfo info;
    if (details && have_stat) {
      // Write access as the kernel answers it, never from the mode bits: an
      // access-control list, a read-only mount, an immutable file, a file
      // system that asks its server, or a security module (SELinux, a BPF
      // program) may each decide otherwise, and none of them shows in stat.
      info = InfoOf(st, ::faccessat(dir.fd(), entry->d_name, W_OK, 0) == 0, name);
    }
    bool can_add = true;
    const std::string& file_name = (options_ & fiPath) != 0
                                       ? path.append(1, kPathSeparator).append(name)
                                       : bare_name.assign(name);
    DoAddFileQuery(file_name, info, can_add);
    if (can_add)
      DoAddFile(file_name, info);
    path.resize(folder_length);
  }
}

}  // namespace vls
