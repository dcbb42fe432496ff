// What GetVersionExA reports on the Windows versions the kit meets.
#pragma once

#include "platform/Platform.h"

namespace sim {

enum class WindowsVersion {
  kWin95,    // 4.0.950
  kWin98,    // 4.10.1998
  kWin98Se,  // 4.10.2222 "A"
  kWinMe,    // 4.90.3000
  kNt4Sp5,   // 4.0.1381 "Service Pack 5"
  kNt4Sp6,   // 4.0.1381 "Service Pack 6"
  kWin2000,  // 5.0.2195 "Service Pack 4"
  kWinXp,    // 5.1.2600 "Service Pack 3"
};

// On the 9x family the build number carries major and minor in its high
// word, as those systems report it.
platform::OsVersion VersionOf(WindowsVersion version);
bool IsNtFamily(WindowsVersion version);

// Whether GetVersionExA takes the larger OSVERSIONINFOEXA record on that
// system: from NT 4.0 Service Pack 6 on.
bool AcceptsExtendedVersionRecord(const platform::OsVersion& version);

}  // namespace sim
