// TMainW, the "Caution" form, as a window: built from the "TMAINW" resource,
// run as the application's main form until No closes it.
#pragma once

#include "launcher/Atapiobj.h"
#include "launcher/Main.h"
#include "platform/Platform.h"

namespace launcher {

class TMainW final : public MainFormRunner {
 public:
  TMainW(platform::Platform& os, const TAtapi& atapi) : os_(os), atapi_(atapi) {}
  void RunMainForm() override;

  void BtnYesClick();
  void BtnNoClick();

  // The dialog procedure's work; window types stay in the .cpp.
  intptr_t Handle(void* window, unsigned message, uintptr_t wParam, intptr_t lParam);

 private:
  void Place(void* window);

  platform::Platform& os_;
  const TAtapi& atapi_;
  void* window_ = nullptr;
};

}  // namespace launcher
