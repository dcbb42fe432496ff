#include "app/win32/OwnerDrawButton.h"

#include "app/ButtonFace.h"

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
  const RECT& whole = item.rcItem;
  const Box face = FaceBox({whole.left, whole.top, whole.right, whole.bottom}, defaultStyled_);
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;

  if (item.itemAction != ODA_FOCUS) {
    if (defaultStyled_) {
      HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
      HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
      ::Rectangle(dc, whole.left, whole.top, whole.right, whole.bottom);
      ::SelectObject(dc, oldBrush);
      ::SelectObject(dc, oldPen);
    }
    RECT faceRect = {face.left, face.top, face.right, face.bottom};
    ::DrawFrameControl(dc, &faceRect, DFC_BUTTON, DFCS_BUTTONPUSH | (selected ? DFCS_PUSHED : 0));

    char caption[128] = {};
    ::GetWindowTextA(window_, caption, sizeof caption);
    RECT client;
    ::GetClientRect(window_, &client);
    RECT extent = {0, 0, 0, 0};
    ::DrawTextA(dc, caption, -1, &extent, DT_CALCRECT | DT_SINGLELINE);
    int x = 0;
    int y = 0;
    CaptionOrigin(client.right, client.bottom, extent.right - extent.left,
                  extent.bottom - extent.top, selected, &x, &y);
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const UINT flags = DST_PREFIXTEXT | (disabled ? DSS_MONO : DSS_NORMAL);
    HBRUSH brush = disabled ? ::GetSysColorBrush(COLOR_GRAYTEXT) : nullptr;
    ::DrawStateA(dc, brush, nullptr, reinterpret_cast<LPARAM>(caption), 0, x, y, 0, 0, flags);
    ::SetBkMode(dc, oldMode);
  }

  const DrawRequest request = {item.itemAction != ODA_FOCUS, !disabled,
                               (item.itemState & ODS_FOCUS) != 0};
  if (focusMark_.Invert(request)) {
    const Box focus = FocusBox(face);
    RECT focusRect = {focus.left, focus.top, focus.right, focus.bottom};
    ::DrawFocusRect(dc, &focusRect);
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
