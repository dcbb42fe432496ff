// The window robot: drives the kit's programs from outside, the way a user
// would, so that the Wine tests exercise the real windows and message boxes.
//
//   robot windows
//   robot wait-window TITLE [MS]        robot wait-no-window TITLE [MS]
//   robot controls TITLE                robot lines TITLE ID
//   robot select TITLE ID LINE          robot click TITLE ID
//   robot msgbox TITLE [MS]             robot press TITLE ID
//   robot key TITLE enter|esc           robot wait-exit EXE [MS]
//   robot styles TITLE                  robot focus TITLE ID
//   robot syscommand TITLE CODE
//   robot window TITLE                  robot control TITLE ID
//   robot activate TITLE                robot sysmenu TITLE KEYS
//   robot message-font                 robot type KEYS
//   robot hold TITLE ID                 robot let-go TITLE ID
//   robot char-place TITLE ID INDEX     robot text-size FACE HEIGHT TEXT
//   robot error-text CODE               this system's text for a Win32 error
//
// TITLE matches a visible top-level window exactly, or by prefix when it
// ends in '*'. Texts are printed as UTF-8, fields separated by tabs, with
// backslash, tab, CR and LF inside a text written as \\ \t \r \n.
// Exit codes: 0 done, 1 usage, 2 not found or timed out, 3 control unusable.
#include <windows.h>
// After windows.h.
#include <fcntl.h>
#include <io.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <string>

#include "Windows.h"

namespace robot {
namespace {

constexpr int kDone = 0;
constexpr int kUsage = 1;
constexpr int kNotFound = 2;
constexpr int kUnusable = 3;
constexpr DWORD kDefaultWait = 10000;

// The message box's text control has this id on every Windows version.
constexpr int kMessageBoxTextId = 0xFFFF;

void Print(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// One field of a tab-separated line, whatever the text holds.
std::string Field(const std::wstring& text) {
  std::string escaped;
  for (char c : Utf8(text)) {
    switch (c) {
      case '\\':
        escaped += "\\\\";
        break;
      case '\t':
        escaped += "\\t";
        break;
      case '\r':
        escaped += "\\r";
        break;
      case '\n':
        escaped += "\\n";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

int Fail(int code, const std::wstring& what) {
  std::string line = "robot: " + Utf8(what) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  return code;
}

bool ParseNumber(const wchar_t* text, long& value) {
  wchar_t* end = nullptr;
  value = std::wcstol(text, &end, 0);
  return end != text && *end == L'\0';
}

DWORD WaitArgument(int argc, wchar_t** argv, int index) {
  long value = 0;
  if (index < argc && ParseNumber(argv[index], value) && value >= 0) {
    return static_cast<DWORD>(value);
  }
  return kDefaultWait;
}

std::string Hex(HWND window) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
  return text;
}

BOOL CALLBACK PrintTopLevel(HWND window, LPARAM) {
  if (!IsWindowVisible(window)) return TRUE;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  Print(Hex(window) + "\t" + std::to_string(process) + "\t" + Field(ClassName(window)) + "\t" +
        Field(WindowText(window)));
  return TRUE;
}

int ListWindows() {
  EnumWindows(PrintTopLevel, 0);
  return kDone;
}

int WaitWindow(const std::wstring& title, DWORD wait) {
  HWND window = WaitTopLevel(title, wait);
  if (!window) return Fail(kNotFound, L"no window \"" + title + L"\"");
  Print(Hex(window));
  return kDone;
}

int WaitNoWindow(const std::wstring& title, DWORD wait) {
  DWORD start = GetTickCount();
  while (FindTopLevel(title)) {
    if (GetTickCount() - start >= wait) return Fail(kNotFound, L"still open: \"" + title + L"\"");
    Sleep(50);
  }
  return kDone;
}

HWND RequireWindow(const std::wstring& title) {
  HWND window = WaitTopLevel(title, kDefaultWait);
  if (!window) Fail(kNotFound, L"no window \"" + title + L"\"");
  return window;
}

int ListWindowControls(const std::wstring& title) {
  HWND window = RequireWindow(title);
  if (!window) return kNotFound;
  for (const Control& control : ListControls(window)) {
    Print(std::to_string(control.id) + "\t" + Utf8(control.className) + "\t" +
          (control.enabled ? "enabled" : "disabled") + "\t" +
          (control.visible ? "visible" : "hidden") + "\t" + Field(control.text));
  }
  return kDone;
}

std::string HexStyle(LONG_PTR style) {
  char text[16];
  std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(style & 0xFFFFFFFF));
  return text;
}

// The window's and every control's style and extended style, as a
// template defines them (the program may have changed them since).
int ListStyles(const std::wstring& title) {
  HWND window = RequireWindow(title);
  if (!window) return kNotFound;
  Print("window\t" + Utf8(ClassName(window)) + "\t" +
        HexStyle(GetWindowLongPtrW(window, GWL_STYLE)) + "\t" +
        HexStyle(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  for (const Control& control : ListControls(window)) {
    Print(std::to_string(control.id) + "\t" + Utf8(control.className) + "\t" +
          HexStyle(GetWindowLongPtrW(control.handle, GWL_STYLE)) + "\t" +
          HexStyle(GetWindowLongPtrW(control.handle, GWL_EXSTYLE)));
  }
  return kDone;
}

// Control ID of the window TITLE, hidden or not.
HWND AnyControl(const std::wstring& title, const wchar_t* idText, int& status) {
  long id = 0;
  if (!ParseNumber(idText, id)) {
    status = Fail(kUsage, L"bad control id " + std::wstring(idText));
    return nullptr;
  }
  HWND window = RequireWindow(title);
  if (!window) {
    status = kNotFound;
    return nullptr;
  }
  HWND control = FindControl(window, static_cast<int>(id));
  if (!control) {
    status = Fail(kNotFound, L"no control " + std::wstring(idText) + L" in \"" + title + L"\"");
    return nullptr;
  }
  status = kDone;
  return control;
}

// A control the user could operate: present, visible and enabled.
HWND UsableControl(const std::wstring& title, const wchar_t* idText, int& status) {
  HWND control = AnyControl(title, idText, status);
  if (control && (!IsWindowVisible(control) || !IsWindowEnabled(control))) {
    status = Fail(kUnusable, L"control " + std::wstring(idText) + L" is hidden or disabled");
    return nullptr;
  }
  return control;
}

int ListControlLines(const std::wstring& title, const wchar_t* id) {
  int status = kDone;
  HWND control = AnyControl(title, id, status);
  if (!control) return status;
  for (const std::wstring& line : ListLines(control)) Print(Field(line));
  return kDone;
}

int SelectLine(const std::wstring& title, const wchar_t* id, const wchar_t* lineText) {
  long line = 0;
  if (!ParseNumber(lineText, line) || line < 0) return Fail(kUsage, L"bad line number");
  int status = kDone;
  HWND combo = UsableControl(title, id, status);
  if (!combo) return status;
  LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  if (line >= count) return Fail(kNotFound, L"no line " + std::wstring(lineText));
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(line), 0);
  // CB_SETCURSEL does not notify the owner; a user's pick does.
  WPARAM command = MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(combo)), CBN_SELCHANGE);
  PostMessageW(GetParent(combo), WM_COMMAND, command, reinterpret_cast<LPARAM>(combo));
  return kDone;
}

int Click(const std::wstring& title, const wchar_t* id) {
  int status = kDone;
  HWND button = UsableControl(title, id, status);
  if (!button) return status;
  // Posted: a sent BM_CLICK would block for as long as the box it opens.
  PostMessageW(button, BM_CLICK, 0, 0);
  return kDone;
}

// Moves the keyboard focus to a control, as Tab or a click would.
int Focus(const std::wstring& title, const wchar_t* id) {
  int status = kDone;
  HWND control = UsableControl(title, id, status);
  if (!control) return status;
  PostMessageW(GetParent(control), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
  return kDone;
}

// A command of the window's system menu, as if the user picked it.
int SystemCommand(const std::wstring& title, const wchar_t* codeText) {
  long code = 0;
  if (!ParseNumber(codeText, code)) return Fail(kUsage, L"bad command " + std::wstring(codeText));
  HWND window = RequireWindow(title);
  if (!window) return kNotFound;
  PostMessageW(window, WM_SYSCOMMAND, static_cast<WPARAM>(code), 0);
  return kDone;
}

std::string Rect(const RECT& r) {
  return std::to_string(r.left) + "\t" + std::to_string(r.top) + "\t" +
         std::to_string(r.right - r.left) + "\t" + std::to_string(r.bottom - r.top);
}

std::string Yes(bool value) {
  return value ? "yes" : "no";
}

// Where a window is and what it is: outer rectangle on the screen, client
// size, styles, owner, visibility, whether it is the active window.
int DescribeWindow(const std::wstring& title) {
  HWND window = RequireWindow(title);
  if (!window) return kNotFound;
  RECT outer{};
  GetWindowRect(window, &outer);
  RECT client{};
  GetClientRect(window, &client);
  HWND owner = GetWindow(window, GW_OWNER);
  Print("rect\t" + Rect(outer));
  Print("client\t" + std::to_string(client.right) + "\t" + std::to_string(client.bottom));
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  Print("origin\t" + std::to_string(origin.x) + "\t" + std::to_string(origin.y));
  Print("style\t" + HexStyle(GetWindowLongPtrW(window, GWL_STYLE)));
  Print("exstyle\t" + HexStyle(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  Print("owner\t" + (owner ? Field(WindowText(owner)) : std::string("-")));
  Print("visible\t" + Yes(IsWindowVisible(window) != FALSE));
  Print("active\t" + Yes(GetForegroundWindow() == window));
  return kDone;
}

// A control's place in its window's client area, styles, visibility. (Its
// font stays out of reach: WM_GETFONT does not cross processes here.)
int DescribeControl(const std::wstring& title, const wchar_t* idText) {
  int status = kDone;
  HWND control = AnyControl(title, idText, status);
  if (!control) return status;
  RECT place{};
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
  Print("rect\t" + Rect(place));
  Print("style\t" + HexStyle(GetWindowLongPtrW(control, GWL_STYLE)));
  Print("exstyle\t" + HexStyle(GetWindowLongPtrW(control, GWL_EXSTYLE)));
  Print("visible\t" + Yes(IsWindowVisible(control) != FALSE));
  return kDone;
}

// The system's message font, which the progress window lays out with: its
// face and height, the height of three lines of it and the size of the
// Cancel label with two blanks.
int MessageFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return Fail(kNotFound, L"no non-client metrics");
  }
  HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT lines{};
  DrawTextW(dc, L"M\nM\nM", -1, &lines, DT_CALCRECT | DT_NOCLIP | DT_NOPREFIX);
  SIZE label{};
  GetTextExtentPoint32W(dc, L" Cancel   ", 10, &label);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  Print("font\t" + Field(metrics.lfMessageFont.lfFaceName) + "\t" +
        std::to_string(metrics.lfMessageFont.lfHeight));
  Print("lines\t" + std::to_string(lines.bottom - lines.top));
  Print("cancel\t" + std::to_string(label.cx) + "\t" + std::to_string(label.cy));
  Print("edge\t" + std::to_string(GetSystemMetrics(SM_CXEDGE)) + "\t" +
        std::to_string(GetSystemMetrics(SM_CYEDGE)));
  return kDone;
}

// The left mouse button goes down on a control and stays down; let go, it
// comes up outside the control, so nothing is clicked.
int HoldMouse(const std::wstring& title, const wchar_t* id, bool down) {
  int status = kDone;
  HWND control = UsableControl(title, id, status);
  if (!control) return status;
  if (down) {
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  } else {
    PostMessageW(control, WM_LBUTTONUP, 0,
                 MAKELPARAM(static_cast<WORD>(-40), static_cast<WORD>(-40)));
  }
  return kDone;
}

// Where an edit control draws character INDEX (EM_POSFROMCHAR): what its
// font makes of the text, read from outside.
int CharPlace(const std::wstring& title, const wchar_t* idText, const wchar_t* indexText) {
  long index = 0;
  if (!ParseNumber(indexText, index) || index < 0) return Fail(kUsage, L"bad character index");
  int status = kDone;
  HWND control = AnyControl(title, idText, status);
  if (!control) return status;
  LRESULT place = SendMessageW(control, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0);
  if (place == -1) return Fail(kNotFound, L"no character " + std::wstring(indexText));
  Print("place\t" + std::to_string(static_cast<short>(LOWORD(place))) + "\t" +
        std::to_string(static_cast<short>(HIWORD(place))));
  return kDone;
}

// The width and height of TEXT in the font FACE of that height (lfHeight).
int TextSize(const std::wstring& face, const wchar_t* heightText, const std::wstring& text) {
  long height = 0;
  if (!ParseNumber(heightText, height)) return Fail(kUsage, L"bad font height");
  LOGFONTW font{};
  font.lfHeight = height;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  HFONT handle = CreateFontIndirectW(&font);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, handle);
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(handle);
  Print("size\t" + std::to_string(size.cx) + "\t" + std::to_string(metrics.tmHeight));
  return kDone;
}

// Brings the window to the front, as a click on it would. Wine hands the
// focus over through the X server, so the change may land a moment later.
int Activate(const std::wstring& title) {
  HWND window = RequireWindow(title);
  if (!window) return kNotFound;
  const DWORD start = GetTickCount();
  do {
    SetForegroundWindow(window);
    if (GetForegroundWindow() == window) return kDone;
    Sleep(100);
  } while (GetTickCount() - start < kDefaultWait);
  return Fail(kNotFound, L"not brought to the front");
}

void TypeInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

// Types KEYS into whatever has the keyboard: letters as themselves, 'v'
// Down, '^' Up, '.' Enter and '!' Esc.
void TypeKeys(const std::wstring& keys) {
  for (wchar_t key : keys) {
    WORD code = 0;
    if (key == L'v') code = VK_DOWN;
    if (key == L'^') code = VK_UP;
    if (key == L'.') code = VK_RETURN;
    if (key == L'!') code = VK_ESCAPE;
    if (!code) code = static_cast<WORD>(towupper(key));
    TypeInput(code, false);
    TypeInput(code, true);
    Sleep(200);
  }
}

// Opens the window's system menu as Alt+Space does, then types KEYS.
int SystemMenuKeys(const std::wstring& title, const std::wstring& keys) {
  HWND window = RequireWindow(title);
  if (!window) return kNotFound;
  SetForegroundWindow(window);
  Sleep(200);
  TypeInput(VK_MENU, false);
  TypeInput(VK_SPACE, false);
  TypeInput(VK_SPACE, true);
  TypeInput(VK_MENU, true);
  Sleep(300);
  TypeKeys(keys);
  return kDone;
}

int ReadMessageBox(const std::wstring& title, DWORD wait) {
  DWORD start = GetTickCount();
  HWND box = nullptr;
  while (!(box = FindTopLevel(title)) || ClassName(box) != L"#32770") {
    if (GetTickCount() - start >= wait)
      return Fail(kNotFound, L"no message box \"" + title + L"\"");
    Sleep(50);
  }
  Print("caption\t" + Field(WindowText(box)));
  HWND text = FindControl(box, kMessageBoxTextId);
  Print("text\t" + Field(text ? WindowText(text) : std::wstring()));
  for (const Control& control : ListControls(box)) {
    if (control.className != L"Button" || !control.visible) continue;
    Print("button\t" + std::to_string(control.id) + "\t" + Field(control.text));
  }
  return kDone;
}

int TypeKey(const std::wstring& title, const std::wstring& keyName) {
  WPARAM key = 0;
  if (keyName == L"enter") key = VK_RETURN;
  if (keyName == L"esc") key = VK_ESCAPE;
  if (!key) return Fail(kUsage, L"key must be enter or esc");
  HWND window = RequireWindow(title);
  if (!window) return kNotFound;
  // Keys go to the control that has the focus, as typed keys would.
  HWND target = window;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (GetGUIThreadInfo(thread, &info) && info.hwndFocus &&
      (info.hwndFocus == window || IsChild(window, info.hwndFocus))) {
    target = info.hwndFocus;
  }
  UINT scan = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
  LPARAM down = static_cast<LPARAM>(1u | (scan << 16));
  LPARAM up = static_cast<LPARAM>(1u | (scan << 16) | 0xC0000000u);
  PostMessageW(target, WM_KEYDOWN, key, down);
  PostMessageW(target, WM_KEYUP, key, up);
  return kDone;
}

bool ProcessRunning(const std::wstring& exe) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
       more = Process32NextW(snapshot, &entry)) {
    found = _wcsicmp(entry.szExeFile, exe.c_str()) == 0;
  }
  CloseHandle(snapshot);
  return found;
}

int WaitExit(const std::wstring& exe, DWORD wait) {
  DWORD start = GetTickCount();
  while (ProcessRunning(exe)) {
    if (GetTickCount() - start >= wait) return Fail(kNotFound, exe + L" still running");
    Sleep(100);
  }
  return kDone;
}

// What FormatMessageA gives a program here, in the system's words.
int ErrorText(const wchar_t* codeText) {
  long code = 0;
  if (!ParseNumber(codeText, code)) return Fail(kUsage, L"bad error code");
  wchar_t text[512] = {};
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                static_cast<DWORD>(code), 0, text, 512, nullptr);
  if (length == 0) return Fail(kNotFound, L"no text for error " + std::wstring(codeText));
  Print(Field(std::wstring(text, length)));
  return kDone;
}

int Run(int argc, wchar_t** argv) {
  if (argc < 2) return Fail(kUsage, L"usage: robot COMMAND [ARGS]");
  std::wstring command = argv[1];
  if (command == L"windows") return ListWindows();
  if (command == L"message-font") return MessageFont();
  if (argc < 3) return Fail(kUsage, L"missing argument for " + command);
  std::wstring title = argv[2];
  if (command == L"wait-window") return WaitWindow(title, WaitArgument(argc, argv, 3));
  if (command == L"wait-no-window") return WaitNoWindow(title, WaitArgument(argc, argv, 3));
  if (command == L"controls") return ListWindowControls(title);
  if (command == L"styles") return ListStyles(title);
  if (command == L"msgbox") return ReadMessageBox(title, WaitArgument(argc, argv, 3));
  if (command == L"error-text") return ErrorText(argv[2]);
  if (command == L"wait-exit") return WaitExit(title, WaitArgument(argc, argv, 3));
  if (command == L"window") return DescribeWindow(title);
  if (command == L"activate") return Activate(title);
  if (command == L"type") {
    TypeKeys(title);
    return kDone;
  }
  if (argc < 4) return Fail(kUsage, L"missing argument for " + command);
  if (command == L"lines") return ListControlLines(title, argv[3]);
  if (command == L"click" || command == L"press") return Click(title, argv[3]);
  if (command == L"key") return TypeKey(title, argv[3]);
  if (command == L"focus") return Focus(title, argv[3]);
  if (command == L"syscommand") return SystemCommand(title, argv[3]);
  if (command == L"control") return DescribeControl(title, argv[3]);
  if (command == L"sysmenu") return SystemMenuKeys(title, argv[3]);
  if (command == L"hold") return HoldMouse(title, argv[3], true);
  if (command == L"let-go") return HoldMouse(title, argv[3], false);
  if (argc < 5) return Fail(kUsage, L"missing argument for " + command);
  if (command == L"select") return SelectLine(title, argv[3], argv[4]);
  if (command == L"char-place") return CharPlace(title, argv[3], argv[4]);
  if (command == L"text-size") return TextSize(title, argv[3], argv[4]);
  return Fail(kUsage, L"unknown command " + command);
}

}  // namespace
}  // namespace robot

int wmain(int argc, wchar_t** argv) {
  // UTF-8 lines ending in a bare '\n', whatever reads them.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  return robot::Run(argc, argv);
}
