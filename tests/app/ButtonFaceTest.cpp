// Where the owner-drawn buttons put their frame, caption and focus
// rectangle.
#include <gtest/gtest.h>

#include "app/ButtonFace.h"

namespace {

bool operator==(const Box& a, const Box& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(ButtonFace, DefaultFrameTakesOnePixelEachSide) {
  EXPECT_TRUE(FaceBox({0, 0, 56, 23}, true) == (Box{1, 1, 55, 22}));
  EXPECT_TRUE(FaceBox({0, 0, 56, 23}, false) == (Box{0, 0, 56, 23}));
}

TEST(ButtonFace, CaptionIsCentredAndMovesWhilePushed) {
  int x = 0;
  int y = 0;
  CaptionOrigin(56, 23, 30, 12, false, &x, &y);
  EXPECT_EQ(x, 13);
  EXPECT_EQ(y, 4);  // (23 - 12) / 2 - 1
  CaptionOrigin(56, 23, 30, 12, true, &x, &y);
  EXPECT_EQ(x, 14);
  EXPECT_EQ(y, 5);
}

TEST(ButtonFace, FocusInsetShrinksOnSmallButtons) {
  const struct {
    Box face;
    Box focus;
  } cases[] = {
      {{1, 1, 55, 22}, {4, 4, 52, 19}},  // shorter side 21: 3 pixels
      {{0, 0, 40, 16}, {3, 3, 37, 13}},  // exactly 16: still 3
      {{0, 0, 40, 15}, {3, 3, 37, 12}},  // 15: a quarter, 3
      {{0, 0, 40, 10}, {2, 2, 38, 8}},   // 10: a quarter, 2
      {{0, 0, 12, 30}, {3, 3, 9, 27}},   // the width is the shorter side
  };
  for (const auto& c : cases) EXPECT_TRUE(FocusBox(c.face) == c.focus) << c.face.bottom;
}

TEST(ButtonFace, FocusRectangleRule) {
  const struct {
    bool enabled, focusChanged, focused, drewWhole, draws;
  } cases[] = {
      {true, true, true, false, true},    // focus comes
      {true, true, false, false, true},   // focus goes: drawn again to invert it away
      {true, false, true, true, true},    // redrawn while focused
      {true, false, false, true, false},  // redrawn without focus
      {true, false, true, false, false},  // selection change only
      {false, true, true, false, false},  // disabled buttons show no focus
      {false, false, true, true, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DrawsFocus(c.enabled, c.focusChanged, c.focused, c.drewWhole), c.draws);
  }
}

}  // namespace
