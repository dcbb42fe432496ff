// The launcher's start-up flow. On the NT family it starts the flasher at
// once. On Windows 95/98/ME the target drive's automatic insert
// notification must be off before the flasher runs, and switching it takes
// a restart: with the setting on, the "Caution" form asks to switch it off
// and restart; with it off, the flasher starts and the setting is written
// back on for the restart that follows the update.
#pragma once

#include "launcher/Atapiobj.h"
#include "platform/Platform.h"

namespace launcher {

// Shows the "Caution" form as the application's main form until it closes.
class MainFormRunner {
 public:
  virtual ~MainFormRunner() = default;
  virtual void RunMainForm() = 0;
};

// Starts "FlashK818R.exe" from the current folder, without arguments and
// without waiting for it.
bool StartFlasher(platform::Programs& programs);

void RunStartupFlow(platform::Platform& os, const TAtapi& atapi, MainFormRunner& form);

// The entry function's work: the flow, with an error that escapes it shown
// once in a box. Always 0: the exit code means nothing.
int RunLauncher(platform::Platform& os, const TAtapi& atapi, MainFormRunner& form);

}  // namespace launcher
