#include "transport/Atapi.h"

// Windows 9x has no privileges to enable; the restart works all the same.
bool CAtapi::RestartWindows() {
  os_.EnableShutdownPrivilege();
  return os_.ExitWindows(platform::kEwxReboot | platform::kEwxForce);
}
