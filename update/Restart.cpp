#include "transport/Atapi.h"

// Windows 9x has no privileges to enable; the restart works all the same.
void CAtapi::RestartWindows() {
  os_.EnableShutdownPrivilege();
  os_.ExitWindows(platform::kEwxReboot | platform::kEwxForce);
}
