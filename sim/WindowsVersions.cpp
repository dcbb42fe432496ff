#include "sim/WindowsVersions.h"

#include <iterator>

namespace sim {

namespace {

using platform::kPlatformWin32Nt;
using platform::kPlatformWin32Windows;

// In WindowsVersion's order; the 9x builds without major and minor.
const platform::OsVersion kVersions[] = {
    {4, 0, 950, kPlatformWin32Windows, ""},
    {4, 10, 1998, kPlatformWin32Windows, " "},
    {4, 10, 2222, kPlatformWin32Windows, " A "},
    {4, 90, 3000, kPlatformWin32Windows, " "},
    {4, 0, 1381, kPlatformWin32Nt, "Service Pack 5"},
    {4, 0, 1381, kPlatformWin32Nt, "Service Pack 6"},
    {5, 0, 2195, kPlatformWin32Nt, "Service Pack 4"},
    {5, 1, 2600, kPlatformWin32Nt, "Service Pack 3"},
};

}  // namespace

platform::OsVersion VersionOf(WindowsVersion version) {
  const auto index = static_cast<size_t>(version);
  if (index >= std::size(kVersions)) return platform::OsVersion{};
  platform::OsVersion result = kVersions[index];
  // The 9x family puts major.minor into the high word of the build number.
  if (result.platformId == kPlatformWin32Windows) {
    result.build |= (result.major << 24) | (result.minor << 16);
  }
  return result;
}

bool IsNtFamily(WindowsVersion version) {
  return VersionOf(version).platformId == kPlatformWin32Nt;
}

bool AcceptsExtendedVersionRecord(const platform::OsVersion& version) {
  if (version.platformId != kPlatformWin32Nt) return false;
  return version.major > 4 || (version.major == 4 && version.servicePack[13] >= '6');
}

}  // namespace sim
