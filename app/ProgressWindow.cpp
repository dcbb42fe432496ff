#include "app/ProgressWindow.h"

#include <cstdio>

bool ProgressWindow::Create(const std::string& title, bool smooth) {
  title_ = title;
  lower_ = 0;
  upper_ = 100;
  step_ = 1;
  position_ = 0;
  percentage_ = 0;
  cancelled_ = false;
  return OpenWindow(title, smooth);
}

void ProgressWindow::SetRange(int lower, int upper, int step) {
  lower_ = lower;
  upper_ = upper;
  step_ = step;
  ShowRange(lower, upper, step);
}

void ProgressWindow::SetPosition(int position) {
  position_ = position;
  const int percentage = upper_ > lower_ ? position * 100 / (upper_ - lower_) : 0;
  // The caption carries no number; setting it again on each new whole
  // percentage keeps it painted while the bar moves.
  if (percentage != percentage_) {
    percentage_ = percentage;
    ShowCaption(title_);
  }
  ShowPosition(position);
}

void ProgressWindow::Cancel() {
  cancelled_ = true;
  HideWindow();
}

void ProgressWindow::Destroy() {
  int left = 0;
  int top = 0;
  if (savePosition_ && ScreenPosition(&left, &top)) {
    char x[16];
    char y[16];
    std::snprintf(x, sizeof x, "%d", left);
    std::snprintf(y, sizeof y, "%d", top);
    os_.WriteProfileText(profileFile_.c_str(), kProfileSection, "X", x);
    os_.WriteProfileText(profileFile_.c_str(), kProfileSection, "Y", y);
  }
  RemoveWindow();
}
