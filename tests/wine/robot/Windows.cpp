#include "Windows.h"

#include <cwchar>

namespace robot {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string result(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size,
                      nullptr, nullptr);
  return result;
}

std::wstring WindowText(HWND window) {
  // WM_GETTEXT is marshalled between processes; GetWindowText is not for
  // controls of another process.
  LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                reinterpret_cast<LPARAM>(&text[0]));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

namespace {

bool TitleMatches(const std::wstring& pattern, const std::wstring& title) {
  if (!pattern.empty() && pattern.back() == L'*') {
    return title.compare(0, pattern.size() - 1, pattern, 0, pattern.size() - 1) == 0;
  }
  return title == pattern;
}

struct TopLevelSearch {
  const std::wstring* title;
  HWND found;
};

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<TopLevelSearch*>(context);
  if (!IsWindowVisible(window)) return TRUE;
  if (!TitleMatches(*search->title, WindowText(window))) return TRUE;
  search->found = window;
  return FALSE;
}

BOOL CALLBACK VisitChild(HWND window, LPARAM context) {
  auto* controls = reinterpret_cast<std::vector<Control>*>(context);
  controls->push_back({window, GetDlgCtrlID(window), ClassName(window), WindowText(window),
                       IsWindowEnabled(window) != FALSE, IsWindowVisible(window) != FALSE});
  return TRUE;
}

}  // namespace

HWND FindTopLevel(const std::wstring& title) {
  TopLevelSearch search{&title, nullptr};
  EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitTopLevel(const std::wstring& title, DWORD milliseconds) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND window = FindTopLevel(title)) return window;
    if (GetTickCount() - start >= milliseconds) return nullptr;
    Sleep(50);
  }
}

std::vector<Control> ListControls(HWND parent) {
  std::vector<Control> controls;
  EnumChildWindows(parent, VisitChild, reinterpret_cast<LPARAM>(&controls));
  return controls;
}

HWND FindControl(HWND parent, int id) {
  for (const Control& control : ListControls(parent)) {
    if (control.id == id) return control.handle;
  }
  return nullptr;
}

std::vector<std::wstring> ListLines(HWND control) {
  std::wstring kind = ClassName(control);
  bool combo = _wcsicmp(kind.c_str(), L"ComboBox") == 0;
  UINT countMessage = combo ? CB_GETCOUNT : LB_GETCOUNT;
  UINT lengthMessage = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
  UINT textMessage = combo ? CB_GETLBTEXT : LB_GETTEXT;

  std::vector<std::wstring> lines;
  LRESULT count = SendMessageW(control, countMessage, 0, 0);
  for (LRESULT index = 0; index < count; ++index) {
    WPARAM line = static_cast<WPARAM>(index);
    LRESULT length = SendMessageW(control, lengthMessage, line, 0);
    std::wstring text(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
    LRESULT copied = SendMessageW(control, textMessage, line, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    lines.push_back(text);
  }
  return lines;
}

}  // namespace robot
