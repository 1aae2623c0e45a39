#pragma once
// How a picture window is sized: on opening it fits the picture to the
// screen with its proportions kept, and afterwards the height follows the
// width the user gives it.

#include <optional>

namespace vls {

struct ClientSize {
  int width = 0;
  int height = 0;
  bool operator==(const ClientSize&) const = default;
};

// The resize rule: the height that goes with a client width for a w x h
// picture (truncated), or the screen height - 50 when it would exceed the
// screen height.
int FollowingHeight(int client_width, int picture_width, int picture_height, int screen_height);

// The client size a new picture window opens with, for a w x h picture on a
// W x H screen; nothing for a picture without width or height. The height
// always comes from the resize rule, which runs after every change of the
// width, as in the window.
std::optional<ClientSize> OpeningClientSize(int picture_width, int picture_height, int screen_width,
                                            int screen_height);

}  // namespace vls
