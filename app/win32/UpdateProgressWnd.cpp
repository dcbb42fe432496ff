#include "app/win32/UpdateProgressWnd.h"

#include <commctrl.h>

#include <cstring>

#include "app/ProgressLayout.h"

// Common controls 4.70 (Windows 98, NT 4.0 with Internet Explorer 3) and
// later know these; the kit's headers target older systems.
#ifndef PBS_SMOOTH
#define PBS_SMOOTH 0x01
#endif
#ifndef PBM_SETRANGE32
#define PBM_SETRANGE32 (WM_USER + 6)
#endif

namespace {

constexpr char kClassName[] = "K818RUpdateProgress";
constexpr int kCancelId = 10;
constexpr int kTextId = 11;
constexpr int kBarId = 12;
constexpr char kCancelLabel[] = " Cancel ";
constexpr int kInitialWidth = 390;
constexpr int kInitialHeight = 130;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;
// The size of NONCLIENTMETRICSA that every Windows version accepts.
constexpr UINT kNonClientMetricsSize = 340;

bool RegisterWindowClass(WNDPROC procedure) {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSA windowClass;
  std::memset(&windowClass, 0, sizeof windowClass);
  windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ::GetModuleHandleA(nullptr);
  windowClass.hCursor = ::LoadCursorA(nullptr, IDC_APPSTARTING);
  windowClass.hbrBackground = ::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
  windowClass.lpszClassName = kClassName;
  registered = ::RegisterClassA(&windowClass) != 0;
  return registered;
}

void Place(HWND control, const Box& box) {
  ::MoveWindow(control, box.left, box.top, box.right - box.left, box.bottom - box.top, FALSE);
}

HFONT CreateMessageFont() {
  NONCLIENTMETRICSA metrics;
  std::memset(&metrics, 0, sizeof metrics);
  metrics.cbSize = kNonClientMetricsSize;
  if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) {
    return nullptr;
  }
  return ::CreateFontIndirectA(&metrics.lfMessageFont);
}

}  // namespace

CUpdateProgressWnd::~CUpdateProgressWnd() {
  if (window_ != nullptr) RemoveWindow();
}

LRESULT CALLBACK CUpdateProgressWnd::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<CUpdateProgressWnd*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client;
      ::GetClientRect(window, &client);
      HDC dc = reinterpret_cast<HDC>(wParam);
      HGDIOBJ old = ::SelectObject(dc, ::GetSysColorBrush(COLOR_BTNFACE));
      ::PatBlt(dc, 0, 0, client.right, client.bottom, PATCOPY);
      ::SelectObject(dc, old);
      return 1;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == kCancelId && self != nullptr) {
        self->Cancel();
        return 0;
      }
      break;
    default:
      break;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

bool CUpdateProgressWnd::OpenWindow(const std::string& title, bool smooth) {
  if (window_ != nullptr) RemoveWindow();
  // InitCommonControlsEx is missing from the common controls of a plain
  // NT 4.0; the old call registers the progress bar everywhere.
  ::InitCommonControls();
  if (!RegisterWindowClass(WindowProc)) return false;
  font_ = CreateMessageFont();
  window_ = ::CreateWindowExA(kExStyle, kClassName, title.c_str(), kStyle, 0, 0, kInitialWidth,
                              kInitialHeight, owner_, nullptr, ::GetModuleHandleA(nullptr), this);
  if (window_ == nullptr || !CreateChildren(smooth)) {
    RemoveWindow();
    return false;
  }
  Layout();
  CentreOverOwner();
  ::ShowWindow(window_, SW_SHOWNA);
  ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  return true;
}

bool CUpdateProgressWnd::CreateChildren(bool smooth) {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  auto child = [&](const char* className, const char* text, DWORD style, int id) {
    return ::CreateWindowExA(0, className, text, WS_CHILD | style, 0, 0, 10, 10, window_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  text_ = child("STATIC", "", WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, kTextId);
  if (text_ == nullptr) return false;
  bar_ = child(PROGRESS_CLASSA, "", WS_VISIBLE | (smooth ? PBS_SMOOTH : 0), kBarId);
  if (bar_ == nullptr) return false;
  // Never shown: the update cannot be stopped half-way.
  cancel_ = child("BUTTON", kCancelLabel, BS_PUSHBUTTON, kCancelId);
  if (cancel_ == nullptr) return false;
  const auto font = reinterpret_cast<WPARAM>(font_);
  ::SendMessageA(cancel_, WM_SETFONT, font, FALSE);
  ::SendMessageA(text_, WM_SETFONT, font, FALSE);
  return true;
}

void CUpdateProgressWnd::Layout() {
  HDC dc = ::GetDC(window_);
  HGDIOBJ oldFont = font_ != nullptr ? ::SelectObject(dc, font_) : nullptr;
  RECT lines = {0, 0, 0, 0};
  ::DrawTextA(dc, "M\nM\nM", -1, &lines, DT_CALCRECT | DT_NOCLIP | DT_NOPREFIX);
  const char cancelText[] = " Cancel   ";  // the label and two blanks
  SIZE label = {0, 0};
  ::GetTextExtentPoint32A(dc, cancelText, static_cast<int>(sizeof cancelText - 1), &label);
  if (oldFont != nullptr) ::SelectObject(dc, oldFont);
  ::ReleaseDC(window_, dc);

  const ProgressLayout layout = LayOutProgressWindow(
      {static_cast<int>(lines.bottom - lines.top), static_cast<int>(label.cx),
       static_cast<int>(label.cy), ::GetSystemMetrics(SM_CXEDGE), ::GetSystemMetrics(SM_CYEDGE)});
  Place(text_, layout.text);
  Place(cancel_, layout.cancel);
  Place(bar_, layout.bar);

  RECT frame = {0, 0, layout.clientWidth, layout.clientHeight};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  ::SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CUpdateProgressWnd::CentreOverOwner() {
  RECT area;
  if (owner_ == nullptr || !::GetWindowRect(owner_, &area)) {
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT self;
  ::GetWindowRect(window_, &self);
  int left = 0;
  int top = 0;
  const Box over = {static_cast<int>(area.left), static_cast<int>(area.top),
                    static_cast<int>(area.right), static_cast<int>(area.bottom)};
  CentreOver(over, static_cast<int>(self.right - self.left),
             static_cast<int>(self.bottom - self.top), &left, &top);
  ::SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CUpdateProgressWnd::ShowRange(int lower, int upper, int step) {
  if (bar_ == nullptr) return;
  ::SendMessageA(bar_, PBM_SETRANGE32, static_cast<WPARAM>(lower), upper);
  ::SendMessageA(bar_, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

void CUpdateProgressWnd::ShowPosition(int position) {
  if (window_ == nullptr) return;
  if (!::IsWindowVisible(window_)) ::ShowWindow(window_, SW_SHOWNA);
  ::SendMessageA(bar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CUpdateProgressWnd::ShowCaption(const std::string& title) {
  if (window_ != nullptr) ::SetWindowTextA(window_, title.c_str());
}

void CUpdateProgressWnd::ShowText(const std::string& text) {
  if (text_ != nullptr) ::SetWindowTextA(text_, text.c_str());
}

void CUpdateProgressWnd::HideWindow() {
  if (window_ != nullptr) ::ShowWindow(window_, SW_HIDE);
  if (owner_ != nullptr) ::SetForegroundWindow(owner_);
}

bool CUpdateProgressWnd::ScreenPosition(int* left, int* top) {
  RECT frame;
  if (window_ == nullptr || !::GetWindowRect(window_, &frame)) return false;
  *left = frame.left;
  *top = frame.top;
  return true;
}

void CUpdateProgressWnd::RemoveWindow() {
  if (window_ != nullptr) ::DestroyWindow(window_);
  if (font_ != nullptr) ::DeleteObject(font_);
  window_ = text_ = bar_ = cancel_ = nullptr;
  font_ = nullptr;
}

void CUpdateProgressWnd::PeekAndPump(bool escCancels) {
  MSG waiting;
  while (!Cancelled() && ::PeekMessageA(&waiting, nullptr, 0, 0, PM_NOREMOVE)) {
    // WM_QUIT belongs to the modal loop around the update: leave it waiting.
    if (waiting.message == WM_QUIT) return;
    if (escCancels && waiting.message == WM_CHAR && waiting.wParam == VK_ESCAPE) Cancel();
    os_.PumpOneMessage();
  }
}
