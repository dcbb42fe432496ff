// The progress window's rules, apart from the window itself: its range, the
// position and the whole percentage that resets the caption, the cancel flag
// and the position it leaves in the profile file when it closes.
// app/win32/UpdateProgressWnd puts it on the screen.
#pragma once

#include <string>

#include "platform/Platform.h"

constexpr const char* kProfileSection = "Settings";

class ProgressWindow {
 public:
  ProgressWindow(platform::Platform& os, std::string profileFile)
      : os_(os), profileFile_(std::move(profileFile)) {}
  virtual ~ProgressWindow() = default;
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  // Each creation starts a fresh window: empty bar, not cancelled.
  bool Create(const std::string& title, bool smooth);
  void SetRange(int lower, int upper, int step);
  void SetPosition(int position);
  void Step() { SetPosition(position_ + step_); }
  void SetText(const std::string& text) { ShowText(text); }
  // Serves the messages waiting for this thread's windows; Esc typed into
  // the window cancels it when escCancels is set.
  virtual void PeekAndPump(bool escCancels) = 0;
  void Cancel();
  bool Cancelled() const { return cancelled_; }
  // Leaves the window's screen position in the profile file, then closes it.
  void Destroy();

  int Position() const { return position_; }
  int Percentage() const { return percentage_; }

 protected:
  // The window's side of each operation.
  virtual bool OpenWindow(const std::string& title, bool smooth) = 0;
  virtual void ShowRange(int lower, int upper, int step) = 0;
  virtual void ShowPosition(int position) = 0;  // shows a hidden window first
  virtual void ShowCaption(const std::string& title) = 0;
  virtual void ShowText(const std::string& text) = 0;
  virtual void HideWindow() = 0;
  virtual bool ScreenPosition(int* left, int* top) = 0;  // false: no window
  virtual void RemoveWindow() = 0;

  platform::Platform& os_;

 private:
  std::string profileFile_;
  std::string title_;
  int lower_ = 0;
  int upper_ = 100;
  int step_ = 1;
  int position_ = 0;
  int percentage_ = 0;
  bool cancelled_ = false;
  bool savePosition_ = true;
};
