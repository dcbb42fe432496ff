#include "app/win32/UpdateDlg.h"

#include "app/UpdateRun.h"
#include "app/win32/LicenseDlg.h"
#include "app/win32/PageArt.h"
#include "app/win32/UpdateProgressWnd.h"
#include "platform/Platform.h"

CUpdateDlg::CUpdateDlg(platform::Platform& os, CAtapi& atapi)
    : CDialog(IDD_UPDATE_PAGE), os_(os), atapi_(atapi), page_(os, atapi) {}

BOOL CUpdateDlg::OnInitDialog() {
  page_.Open();
  HMENU menu = ::GetSystemMenu(Window(), FALSE);
  ::DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
  ::DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
  ::DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
  SetPageIcons(Window());
  update_.Attach(Window(), IDC_UPDATE);
  exit_.Attach(Window(), IDC_UPDATE_EXIT);
  back_.Attach(Window(), IDC_BACK);
  // Every button wears the default frame; Back ends as the default command.
  exit_.SetDefault(true);
  update_.SetDefault(true);
  back_.SetDefault(true);

  HWND list = Item(IDC_DRIVE_LIST);
  for (const std::string& line : page_.DriveLines()) {
    ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  if (page_.DriveLines().empty()) {
    page_.Start();  // the "No drive found." box
    Quit();
    return FALSE;
  }
  ::SendMessageA(list, CB_SETCURSEL, 0, 0);
  page_.Start();
  SetItemText(IDC_DRIVE_LABEL, page_.LabelText());
  Apply();
  return TRUE;
}

void CUpdateDlg::Apply() {
  SetItemText(IDC_PAGE_TEXT, page_.PageText());
  EnableItem(IDC_BACK, page_.Buttons().back);
  EnableItem(IDC_UPDATE, page_.Buttons().update);
  EnableItem(IDC_UPDATE_EXIT, page_.Buttons().exit);
  EnableItem(IDC_DRIVE_LIST, page_.Buttons().driveList);
}

bool CUpdateDlg::OnCommand(int id, int code) {
  if (id == IDC_DRIVE_LIST) {
    if (code != CBN_SELCHANGE) return false;
    const auto line = static_cast<int>(::SendMessageA(Item(IDC_DRIVE_LIST), CB_GETCURSEL, 0, 0));
    if (line >= 0) {
      page_.Select(line);
      Apply();
    }
    return true;
  }
  if (code != BN_CLICKED) return false;
  // Enter and Esc arrive as commands even while their button is disabled
  // (Enter as IDOK, Update's id, when Back is); a locked page ignores them,
  // so nothing ends or restarts an update under way.
  const UpdateButtons& usable = page_.Buttons();
  switch (id) {
    case IDC_UPDATE:
      if (usable.update) Update();
      return true;
    case IDC_BACK:
      if (usable.back) Back();
      return true;
    case IDC_UPDATE_EXIT:
      if (usable.exit) End(IDCANCEL);
      return true;
    default:
      return false;
  }
}

void CUpdateDlg::Update() {
  page_.LockForQuestion();
  Apply();
  const bool yes = page_.AskToUpdate();
  Apply();
  if (yes) RunUpdate();
}

void CUpdateDlg::RunUpdate() {
  CUpdateProgressWnd window(os_, ProfileFileName(os_), Window());
  RunUpdateOnPage(os_, atapi_, page_, window, [this]() { Apply(); });
}

void CUpdateDlg::Back() {
  End(IDCANCEL);
  CLicenseDlg license(os_, atapi_);
  license.RunModal(nullptr);
}

bool CUpdateDlg::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR* result) {
  return HandlePageArtMessage(Window(), message, result);
}
