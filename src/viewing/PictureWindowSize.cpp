#include "viewing/PictureWindowSize.h"

#include <cmath>
#include <cstdint>

namespace vls {

int FollowingHeight(int client_width, int picture_width, int picture_height, int screen_height) {
  const std::int64_t height =
      static_cast<std::int64_t>(client_width) * picture_height / picture_width;
  return height > screen_height ? screen_height - 50 : static_cast<int>(height);
}

std::optional<ClientSize> OpeningClientSize(int w, int h, int screen_width, int screen_height) {
  if (w <= 0 || h <= 0)
    return std::nullopt;
  // Rounding to nearest with ties to even (the default rounding mode).
  auto scaled = [](double value) { return static_cast<int>(std::nearbyint(value)); };
  int width;
  if (h + 50 > screen_height && h + 50 > w) {
    // Taller than the screen: as high as the screen allows. The width is set
    // from that height, and the height then follows the width.
    width = scaled(static_cast<double>(screen_height - 50) * w / h);
  } else if (w > screen_width && w > h) {
    width = screen_width;  // wider than the screen
  } else {
    width = w;  // fits: its own size
  }
  return ClientSize{width, FollowingHeight(width, w, h, screen_height)};
}

}  // namespace vls
