// COwnerDrawButton: the pages' push buttons, drawn by the program so that
// every button can show the default frame, and clicked by Enter while it
// has the focus.
#pragma once

#include <windows.h>

#include "app/ButtonFace.h"

class COwnerDrawButton {
 public:
  COwnerDrawButton() = default;
  ~COwnerDrawButton();
  COwnerDrawButton(const COwnerDrawButton&) = delete;
  COwnerDrawButton& operator=(const COwnerDrawButton&) = delete;

  // Takes over the template's button: owner-drawn from now on.
  void Attach(HWND dialog, int id);
  // Makes it the dialog's default command and draws it with the default
  // frame (or without); returns the previous setting.
  bool SetDefault(bool isDefault);

  void Draw(const DRAWITEMSTRUCT& item);
  static COwnerDrawButton* FromWindow(HWND window);

 private:
  static LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  WNDPROC originalProc_ = nullptr;
  bool defaultStyled_ = false;
  FocusMark focusMark_;
};
