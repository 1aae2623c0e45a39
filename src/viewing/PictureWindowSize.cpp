#include "viewing/PictureWindowSize.h"

#include <algorithm>
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

std::optional<WindowPlace> OpeningPlace(int w, int h, const ScreenArea& available,
                                        const FrameMargins& frame, int designed_x, int designed_y) {
  const int room_width = available.width - frame.left - frame.right;
  const int room_height = available.height - frame.top - frame.bottom;
  if (room_width <= 0 || room_height <= 0)
    return std::nullopt;
  std::optional<ClientSize> client = OpeningClientSize(w, h, room_width, room_height);
  if (!client)
    return std::nullopt;
  // The rule above keeps a picture a little taller than the room, or as
  // wide as it but higher than wide: scaled down until both fit.
  if (client->width > room_width || client->height > room_height) {
    const double scale = std::min(static_cast<double>(room_width) / client->width,
                                  static_cast<double>(room_height) / client->height);
    const int width = std::max(1, static_cast<int>(client->width * scale));
    client =
        ClientSize{width, std::clamp(FollowingHeight(width, w, h, room_height), 1, room_height)};
  }
  // As near the designed corner as the frame's full size allows.
  const int frame_width = client->width + frame.left + frame.right;
  const int frame_height = client->height + frame.top + frame.bottom;
  const int x = std::clamp(available.x + designed_x, available.x,
                           available.x + available.width - frame_width);
  const int y = std::clamp(available.y + designed_y, available.y,
                           available.y + available.height - frame_height);
  client->height = std::max(client->height, 1);  // a picture of one row on a wide screen
  return WindowPlace{x, y, *client};
}

}  // namespace vls
