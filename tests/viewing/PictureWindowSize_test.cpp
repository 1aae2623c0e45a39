// Picture window sizes: opening fits the screen with the proportions kept,
// and the height follows the width up to the screen.

#include "viewing/PictureWindowSize.h"

#include <gtest/gtest.h>

namespace vls {
namespace {

TEST(PictureWindowSizeTest, OpensAtThePicturesOwnSizeWhenItFits) {
  EXPECT_EQ(OpeningClientSize(400, 300, 1024, 768), (ClientSize{400, 300}));
  EXPECT_EQ(OpeningClientSize(1, 1, 1024, 768), (ClientSize{1, 1}));
}

TEST(PictureWindowSizeTest, FitsTallAndWidePicturesToTheScreen) {
  // Taller than the screen: the height is the screen's less 50, the width in
  // proportion (359.0 exactly), and the height follows that width.
  EXPECT_EQ(OpeningClientSize(600, 1200, 1024, 768), (ClientSize{359, 718}));
  // 718 * 1000 / 1500 = 478.67 rounds to 479; 479 * 1.5 = 718.5 truncates to 718.
  EXPECT_EQ(OpeningClientSize(1000, 1500, 1024, 768), (ClientSize{479, 718}));
  // Wider than the screen: the screen's width, the height in proportion.
  EXPECT_EQ(OpeningClientSize(2000, 500, 1024, 768), (ClientSize{1024, 256}));
  // A square taller than the screen counts as tall.
  EXPECT_EQ(OpeningClientSize(900, 900, 1024, 768), (ClientSize{718, 718}));
  // Ties round to even: 718 * 3 / 4 = 538.5 gives 538.
  EXPECT_EQ(OpeningClientSize(3, 4, 1024, 768)->width, 3);
  EXPECT_EQ(OpeningClientSize(750, 1000, 1024, 768)->width, 538);
}

TEST(PictureWindowSizeTest, DraggingWiderGrowsTheHeightUntilTheScreenCapsIt) {
  EXPECT_EQ(FollowingHeight(400, 400, 300, 768), 300);
  EXPECT_EQ(FollowingHeight(800, 400, 300, 768), 600);
  EXPECT_EQ(FollowingHeight(1024, 400, 300, 768), 768);  // exactly the screen: kept
  EXPECT_EQ(FollowingHeight(1025, 400, 300, 768), 768);  // 768.75 truncates to the screen
  EXPECT_EQ(FollowingHeight(1030, 400, 300, 768), 718);  // past it: screen less 50
  EXPECT_EQ(FollowingHeight(401, 400, 300, 768), 300);   // 300.75 truncates
}

// The window, frame and all, lies inside the usable area: moved towards the
// designed corner as far as it allows, shrunk where the opening rule lets
// the picture overflow.
TEST(PictureWindowSizeTest, OpensInsideTheUsableAreaOfTheScreen) {
  const ScreenArea screen{0, 0, 1280, 1024};
  const ScreenArea below_panel{0, 28, 1280, 996};
  const FrameMargins none{};
  const FrameMargins frame{2, 30, 2, 2};
  const ScreenArea portrait{0, 0, 768, 1024};
  const struct {
    int w, h;
    ScreenArea area;
    FrameMargins frame;
    WindowPlace opens;
  } cases[] = {
      {400, 300, screen, none, {19, 27, {400, 300}}},  // small: where it was designed
      {1280, 960, screen, none, {0, 27, {1280, 960}}},
      {1280, 960, screen, frame, {0, 27, {1276, 957}}},
      {1280, 960, below_panel, frame, {0, 35, {1276, 957}}},
      {800, 900, portrait, none, {0, 27, {768, 864}}},  // too wide for the rule: shrunk
  };
  for (const auto& c : cases) {
    const auto place = OpeningPlace(c.w, c.h, c.area, c.frame, 19, 27);
    ASSERT_TRUE(place.has_value());
    EXPECT_EQ(*place, c.opens) << c.w << "x" << c.h << " in " << c.area.height;
    EXPECT_LE(place->y + c.frame.top + place->client.height + c.frame.bottom,
              c.area.y + c.area.height);
    EXPECT_LE(place->x + c.frame.left + place->client.width + c.frame.right,
              c.area.x + c.area.width);
  }
  EXPECT_FALSE(OpeningPlace(400, 300, {0, 0, 4, 40}, frame, 19, 27).has_value());
}

TEST(PictureWindowSizeTest, NoWindowForAPictureWithoutWidthOrHeight) {
  EXPECT_FALSE(OpeningClientSize(0, 300, 1024, 768).has_value());
  EXPECT_FALSE(OpeningClientSize(300, 0, 1024, 768).has_value());
}

}  // namespace
}  // namespace vls
