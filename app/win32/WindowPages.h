// The flasher's pages as real dialogs, for the start routine.
#pragma once

#include "app/FlashApp.h"
#include "platform/Platform.h"

class CAtapi;

class WindowPages : public CFlashApp::Pages {
 public:
  WindowPages(platform::Platform& os, CAtapi& atapi) : os_(os), atapi_(atapi) {}
  void RunLicensePage() override;

 private:
  platform::Platform& os_;
  CAtapi& atapi_;
};
