#include "sim/WindowsVersions.h"

#include <cstring>

namespace sim {

namespace {

platform::OsVersion Make(uint32_t major, uint32_t minor, uint32_t build, uint32_t platformId,
                         const char* servicePack) {
  platform::OsVersion version;
  version.major = major;
  version.minor = minor;
  version.build = build;
  version.platformId = platformId;
  std::strncpy(version.servicePack, servicePack, sizeof version.servicePack - 1);
  return version;
}

// The 9x family puts major.minor into the high word of the build number.
uint32_t Build9x(uint32_t major, uint32_t minor, uint32_t build) {
  return (major << 24) | (minor << 16) | build;
}

}  // namespace

platform::OsVersion VersionOf(WindowsVersion version) {
  using platform::kPlatformWin32Nt;
  using platform::kPlatformWin32Windows;
  switch (version) {
    case WindowsVersion::kWin95:
      return Make(4, 0, Build9x(4, 0, 950), kPlatformWin32Windows, "");
    case WindowsVersion::kWin98:
      return Make(4, 10, Build9x(4, 10, 1998), kPlatformWin32Windows, " ");
    case WindowsVersion::kWin98Se:
      return Make(4, 10, Build9x(4, 10, 2222), kPlatformWin32Windows, " A ");
    case WindowsVersion::kWinMe:
      return Make(4, 90, Build9x(4, 90, 3000), kPlatformWin32Windows, " ");
    case WindowsVersion::kNt4Sp5:
      return Make(4, 0, 1381, kPlatformWin32Nt, "Service Pack 5");
    case WindowsVersion::kNt4Sp6:
      return Make(4, 0, 1381, kPlatformWin32Nt, "Service Pack 6");
    case WindowsVersion::kWin2000:
      return Make(5, 0, 2195, kPlatformWin32Nt, "Service Pack 4");
    case WindowsVersion::kWinXp:
      return Make(5, 1, 2600, kPlatformWin32Nt, "Service Pack 3");
  }
  return platform::OsVersion{};
}

bool IsNtFamily(WindowsVersion version) {
  return VersionOf(version).platformId == platform::kPlatformWin32Nt;
}

bool AcceptsExtendedVersionRecord(const platform::OsVersion& version) {
  if (version.platformId != platform::kPlatformWin32Nt) return false;
  return version.major > 4 || (version.major == 4 && version.servicePack[13] >= '6');
}

}  // namespace sim
