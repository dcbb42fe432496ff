// CLicenseDlg: the licence page, the program's first window. Accept opens
// the update page from inside its own handler.
#pragma once

#include "app/LicensePage.h"
#include "app/ResourceIds.h"
#include "app/win32/Dialog.h"
#include "app/win32/OwnerDrawButton.h"

class CLicenseDlg : public CDialog {
 public:
  CLicenseDlg();

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

 private:
  void Accept();

  LicensePage page_;
  COwnerDrawButton exit_;
  COwnerDrawButton accept_;
};
