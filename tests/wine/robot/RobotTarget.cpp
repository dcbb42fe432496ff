// A small window for the robot's own test: a drop-down list, a button that
// opens a message box, a disabled button, Enter/Esc handling, and a button
// that restarts Windows the way the kit's programs do. Every event it sees
// is appended to target-events.txt in the current folder.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kListId = 101;
constexpr int kShowId = 102;
constexpr int kDisabledId = 103;
constexpr int kRestartId = 104;

void Record(const char* event, const char* detail = "") {
  if (FILE* file = std::fopen("target-events.txt", "a")) {
    std::fprintf(file, "%s%s%s\n", event, *detail ? " " : "", detail);
    std::fclose(file);
  }
}

std::string SelectedLine(HWND window) {
  HWND list = GetDlgItem(window, kListId);
  LRESULT line = SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (line < 0) return "";
  char text[64] = {};
  SendMessageA(list, CB_GETLBTEXT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(text));
  return text;
}

void RestartWindows() {
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
  }
  Record("restarting");
  Record("restart", ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0) ? "accepted" : "refused");
}

void OnCommand(HWND window, int id, int code) {
  if (id == kListId && code == CBN_SELCHANGE) {
    Record("selected", SelectedLine(window).c_str());
  } else if (id == kShowId) {
    std::string text = "Picked " + SelectedLine(window);
    int answer = MessageBoxA(window, text.c_str(), "Target Box", MB_YESNO | MB_ICONQUESTION);
    Record("answer", answer == IDYES ? "yes" : answer == IDNO ? "no" : "other");
  } else if (id == kRestartId) {
    RestartWindows();
  } else if (id == IDOK) {
    Record("enter");
  } else if (id == IDCANCEL) {
    Record("esc");
    DestroyWindow(window);
  }
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(window, LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

HWND AddControl(HWND parent, const char* kind, const char* text, DWORD style, int y, int height,
                int id) {
  return CreateWindowExA(0, kind, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 10, y, 200,
                         height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = TargetProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = "RobotTarget";
  RegisterClassA(&windowClass);

  HWND window = CreateWindowExA(0, "RobotTarget", "Robot Target", WS_OVERLAPPEDWINDOW, 40, 40, 240,
                                180, nullptr, nullptr, instance, nullptr);
  HWND list = AddControl(window, "COMBOBOX", "", CBS_DROPDOWNLIST, 10, 120, kListId);
  for (const char* line : {"alpha", "beta", "gamma"}) {
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  }
  HWND show = AddControl(window, "BUTTON", "Show", BS_PUSHBUTTON, 50, 28, kShowId);
  HWND off = AddControl(window, "BUTTON", "Off", BS_PUSHBUTTON, 90, 28, kDisabledId);
  EnableWindow(off, FALSE);
  AddControl(window, "BUTTON", "Restart", BS_PUSHBUTTON, 130, 28, kRestartId);
  ShowWindow(window, SW_SHOW);
  SetFocus(show);
  Record("started");

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  Record("ended");
  return 0;
}
