#include "app/win32/Dialog.h"

#include "app/win32/OwnerDrawButton.h"
#include "platform/win32/Win32Platform.h"

CDialog* CDialog::mainWindow_ = nullptr;

INT_PTR CDialog::RunModal(HWND owner) {
  return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner,
                           DialogProc, reinterpret_cast<LPARAM>(this));
}

bool CDialog::OnCommand(int id, int) {
  if (id == IDOK || id == IDCANCEL) {
    End(id);
    return true;
  }
  return false;
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR*) {
  return false;
}

void CDialog::Quit() {
  ::PostQuitMessage(0);
  // Hidden at once, so an empty page never flashes up before the loop ends.
  End(IDCANCEL);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* dialog = nullptr;
  if (message == WM_INITDIALOG) {
    dialog = reinterpret_cast<CDialog*>(lParam);
    dialog->window_ = window;
    ::SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
    // From here on the page can own the boxes its own start raises.
    if (dialog == mainWindow_) platform::SetMainWindow(window);
  } else {
    dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
  }
  if (dialog == nullptr) return FALSE;
  try {
    return dialog->Dispatch(message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind through Windows; the page cannot go on.
    ::PostQuitMessage(0);
    return FALSE;
  }
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_DRAWITEM: {
      // Drawing is the button's own business.
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (COwnerDrawButton* button = COwnerDrawButton::FromWindow(item->hwndItem)) {
        button->Draw(*item);
        ::SetWindowLongPtrA(Window(), DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      break;
    }
    default:
      break;
  }
  INT_PTR result = FALSE;
  if (OnMessage(message, wParam, lParam, &result)) return result;
  return FALSE;
}
