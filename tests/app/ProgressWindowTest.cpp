// The progress window's own rules: the caption is set again on each new
// whole percentage, a cancel hides it, and each creation starts afresh.
#include <gtest/gtest.h>

#include "sim/SimPc.h"
#include "tests/app/RecordingProgressWindow.h"

namespace {

using apptest::RecordingProgressWindow;

TEST(ProgressWindow, CaptionIsSetAgainOnlyOnANewWholePercentage) {
  const struct {
    int upper;
    int steps;
    int captions;
  } rows[] = {
      {80, 80, 80},       // 1.25 % a step: every step is a new percentage
      {1000, 1000, 100},  // a tenth of a percent a step
      {1000, 9, 0},       // still below 1 %
      {0, 5, 0},          // an empty range stays at 0 %
  };
  for (const auto& row : rows) {
    SCOPED_TRACE("range 0.." + std::to_string(row.upper));
    sim::SimPc pc;
    RecordingProgressWindow window(pc);
    ASSERT_TRUE(window.Create("Updating ...", true));
    window.SetRange(0, row.upper, 1);
    for (int i = 0; i < row.steps; ++i) window.Step();
    EXPECT_EQ(window.Lives()[0].captions, row.captions);
    EXPECT_EQ(window.Position(), row.steps);
  }
}

TEST(ProgressWindow, CancelHidesAndANewCreationStartsEmpty) {
  sim::SimPc pc;
  RecordingProgressWindow window(pc);
  window.Create("Updating ...", true);
  window.SetRange(0, 80, 2);
  window.Step();
  window.Step();
  EXPECT_EQ(window.Position(), 4);
  window.Cancel();
  EXPECT_TRUE(window.Cancelled());
  EXPECT_TRUE(window.Lives()[0].hidden);
  window.Destroy();

  window.Create("Updating ...", true);
  EXPECT_FALSE(window.Cancelled());
  EXPECT_EQ(window.Position(), 0);
  EXPECT_EQ(window.Percentage(), 0);
}

}  // namespace
