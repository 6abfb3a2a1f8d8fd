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
  // The title bar counts: a window whose frame would reach below the work area moves up.
  EXPECT_EQ(PlaceWindow({0, 30, 1280, 970}, true, 300, 940, work, 40), (TRect{490, 30, 300, 940}));
  EXPECT_EQ(PlaceWindow({0, 30, 1280, 970}, true, 300, 900, work, 40), (TRect{490, 60, 300, 900}));
}

TEST(WindowPlacement, TheTemporaryWindowSitsBesideTheMainWindowAndStaysOnTheWorkArea) {
  const TRect laptop{0, 0, 1366, 728}; // 1366x768 with a panel at the bottom
  const TRect small{0, 32, 1280, 688}; // 1280x720 with a panel at the top
  const struct {
    TRect work;
    TRect main;
    TRect expected;
  } cases[] = {
      {laptop, {100, 50, 430, 360}, {530, 50, 500, 600}},   // room on the right
      {laptop, {800, 50, 430, 360}, {300, 50, 500, 600}},   // room on the left only
      {laptop, {436, 50, 430, 360}, {866, 50, 500, 600}},   // the right just fits
      {laptop, {500, 50, 430, 360}, {0, 50, 500, 600}},     // the left just fits
      {laptop, {440, 50, 430, 360}, {866, 50, 500, 600}},   // no room: more on the right
      {laptop, {480, 50, 430, 360}, {0, 50, 500, 600}},     // no room: more on the left
      {laptop, {100, 300, 430, 360}, {530, 128, 500, 600}}, // would reach below the bottom
      {laptop, {-200, -40, 430, 360}, {230, 0, 500, 600}},  // main window partly off-screen
      {laptop, {1300, 600, 430, 360}, {800, 128, 500, 600}},
      {small, {0, 32, 1280, 688}, {780, 32, 500, 600}}, // a maximised main window: covered
      {small, {100, 0, 430, 360}, {530, 32, 500, 600}}, // above the panel: below it
  };
  for (const auto& c : cases) {
    const TRect placed = PlaceBeside(c.main, 500, 600, c.work);
    EXPECT_EQ(placed, c.expected) << c.main.left << "," << c.main.top;
    EXPECT_GE(placed.left, c.work.left);
    EXPECT_GE(placed.top, c.work.top);
    EXPECT_LE(placed.left + placed.width, c.work.left + c.work.width);
    EXPECT_LE(placed.top + placed.height, c.work.top + c.work.height);
  }
}

// Where the two fit side by side, the main window moves the shorter way to make room; only a
// screen too narrow for both lets the temporary window cover the main window's right part.
TEST(WindowPlacement, OpeningTheTemporaryWindowMakesRoomBesideTheMainWindow) {
  const TRect laptop{0, 0, 1366, 728};
  const TRect narrow{0, 0, 1024, 728};
  const struct {
    TRect work;
    TRect main;
    int expectedLeft;
  } cases[] = {
      {laptop, {416, 189, 534, 350}, 182}, // centred: the temporary window covered 234 px of it
      {laptop, {500, 189, 534, 350}, 650}, // nearer the right: room is made on the left
      {laptop, {100, 50, 534, 350}, 100},  // room on the right: it stays
      {laptop, {800, 50, 534, 350}, 800},  // room on the left: it stays
      {laptop, {-100, 50, 534, 350}, 0},   // partly off the work area: back on it
      {narrow, {300, 50, 534, 350}, 0},    // too narrow for both: to the left edge
  };
  for (const auto& c : cases) {
    const TRect main = MakeRoomBeside(c.main, 650, c.work);
    EXPECT_EQ(main, (TRect{c.expectedLeft, c.main.top, 534, 350})) << c.main.left;
    const TRect side = PlaceBeside(main, 650, 600, c.work);
    const bool overlap = side.left < main.left + main.width && main.left < side.left + side.width;
    EXPECT_EQ(overlap, c.work.width < 534 + 650) << c.main.left;
  }
}

} // namespace
} // namespace zorbe
