#include "launcher/win32/MainWindow.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#undef ExitWindows

#include <exception>

#include "launcher/MainForm.h"
#include "launcher/win32/MainFormIds.h"

namespace launcher {

namespace {

// An error may not unwind through the system's frames: it is kept here and
// thrown again once the dialog has returned.
std::exception_ptr g_escaped;

INT_PTR CALLBACK MainFormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(window, DWLP_USER, lParam);
  auto* form = reinterpret_cast<TMainW*>(GetWindowLongPtrA(window, DWLP_USER));
  if (form == nullptr) return FALSE;
  try {
    return form->Handle(window, message, wParam, lParam);
  } catch (...) {
    g_escaped = std::current_exception();
    EndDialog(window, 0);
    return TRUE;
  }
}

void PlaceControl(HWND window, int id, const launcher::Place& place) {
  MoveWindow(GetDlgItem(window, id), place.left, place.top, place.width, place.height, TRUE);
}

}  // namespace

void TMainW::RunMainForm() {
  g_escaped = nullptr;
  DialogBoxParamA(GetModuleHandleA(nullptr), "TMAINW", nullptr, MainFormProc,
                  reinterpret_cast<LPARAM>(this));
  window_ = nullptr;
  if (g_escaped) std::rethrow_exception(g_escaped);
}

void TMainW::BtnYesClick() {
  launcher::BtnYesClick(os_, atapi_);
}

void TMainW::BtnNoClick() {
  EndDialog(static_cast<HWND>(window_), 0);
}

void TMainW::Place(void* handle) {
  auto window = static_cast<HWND>(handle);
  const launcher::Place& form = main_form::kForm;
  SetWindowPos(window, nullptr, form.left, form.top, form.width, form.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceControl(window, IDC_MEMO1, main_form::kMemo);
  PlaceControl(window, IDC_BTN_YES, main_form::kYes);
  PlaceControl(window, IDC_BTN_NO, main_form::kNo);
}

intptr_t TMainW::Handle(void* handle, unsigned message, uintptr_t wParam, intptr_t) {
  auto window = static_cast<HWND>(handle);
  switch (message) {
    case WM_INITDIALOG:
      window_ = window;
      Place(window);
      SetDlgItemTextA(window, IDC_MEMO1, main_form::MemoText().c_str());
      SetFocus(GetDlgItem(window, IDC_BTN_YES));
      return FALSE;  // the focus is set
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      auto dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<intptr_t>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      if (LOWORD(wParam) == IDC_BTN_YES) {
        BtnYesClick();
        return TRUE;
      }
      if (LOWORD(wParam) == IDC_BTN_NO) {
        BtnNoClick();
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      BtnNoClick();
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace launcher
