// CUpdateDlg: the update page. It lists the drives, shows what the image
// file's presence allows, asks before an update and hands over to the
// update run; Back opens a new licence page from inside its handler.
#pragma once

#include "app/ResourceIds.h"
#include "app/UpdatePage.h"
#include "app/win32/Dialog.h"
#include "app/win32/OwnerDrawButton.h"

class CUpdateDlg : public CDialog {
 public:
  CUpdateDlg(platform::Platform& os, CAtapi& atapi);

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int id, int code) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;

 private:
  // The update run after the user's Yes, with the "updating" text shown.
  void RunUpdate();
  void Update();
  void Back();
  // Puts the page's text and button states on the window.
  void Apply();

  platform::Platform& os_;
  CAtapi& atapi_;
  UpdatePage page_;
  COwnerDrawButton update_;
  COwnerDrawButton exit_;
  COwnerDrawButton back_;
};
