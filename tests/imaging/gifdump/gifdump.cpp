// gifdump FILE OUTDIR
// Decodes FILE and plays it frame by frame as the animation would: prints the
// screen and one line per frame, and writes OUTDIR/frame-n.rgba, the picture
// after frame n is drawn (4 bytes a pixel, alpha 0 where transparent).
// Exits 0 when at least one frame was decoded, 1 otherwise.

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/gif/GifPlayer.h"

int main(int argc, char** argv) {
  using namespace vls::gif;
  if (argc != 3) {
    std::fprintf(stderr, "usage: gifdump FILE OUTDIR\n");
    return 2;
  }
  ManualTimer timer;
  GifPlayer player(timer);
  const LoadResult result = player.LoadFile(argv[1]);
  if (result == LoadResult::kFileNotFound || result == LoadResult::kReadError) {
    std::fprintf(stderr, "gifdump: cannot read %s\n", argv[1]);
    return 1;
  }
  if (result != LoadResult::kOk) {
    std::fprintf(stderr, "gifdump: %s: %s\n", argv[1], RefusalText(player.File()).c_str());
    return 1;
  }
  std::printf("screen %d %d frames %d loop %d\n", player.LogicalWidth(), player.LogicalHeight(),
              player.FrameCount(), player.LoopCount());
  player.SetLoop(true);  // every frame once, whatever the loop count says
  player.Tick();         // the first tick keeps frame 1, drawn by the load
  for (int n = 1; n <= player.FrameCount(); ++n) {
    const TFrame& f = player.Frame(n);
    std::printf("frame %d %d %d %d %d disposal %d delay %d transparent %d\n", n, f.left, f.top,
                f.width, f.height, f.disposal, f.delay_ms, f.transparent ? 1 : 0);
    if (n > 1)
      player.Tick();
    const Composition& picture = player.Picture();
    std::vector<unsigned char> rgba;
    rgba.reserve(picture.Pixels().size() * 4);
    for (int y = 0; y < picture.Height(); ++y) {
      for (int x = 0; x < picture.Width(); ++x) {
        const std::uint32_t p = picture.PixelAt(x, y);
        rgba.push_back(static_cast<unsigned char>(p >> 16));
        rgba.push_back(static_cast<unsigned char>(p >> 8));
        rgba.push_back(static_cast<unsigned char>(p));
        rgba.push_back(picture.TransparentAt(x, y) ? 0 : 255);
      }
    }
    const std::string out = std::string(argv[2]) + "/frame-" + std::to_string(n) + ".rgba";
    std::ofstream file(out, std::ios::binary);
    file.write(reinterpret_cast<const char*>(rgba.data()),
               static_cast<std::streamsize>(rgba.size()));
    if (!file) {
      std::fprintf(stderr, "gifdump: cannot write %s\n", out.c_str());
      return 1;
    }
  }
  if (player.File().stop != StopReason::kNone) {
    const std::string why = player.File().stop == StopReason::kFrameTooLarge
                                ? RefusalText(player.File())
                                : StopText(player.File().stop);
    std::fprintf(stderr, "gifdump: stopped early: %s\n", why.c_str());
  }
  return player.FrameCount() > 0 ? 0 : 1;
}
