#pragma once
// How a picture window is sized: on opening it fits the picture to the
// screen with its proportions kept, and afterwards the height follows the
// width the user gives it. Where it opens: at its designed place, moved and
// shrunk as needed so that, frame and all, it lies inside the part of the
// screen windows may use (panels and docks excluded).

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

// A rectangle of the screen, and the window frame's thickness on each side.
struct ScreenArea {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};
struct FrameMargins {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const FrameMargins&) const = default;
};

// Where a new picture window opens: the top left corner of its frame and its
// client size.
struct WindowPlace {
  int x = 0;
  int y = 0;
  ClientSize client;
  bool operator==(const WindowPlace&) const = default;
};

// The opening size of OpeningClientSize for the room the available area
// leaves inside a frame, shrunk further (proportions kept) where that rule
// lets a picture overflow, placed at the designed corner (counted from the
// area's corner) or as far towards it as the area allows. Nothing for a
// picture without width or height, or an area with no room for a client.
std::optional<WindowPlace> OpeningPlace(int picture_width, int picture_height,
                                        const ScreenArea& available, const FrameMargins& frame,
                                        int designed_x, int designed_y);

}  // namespace vls
