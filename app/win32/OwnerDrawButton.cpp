#include "app/win32/OwnerDrawButton.h"

#include <algorithm>

namespace {

constexpr int kFocusInset = 3;
constexpr int kSmallButtonSide = 16;

}  // namespace

COwnerDrawButton::~COwnerDrawButton() {
  if (window_ != nullptr && ::IsWindow(window_)) {
    ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    ::SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(originalProc_));
  }
}

void COwnerDrawButton::Attach(HWND dialog, int id) {
  window_ = ::GetDlgItem(dialog, id);
  if (window_ == nullptr) return;
  const LONG_PTR style = ::GetWindowLongPtrA(window_, GWL_STYLE);
  ::SetWindowLongPtrA(window_, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
  ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  originalProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ButtonProc)));
}

COwnerDrawButton* COwnerDrawButton::FromWindow(HWND window) {
  if (window == nullptr) return nullptr;
  // Only buttons this class took over carry its procedure.
  if (::GetWindowLongPtrA(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(ButtonProc)) {
    return nullptr;
  }
  return reinterpret_cast<COwnerDrawButton*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

bool COwnerDrawButton::SetDefault(bool isDefault) {
  const bool previous = defaultStyled_;
  ::SendMessageA(::GetParent(window_), DM_SETDEFID, ::GetDlgCtrlID(window_), 0);
  defaultStyled_ = isDefault;
  ::InvalidateRect(window_, nullptr, TRUE);
  return previous;
}

void COwnerDrawButton::Draw(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT area = item.rcItem;
  if (defaultStyled_) ::InflateRect(&area, -1, -1);
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;

  if (item.itemAction != ODA_FOCUS) {
    if (defaultStyled_) {
      HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
      HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
      ::Rectangle(dc, item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom);
      ::SelectObject(dc, oldBrush);
      ::SelectObject(dc, oldPen);
    }
    RECT face = area;
    ::DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (selected ? DFCS_PUSHED : 0));

    char caption[128] = {};
    ::GetWindowTextA(window_, caption, sizeof caption);
    RECT client;
    ::GetClientRect(window_, &client);
    RECT extent = {0, 0, 0, 0};
    ::DrawTextA(dc, caption, -1, &extent, DT_CALCRECT | DT_SINGLELINE);
    int x = (client.right - (extent.right - extent.left)) / 2;
    int y = (client.bottom - (extent.bottom - extent.top)) / 2 - 1;
    if (selected) {
      ++x;
      ++y;
    }
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const UINT flags = DST_PREFIXTEXT | (disabled ? DSS_MONO : DSS_NORMAL);
    HBRUSH brush = disabled ? ::GetSysColorBrush(COLOR_GRAYTEXT) : nullptr;
    ::DrawStateA(dc, brush, nullptr, reinterpret_cast<LPARAM>(caption), 0, x, y, 0, 0, flags);
    ::SetBkMode(dc, oldMode);
  }

  // The focus rectangle inverts: drawn once when the focus comes, once more
  // when it goes, and again after the whole button was drawn afresh.
  const bool focusChanged = (item.itemAction & ODA_FOCUS) != 0;
  const bool drewWhole = (item.itemAction & ODA_DRAWENTIRE) != 0;
  if (!disabled && (focusChanged || (focused && drewWhole))) {
    const int shorter = std::min(area.right - area.left, area.bottom - area.top);
    const int inset = shorter < kSmallButtonSide ? shorter / 4 : kFocusInset;
    RECT focus = area;
    ::InflateRect(&focus, -inset, -inset);
    ::DrawFocusRect(dc, &focus);
  }
}

LRESULT CALLBACK COwnerDrawButton::ButtonProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  auto* button = reinterpret_cast<COwnerDrawButton*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (button == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_GETDLGCODE) {
    // Enter is wanted here, not by the dialog's default command.
    const auto* pending = reinterpret_cast<const MSG*>(lParam);
    LRESULT code = ::CallWindowProcA(button->originalProc_, window, message, wParam, lParam);
    if (pending != nullptr && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) {
      code |= DLGC_WANTMESSAGE;
    }
    return code;
  }
  if (message == WM_KEYDOWN && wParam == VK_RETURN) {
    ::SendMessageA(window, BM_CLICK, 0, 0);
    return 0;
  }
  return ::CallWindowProcA(button->originalProc_, window, message, wParam, lParam);
}
