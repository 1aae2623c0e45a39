#pragma once
// Thumbnails of a folder's encrypted pictures, made on a worker thread of
// their own so the window keeps answering. Each container is decrypted into
// memory with a snapshot of the key, decoded at reduced size by the decoder
// the window gives, and its plain bytes are zeroed at once. The thumbnails
// are kept in memory only, and only while the key lives: dropping the key
// zeroes and drops them.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace vls {

class KeySnapshot;

struct Thumbnail {
  Thumbnail() = default;
  Thumbnail(Thumbnail&&) = default;
  Thumbnail& operator=(Thumbnail&&) = default;
  ~Thumbnail();

  bool shown = false;  // pixels hold the picture; otherwise why says why not
  std::string why;
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, row after row
};

// Decodes a picture's plain bytes (stored as stored_name, whose extension
// names the format) into a thumbnail; "" when it did, else why not. Runs on
// the worker thread.
using ThumbnailDecode = std::function<std::string(std::span<const std::uint8_t> plain,
                                                  const std::string& stored_name, Thumbnail& out)>;

// The most pictures of one folder that get thumbnails: about 77 MB at
// 160 x 120.
inline constexpr std::size_t kMaxThumbnails = 1000;

class ThumbnailMaker {
 public:
  // ready runs on the worker thread each time a thumbnail is kept (a window
  // posts itself an event there and reads the thumbnail on its own thread);
  // dropped runs on the window's thread once Drop has dropped them all (the
  // window drops the pictures it made of them).
  ThumbnailMaker(ThumbnailDecode decode, std::function<void(const std::string& path)> ready,
                 std::function<void()> dropped = {});
  // Stops the worker and waits for it.
  ~ThumbnailMaker();
  ThumbnailMaker(const ThumbnailMaker&) = delete;
  ThumbnailMaker& operator=(const ThumbnailMaker&) = delete;

  // Makes the thumbnails of paths, in this order, with the key string as it
  // is now; a run in progress gives way. A thumbnail kept for a file that
  // has not changed since is not made again. Nothing without a key.
  void Start(std::vector<std::string> paths);
  // Stops the run at its next step, without waiting, and zeroes and drops
  // every thumbnail kept.
  void Drop();

  // The thumbnail kept for path, if any: handed to use under the maker's
  // lock, so the worker cannot replace it meanwhile.
  bool With(const std::string& path, const std::function<void(const Thumbnail&)>& use) const;
  std::size_t KeptCount() const;
  // Whether a run is still making thumbnails.
  bool Busy() const;

 private:
  struct Job;
  struct Kept;
  void Work();
  void MakeOne(const std::string& path, KeySnapshot& key, std::uint64_t generation);

  ThumbnailDecode decode_;
  std::function<void(const std::string&)> ready_;
  std::function<void()> dropped_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::unique_ptr<Job> pending_;
  std::map<std::string, Kept> kept_;
  std::uint64_t generation_ = 0;  // of the newest Start or Drop
  bool working_ = false;
  bool quit_ = false;
  std::thread worker_;
};

}  // namespace vls
