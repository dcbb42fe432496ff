// CAboutDlg: the version box on the licence page's system menu. Its texts
// are in its template; it only closes.
#pragma once

#include "app/ResourceIds.h"
#include "app/win32/Dialog.h"

class CAboutDlg : public CDialog {
 public:
  CAboutDlg() : CDialog(IDD_VERSION_BOX) {}
};
