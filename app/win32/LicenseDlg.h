// CLicenseDlg: the licence page, the program's first window. Accept opens
// the update page from inside its own handler.
#pragma once

#include "app/LicensePage.h"
#include "app/ResourceIds.h"
#include "app/win32/Dialog.h"
#include "app/win32/OwnerDrawButton.h"

class CAtapi;

class CLicenseDlg : public CDialog {
 public:
  // The drive object goes on to the update page.
  CLicenseDlg(platform::Platform& os, CAtapi& atapi);

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

 private:
  void Accept();

  platform::Platform& os_;
  CAtapi& atapi_;
  LicensePage page_;
  COwnerDrawButton exit_;
  COwnerDrawButton accept_;
};
