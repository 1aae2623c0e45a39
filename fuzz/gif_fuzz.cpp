// Fuzzes the GIF decoder and the first frames of its animation: any bytes
// must decode without reading or writing outside a buffer, and playing the
// result must keep to the picture.

#include <cstddef>
#include <cstdint>
#include <span>

#include "imaging/gif/GifPlayer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vls::gif;
  const std::span<const std::uint8_t> bytes(data, size);
  const GifFile gif = DecodeGif(bytes);
  // Pictures of many megapixels are legal but only make the run slow; the
  // decoder has met them above, the animation plays the smaller ones.
  if (!gif.Ok() ||
      static_cast<std::size_t>(gif.logical_width) * static_cast<std::size_t>(gif.logical_height) >
          (std::size_t{1} << 20)) {
    return 0;
  }
  ManualTimer timer;
  GifPlayer player(timer);
  player.SetAnimate(true);
  if (player.LoadData(bytes) != LoadResult::kOk)
    return 0;
  // Play a few rounds of the first frames, then jump around.
  for (int i = 0; i < 12 && timer.running; ++i)
    player.Tick();
  player.SetCurrentFrame(player.FrameCount());
  player.SetCurrentFrame(1);
  player.SetLoop(true);
  player.SetSpeed(0);
  player.SetAnimate(false);
  return 0;
}
