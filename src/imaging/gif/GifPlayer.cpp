#include "imaging/gif/GifPlayer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace vls::gif {
namespace {

LoadResult RefusalOf(DecodeStatus status) {
  switch (status) {
    case DecodeStatus::kOk:
      break;
    case DecodeStatus::kEmpty:
      return LoadResult::kEmpty;
    case DecodeStatus::kNotGif:
      return LoadResult::kNotGif;
    case DecodeStatus::kScreenTooLarge:
      return LoadResult::kScreenTooLarge;
    case DecodeStatus::kFrameTooLarge:
      return LoadResult::kFrameTooLarge;
  }
  return LoadResult::kOk;
}

}  // namespace

LoadResult GifPlayer::LoadFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error))
    return LoadResult::kFileNotFound;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in)
    return LoadResult::kReadError;
  const std::streamoff size = in.tellg();
  if (size < 0)
    return LoadResult::kReadError;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size))
    return LoadResult::kReadError;
  return Decode(bytes, path);
}

void GifPlayer::Reset() {
  empty_ = true;
  timer_.SetRunning(false);
  gif_ = GifFile{};
  picture_.Clear();
  shown_ = next_ = 1;
  loops_played_ = 1;
  first_tick_pending_ = true;
  finished_ = false;
}

void GifPlayer::Clear() {
  Reset();
  file_name_.clear();
  Fire(OnRepaint);
}

LoadResult GifPlayer::LoadData(std::span<const std::uint8_t> bytes) {
  return Decode(bytes, {});  // bytes come from no file
}

LoadResult GifPlayer::Decode(std::span<const std::uint8_t> bytes, const std::string& file_name) {
  Reset();
  file_name_ = file_name;
  // A refused file is kept too (it holds no frame), so File() tells why.
  gif_ = DecodeGif(bytes);
  const LoadResult refused = RefusalOf(gif_.status);
  if (refused != LoadResult::kOk) {
    Fire(OnRepaint);
    return refused;
  }
  picture_.Reset(gif_);
  empty_ = false;
  next_ = NextAfter(1);
  timer_.SetInterval(1);
  Fire(OnChanging);
  picture_.Draw(0);
  Fire(OnChange);
  Fire(OnRepaint);
  SyncTimer();
  return LoadResult::kOk;
}

int GifPlayer::DelayOf(int n) const {
  return std::max(Frame(n).delay_ms * 100 / speed_, 1);
}

void GifPlayer::ShowFrame(int n) {
  picture_.Dispose(shown_ - 1);
  picture_.Draw(n - 1);
  shown_ = n;
}

void GifPlayer::SyncTimer() {
  const bool run = animate_ && IsAnimated() && !empty_ && !finished_;
  if (run != timer_.Running())
    timer_.SetRunning(run);
}

void GifPlayer::Tick() {
  if (empty_ || FrameCount() == 0)
    return;
  Fire(OnChanging);
  if (first_tick_pending_) {
    // Frame 1 has been on the picture since the load.
    first_tick_pending_ = false;
  } else {
    ShowFrame(next_);
    Fire(OnRepaint);
  }
  timer_.SetInterval(DelayOf(shown_));
  const int after = shown_ + 1;
  if (!loop_ && gif_.loop_count > 0 && after > FrameCount()) {
    ++loops_played_;
    if (loops_played_ > gif_.loop_count) {
      // The last frame stays on the picture.
      timer_.SetRunning(false);
      finished_ = true;
      Fire(OnChange);
      return;
    }
  }
  next_ = after > FrameCount() ? 1 : after;
  Fire(OnChange);
}

void GifPlayer::SetCurrentFrame(int n) {
  if (empty_ || n == shown_ || n < 1 || n > FrameCount())
    return;
  Fire(OnChanging);
  ShowFrame(n);
  next_ = NextAfter(n);
  Fire(OnRepaint);
  Fire(OnChange);
}

void GifPlayer::SetAnimate(bool on) {
  animate_ = on;
  loops_played_ = 1;
  finished_ = false;
  if (on) {
    if (FrameCount() > 1) {
      first_tick_pending_ = false;
      next_ = NextAfter(shown_);
      timer_.SetInterval(DelayOf(shown_));
    }
  } else if (shown_ >= 2) {
    // Stopping returns to the first frame.
    Fire(OnChanging);
    ShowFrame(1);
    next_ = NextAfter(1);
    Fire(OnRepaint);
    Fire(OnChange);
  }
  SyncTimer();
}

void GifPlayer::SetLoop(bool on) {
  loop_ = on;
  if (!on || empty_ || FrameCount() == 0)
    return;
  if (gif_.loop_count > 0 && gif_.loop_count < loops_played_) {
    // The file's loop count was used up: play again from the first frame.
    loops_played_ = 1;
    finished_ = false;
    Fire(OnChanging);
    if (shown_ != 1)
      ShowFrame(1);
    next_ = NextAfter(1);
    timer_.SetInterval(DelayOf(1));
    Fire(OnRepaint);
    Fire(OnChange);
    SyncTimer();
  }
}

void GifPlayer::SetSpeed(int percent) {
  speed_ = percent <= 0 ? 1 : percent;
  if (FrameCount() > 1 && animate_)
    timer_.SetInterval(1);
}

}  // namespace vls::gif
