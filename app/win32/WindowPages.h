// The flasher's pages as real dialogs, for the start routine.
#pragma once

#include "app/FlashApp.h"

class WindowPages : public CFlashApp::Pages {
 public:
  void RunLicensePage() override;
};
