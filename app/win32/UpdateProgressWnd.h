// CUpdateProgressWnd: the small always-on-top window that shows the update
// running. It takes no keyboard focus when it appears; Esc typed into it
// hides it, which ends the current progress cycle only.
#pragma once

#include <windows.h>

#include <string>

#include "app/ProgressWindow.h"

class CUpdateProgressWnd : public ProgressWindow {
 public:
  // The owner is the window it centres over and gives back the foreground
  // to after a cancel.
  CUpdateProgressWnd(platform::Platform& os, std::string profileFile, HWND owner)
      : ProgressWindow(os, std::move(profileFile)), owner_(owner) {}
  ~CUpdateProgressWnd() override;

  void PeekAndPump(bool escCancels) override;

 protected:
  bool OpenWindow(const std::string& title, bool smooth) override;
  void ShowRange(int lower, int upper, int step) override;
  void ShowPosition(int position) override;
  void ShowCaption(const std::string& title) override;
  void ShowText(const std::string& text) override;
  void HideWindow() override;
  bool ScreenPosition(int* left, int* top) override;
  void RemoveWindow() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool CreateChildren(bool smooth);
  void Layout();
  void CentreOverOwner();

  HWND owner_;
  HWND window_ = nullptr;
  HWND text_ = nullptr;
  HWND bar_ = nullptr;
  HWND cancel_ = nullptr;
  HFONT font_ = nullptr;
};
