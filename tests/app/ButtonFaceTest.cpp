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

// What the screen shows, drawn the way the button draws: a repainted face
// has no rectangle, and each inversion toggles it.
struct Screen {
  FocusMark mark;
  bool rectangle = false;
  void Draw(const DrawRequest& request) {
    if (request.repaintsFace) rectangle = false;
    if (mark.Invert(request)) rectangle = !rectangle;
  }
};

constexpr bool kFace = true;
constexpr bool kFocusOnly = false;

TEST(ButtonFace, FocusRectangleFollowsTheFocusThroughAPress) {
  // The requests Windows sends for a mouse click on a button that has no
  // focus yet, then Tab away.
  const struct {
    const char* what;
    DrawRequest request;
    bool rectangle;
  } steps[] = {
      {"first paint", {kFace, true, false}, false},
      {"focus gained", {kFocusOnly, true, true}, true},
      {"pressed", {kFace, true, true}, true},
      {"released", {kFace, true, true}, true},
      {"repainted", {kFace, true, true}, true},
      {"focus lost", {kFocusOnly, true, false}, false},
      {"pressed by Space elsewhere, repainted", {kFace, true, false}, false},
  };
  Screen screen;
  for (const auto& s : steps) {
    screen.Draw(s.request);
    EXPECT_EQ(screen.rectangle, s.rectangle) << s.what;
    EXPECT_EQ(screen.mark.Shown(), s.rectangle) << s.what;
  }
}

TEST(ButtonFace, DisabledButtonShowsNoFocusAndLeavesNoneBehind) {
  Screen screen;
  screen.Draw({kFocusOnly, true, true});
  ASSERT_TRUE(screen.rectangle);
  // Update clicked: the page disables the focused button, which repaints.
  screen.Draw({kFace, false, true});
  EXPECT_FALSE(screen.rectangle);
  // The focus moves on while it is disabled; enabled again later.
  screen.Draw({kFocusOnly, false, false});
  EXPECT_FALSE(screen.rectangle);
  screen.Draw({kFace, true, false});
  EXPECT_FALSE(screen.rectangle);
  // A focus request that repeats the state it already shows changes nothing.
  screen.Draw({kFocusOnly, true, true});
  screen.Draw({kFocusOnly, true, true});
  EXPECT_TRUE(screen.rectangle);
}

}  // namespace
