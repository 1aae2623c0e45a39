#include "viewing/Thumbnails.h"

#include <sys/stat.h>

#include <algorithm>

#include "cipher/Cipher.h"
#include "platform/Interruption.h"
#include "protect/MemoryDecrypt.h"
#include "protect/PathNames.h"
#include "viewing/ViewerFlow.h"

namespace vls {

struct ThumbnailMaker::Job {
  std::uint64_t generation = 0;
  std::vector<std::string> paths;
  std::unique_ptr<KeySnapshot> key;  // zeroed when the job ends
};

// A thumbnail and the file as it was when it was made.
struct ThumbnailMaker::Kept {
  std::int64_t size = 0;
  std::int64_t modified_ns = 0;
  Thumbnail thumbnail;
};

namespace {

// The makers alive, which the key's drop reaches; the window's thread only.
std::vector<ThumbnailMaker*>& Makers() {
  static std::vector<ThumbnailMaker*> makers;
  return makers;
}

void DropAllThumbnails() {
  for (ThumbnailMaker* maker : Makers())
    maker->Drop();
}

bool StampOf(const std::string& path, std::int64_t& size, std::int64_t& modified_ns) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    return false;
  size = st.st_size;
  modified_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
  return true;
}

}  // namespace

Thumbnail::~Thumbnail() {
  if (!pixels.empty())
    SecureZero(pixels.data(), pixels.size() * sizeof(pixels[0]));
}

ThumbnailMaker::ThumbnailMaker(ThumbnailDecode decode,
                               std::function<void(const std::string& path)> ready,
                               std::function<void()> dropped)
    : decode_(std::move(decode)), ready_(std::move(ready)), dropped_(std::move(dropped)) {
  static bool listening = false;
  if (!listening) {
    AddKeyDropListener(DropAllThumbnails);
    listening = true;
  }
  Makers().push_back(this);
  worker_ = std::thread([this] { Work(); });
}

ThumbnailMaker::~ThumbnailMaker() {
  {
    const std::lock_guard lock(mutex_);
    quit_ = true;
    ++generation_;
    pending_.reset();
  }
  wake_.notify_all();
  worker_.join();
  std::erase(Makers(), this);
}

void ThumbnailMaker::Start(std::vector<std::string> paths) {
  if (KeyString.empty())
    return;
  if (paths.size() > kMaxThumbnails)
    paths.resize(kMaxThumbnails);
  auto job = std::make_unique<Job>();
  job->paths = std::move(paths);
  job->key = std::make_unique<KeySnapshot>();
  {
    const std::lock_guard lock(mutex_);
    job->generation = ++generation_;
    pending_ = std::move(job);
  }
  wake_.notify_all();
}

void ThumbnailMaker::Drop() {
  {
    std::map<std::string, Kept> dropped;
    std::unique_ptr<Job> pending;
    {
      const std::lock_guard lock(mutex_);
      ++generation_;
      pending = std::move(pending_);
      dropped.swap(kept_);
    }
    // Zeroed here, outside the lock.
  }
  if (dropped_)
    dropped_();
}

bool ThumbnailMaker::With(const std::string& path,
                          const std::function<void(const Thumbnail&)>& use) const {
  const std::lock_guard lock(mutex_);
  const auto it = kept_.find(path);
  if (it == kept_.end())
    return false;
  use(it->second.thumbnail);
  return true;
}

std::size_t ThumbnailMaker::KeptCount() const {
  const std::lock_guard lock(mutex_);
  return kept_.size();
}

bool ThumbnailMaker::Busy() const {
  const std::lock_guard lock(mutex_);
  return working_ || pending_ != nullptr;
}

void ThumbnailMaker::Work() {
  for (;;) {
    std::unique_ptr<Job> job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return quit_ || pending_ != nullptr; });
      if (quit_)
        return;
      job = std::move(pending_);
      working_ = true;
    }
    for (const std::string& path : job->paths) {
      {
        const std::lock_guard lock(mutex_);
        if (generation_ != job->generation)
          break;
      }
      MakeOne(path, *job->key, job->generation);
    }
    job.reset();
    const std::lock_guard lock(mutex_);
    working_ = false;
  }
}

void ThumbnailMaker::MakeOne(const std::string& path, KeySnapshot& key, std::uint64_t generation) {
  auto stale = [&] {
    const std::lock_guard lock(mutex_);
    return generation_ != generation;
  };
  std::int64_t size = 0, modified_ns = 0;
  if (!StampOf(path, size, modified_ns))
    return;
  {
    const std::lock_guard lock(mutex_);
    const auto it = kept_.find(path);
    if (it != kept_.end() && it->second.size == size && it->second.modified_ns == modified_ns)
      return;
  }
  Thumbnail thumbnail;
  try {
    const PlainInMemory plain = DecryptIntoMemory(path, key, [&](std::uint64_t, std::uint64_t) {
      if (stale())
        throw Interrupted(0);
    });
    if (plain.outcome == CryptOutcome::WrongKey) {
      thumbnail.why = "another password";
    } else if (!plain.done()) {
      thumbnail.why = plain.message;
    } else if (!IsPictureExtension(ExtensionOf(plain.stored_name))) {
      thumbnail.why = "not a picture";
    } else if (plain.bytes.size() == 0) {
      thumbnail.why = kNoData;
    } else {
      thumbnail.why = decode_(plain.bytes.span(), plain.stored_name, thumbnail);
      thumbnail.shown = thumbnail.why.empty();
    }
  } catch (const Interrupted&) {
    return;  // a newer run or the key's drop
  } catch (const std::exception& error) {
    thumbnail = Thumbnail();
    thumbnail.why = error.what();
  }
  {
    const std::lock_guard lock(mutex_);
    if (generation_ != generation)
      return;
    kept_[path] = Kept{size, modified_ns, std::move(thumbnail)};
  }
  ready_(path);
}

}  // namespace vls
