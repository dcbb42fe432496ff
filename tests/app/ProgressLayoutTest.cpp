// Where the progress window puts its controls and where it goes on the
// screen.
#include <gtest/gtest.h>

#include <string>

#include "app/ProgressLayout.h"

namespace {

bool operator==(const Box& a, const Box& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Show(const Box& box) {
  return std::to_string(box.left) + "," + std::to_string(box.top) + " - " +
         std::to_string(box.right) + "," + std::to_string(box.bottom);
}

TEST(ProgressLayout, ControlsFollowTheFontAndTheEdges) {
  const struct {
    const char* what;
    ProgressMetrics metrics;
    Box text;
    Box cancel;
    Box bar;
    int clientHeight;
  } cases[] = {
      // Button 57 x 19, its right edge under the message's, a margin below it.
      {"small fonts",
       {39, 49, 13, 2, 2},
       {10, 10, 342, 49},
       {285, 59, 342, 78},
       {10, 61, 275, 76},
       88},
      {"large fonts",
       {48, 62, 16, 2, 2},
       {10, 10, 342, 58},
       {272, 68, 342, 90},
       {10, 70, 262, 88},
       100},
      // Unequal edges: the width takes four of the horizontal one, the height
      // three of the vertical one, and the bar sits one vertical edge inside.
      {"thin and tall edges",
       {39, 49, 13, 1, 3},
       {10, 10, 342, 49},
       {289, 59, 342, 81},
       {10, 62, 279, 78},
       91},
  };
  for (const auto& c : cases) {
    const ProgressLayout layout = LayOutProgressWindow(c.metrics);
    EXPECT_TRUE(layout.text == c.text) << c.what << ": text " << Show(layout.text);
    EXPECT_TRUE(layout.cancel == c.cancel) << c.what << ": cancel " << Show(layout.cancel);
    EXPECT_TRUE(layout.bar == c.bar) << c.what << ": bar " << Show(layout.bar);
    EXPECT_EQ(layout.clientWidth, 352) << c.what;
    EXPECT_EQ(layout.clientHeight, c.clientHeight) << c.what;
  }
}

TEST(ProgressLayout, CentresOverTheAreaItIsGiven) {
  const struct {
    const char* what;
    Box area;
    int width;
    int height;
    int left;
    int top;
  } cases[] = {
      {"over the page", {100, 50, 500, 350}, 356, 117, 122, 141},  // odd rest: up and left
      {"work area below a top task bar", {0, 28, 800, 600}, 356, 117, 222, 255},
      {"owner smaller than the window", {0, 0, 300, 100}, 356, 117, -28, -8},
      {"owner partly off the screen", {-200, -40, 200, 260}, 356, 117, -178, 51},
  };
  for (const auto& c : cases) {
    int left = 0;
    int top = 0;
    CentreOver(c.area, c.width, c.height, &left, &top);
    EXPECT_EQ(left, c.left) << c.what;
    EXPECT_EQ(top, c.top) << c.what;
  }
}

}  // namespace
