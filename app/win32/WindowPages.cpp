#include "app/win32/WindowPages.h"

#include "app/win32/LicenseDlg.h"

void WindowPages::RunLicensePage() {
  // Plain Win32 controls draw themselves three-dimensionally already.
  CLicenseDlg license(os_, atapi_);
  license.MakeMainWindow();
  license.RunModal(nullptr);
}
