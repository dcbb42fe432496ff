// CFlashApp: the flasher's start routine. The drive object has scanned
// during static initialisation; this takes the single-instance mutex and
// runs the licence page, inside which every other page runs.
#pragma once

#include "platform/Platform.h"

class CFlashApp {
 public:
  // How the first page is shown: the dialogs on Windows, a stand-in in tests.
  class Pages {
   public:
    virtual ~Pages() = default;
    virtual void RunLicensePage() = 0;  // returns when the program is to end
  };

  CFlashApp(platform::SystemInfo& system, Pages& pages) : system_(system), pages_(pages) {}

  // Always false: the process ends when it returns. A second copy returns
  // at once, without window, box or sound.
  bool InitInstance();

 private:
  platform::SystemInfo& system_;
  Pages& pages_;
  platform::Handle instanceMutex_ = nullptr;  // never closed: held for the process's life
};
