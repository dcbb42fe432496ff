#include "app/win32/LicenseDlg.h"

#include <memory>

#include "app/win32/AboutDlg.h"
#include "app/win32/PageArt.h"
#include "app/win32/UpdateDlg.h"
#include "platform/Platform.h"

CLicenseDlg::CLicenseDlg(platform::Platform& os, CAtapi& atapi)
    : CDialog(IDD_LICENSE_PAGE), os_(os), atapi_(atapi), page_(os) {}

BOOL CLicenseDlg::OnInitDialog() {
  page_.Open();
  if (!page_.VersionMenuText().empty()) {
    HMENU menu = ::GetSystemMenu(Window(), FALSE);
    ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(menu, MF_STRING, IDM_VERSION_BOX, page_.VersionMenuText().c_str());
  }
  SetPageIcons(Window());
  exit_.Attach(Window(), IDC_LICENSE_EXIT);
  accept_.Attach(Window(), IDC_ACCEPT);
  // Both buttons wear the default frame; Exit ends as the default command,
  // so Enter in the licence text leaves the program.
  accept_.SetDefault(true);
  exit_.SetDefault(true);

  if (!page_.PassGate()) {
    Quit();
    return FALSE;
  }
  page_.LoadTexts();
  SetItemText(IDC_LICENSE_TEXT, page_.LicenseText());
  SetItemText(IDC_ACCEPT_PROMPT, page_.PromptText());
  return TRUE;
}

bool CLicenseDlg::OnCommand(int id, int code) {
  if (id == IDC_ACCEPT && code == BN_CLICKED) {
    Accept();
    return true;
  }
  return CDialog::OnCommand(id, code);
}

void CLicenseDlg::Accept() {
  End(IDCANCEL);
  auto update = std::make_unique<CUpdateDlg>(os_, atapi_);
  update->MakeMainWindow();
  update->RunModal(nullptr);
}

bool CLicenseDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR* result) {
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == IDM_VERSION_BOX) {
    CAboutDlg().RunModal(Window());
    *result = TRUE;
    return true;
  }
  return HandlePageArtMessage(Window(), message, result);
}
