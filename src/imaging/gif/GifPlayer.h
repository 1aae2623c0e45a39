#pragma once
// The animated GIF document without widgets: loads a file, keeps its frames
// and the composed picture, and plays the frames on a timer it is given.
// The control draws Picture() and forwards its properties here; tests and
// tools drive the timer by hand.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "imaging/gif/Composition.h"
#include "imaging/gif/GifDecoder.h"

namespace vls::gif {

// The one timer of an animation. SetInterval never starts a stopped timer;
// a running timer restarts its count with the new interval.
class AnimationTimer {
 public:
  virtual ~AnimationTimer() = default;
  virtual void SetInterval(int ms) = 0;
  virtual void SetRunning(bool running) = 0;
  virtual bool Running() const = 0;
};

// A timer that only remembers what it was told; its owner calls the tick.
class ManualTimer : public AnimationTimer {
 public:
  void SetInterval(int ms) override { interval = ms; }
  void SetRunning(bool on) override {
    running = on;
    if (on)
      ++starts;
  }
  bool Running() const override { return running; }

  int interval = 0;
  bool running = false;
  int starts = 0;  // how often it was switched on
};

enum class LoadResult {
  kOk,
  kFileNotFound,    // nothing changed
  kReadError,       // nothing changed
  kEmpty,           // the picture is now empty
  kNotGif,          // the picture is now empty
  kScreenTooLarge,  // the picture is now empty; File() tells the sizes
  kFrameTooLarge,   // the picture is now empty; File() tells the sizes
};

class GifPlayer {
 public:
  explicit GifPlayer(AnimationTimer& timer) : timer_(timer) {}
  GifPlayer(const GifPlayer&) = delete;
  GifPlayer& operator=(const GifPlayer&) = delete;

  // Reads and decodes a file. A missing or unreadable file changes nothing.
  LoadResult LoadFile(const std::string& path);
  // Decodes bytes already in memory; the player keeps no copy of them, and
  // FileName becomes empty.
  LoadResult LoadData(std::span<const std::uint8_t> bytes);
  const std::string& FileName() const { return file_name_; }
  // Drops everything loaded: frames, the composed picture and the file name;
  // stops the timer.
  void Clear();

  // Settings of the animation.
  bool Animate() const { return animate_; }
  void SetAnimate(bool on);
  bool Loop() const { return loop_; }
  void SetLoop(bool on);
  int Speed() const { return speed_; }
  void SetSpeed(int percent);
  // 1-based number of the frame shown.
  int CurrentFrame() const { return shown_; }
  void SetCurrentFrame(int n);

  // One timer tick: shows the next frame and sets the time until the next tick.
  void Tick();
  // Runs the timer exactly when there is something to play: Animate on, more
  // than one frame, and a play that has not run out its loop count.
  void SyncTimer();

  bool IsAnimated() const { return gif_.frames.size() > 1; }
  bool Empty() const { return empty_; }
  bool Finished() const { return finished_; }
  int FrameCount() const { return static_cast<int>(gif_.frames.size()); }
  const TFrame& Frame(int n) const { return gif_.frames[static_cast<std::size_t>(n - 1)]; }
  // The file as decoded; after a refused load, its status and the sizes
  // that were refused (RefusalText), without frames.
  const GifFile& File() const { return gif_; }
  int LogicalWidth() const { return gif_.logical_width; }
  int LogicalHeight() const { return gif_.logical_height; }
  int LoopCount() const { return gif_.loop_count; }
  int LoopsPlayed() const { return loops_played_; }
  bool AnyTransparent() const { return gif_.any_transparent; }
  const Composition& Picture() const { return picture_; }

  // Told before and after the shown frame changes, and when the picture
  // needs painting again.
  std::function<void()> OnChanging, OnChange, OnRepaint;

 private:
  void Reset();
  LoadResult Decode(std::span<const std::uint8_t> bytes, const std::string& file_name);
  void Fire(const std::function<void()>& handler) {
    if (handler)
      handler();
  }
  void ShowFrame(int n);  // disposes of the shown frame, draws frame n
  int DelayOf(int n) const;
  int NextAfter(int n) const { return n >= FrameCount() ? 1 : n + 1; }

  AnimationTimer& timer_;
  std::string file_name_;
  GifFile gif_;
  Composition picture_;
  bool animate_ = false, loop_ = false;
  int speed_ = 100;
  int shown_ = 1;  // frame on the picture
  int next_ = 1;   // frame the next tick draws
  int loops_played_ = 1;
  bool empty_ = true;
  bool first_tick_pending_ = true;
  bool finished_ = false;  // the loop count ran out
};

}  // namespace vls::gif
