// Where the progress window puts its message, bar and (hidden) Cancel
// button, and where it goes on the screen, decided without a device
// context from what the window measured in its font.
#pragma once

#include "app/PageLayout.h"

// The window's own measurements: three lines of its message font, the
// Cancel label with two blanks after it, and the system's edge sizes.
struct ProgressMetrics {
  int textHeight;
  int labelWidth;
  int labelHeight;
  int edgeX;
  int edgeY;
};

struct ProgressLayout {
  Box text;
  Box cancel;
  Box bar;
  int clientWidth;
  int clientHeight;
};

// The message runs the width of the window above the button row; the bar
// fills that row left of the button.
ProgressLayout LayOutProgressWindow(const ProgressMetrics& metrics);

// The top-left corner that centres a window of that size over an area (its
// owner's frame, or the work area). A window larger than the area overhangs
// it evenly.
void CentreOver(const Box& area, int width, int height, int* left, int* top);
