// Finding and reading the windows of other processes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace robot {

struct Control {
  HWND handle;
  int id;
  std::wstring className;
  std::wstring text;
  bool enabled;
  bool visible;
};

std::string Utf8(const std::wstring& text);
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);

// The topmost visible top-level window whose title equals `title`, or starts
// with it when `title` ends in '*'. Null when there is none.
HWND FindTopLevel(const std::wstring& title);
// Polls FindTopLevel until it answers or `milliseconds` pass.
HWND WaitTopLevel(const std::wstring& title, DWORD milliseconds);

std::vector<Control> ListControls(HWND parent);
HWND FindControl(HWND parent, int id);

// Lines of a combo box or list box, read across the process boundary.
std::vector<std::wstring> ListLines(HWND control);

}  // namespace robot
