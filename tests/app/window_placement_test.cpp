#include "app/window_placement.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

TEST(WindowPlacement, CentresOverAVisibleMainWindowElseTheWorkArea) {
  const TRect work{0, 0, 1280, 1000};
  EXPECT_EQ(PlaceWindow({100, 50, 422, 315}, true, 200, 101, work), (TRect{211, 157, 200, 101}));
  EXPECT_EQ(PlaceWindow({100, 50, 422, 315}, false, 200, 100, work), (TRect{540, 450, 200, 100}));
}

TEST(WindowPlacement, StaysOnTheWorkArea) {
  const TRect work{0, 30, 1280, 970}; // a panel at the top
  const struct {
    TRect main;
    int width, height;
    TRect expected;
  } cases[] = {
      {{-300, -200, 400, 300}, 300, 200, {0, 30, 300, 200}},   // off the top left
      {{1200, 900, 400, 300}, 300, 200, {980, 800, 300, 200}}, // off the bottom right
      {{0, 30, 100, 100}, 2000, 1200, {0, 30, 2000, 1200}},    // too large: top left shows
      {{500, 400, 200, 200}, 100, 100, {550, 450, 100, 100}},  // already inside
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PlaceWindow(c.main, true, c.width, c.height, work), c.expected);
  }
}

} // namespace
} // namespace zorbe
