#include "app/ProgressLayout.h"

namespace {

constexpr int kMargin = 10;
constexpr int kTextWidth = 332;

}  // namespace

ProgressLayout LayOutProgressWindow(const ProgressMetrics& metrics) {
  const int buttonWidth = metrics.labelWidth + 4 * metrics.edgeX;
  const int buttonHeight = metrics.labelHeight + 3 * metrics.edgeY;
  const int textRight = kMargin + kTextWidth;
  const int buttonLeft = textRight - buttonWidth;
  const int buttonTop = kMargin + metrics.textHeight + kMargin;

  ProgressLayout layout;
  layout.text = {kMargin, kMargin, textRight, kMargin + metrics.textHeight};
  layout.cancel = {buttonLeft, buttonTop, textRight, buttonTop + buttonHeight};
  layout.bar = {kMargin, buttonTop + metrics.edgeY, buttonLeft - kMargin,
                buttonTop + buttonHeight - metrics.edgeY};
  layout.clientWidth = kTextWidth + 2 * kMargin;
  layout.clientHeight = metrics.textHeight + buttonHeight + 3 * kMargin;
  return layout;
}

void CentreOver(const Box& area, int width, int height, int* left, int* top) {
  *left = area.left + (area.right - area.left - width) / 2;
  *top = area.top + (area.bottom - area.top - height) / 2;
}
