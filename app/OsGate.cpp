#include "app/OsGate.h"

#include <cstdio>
#include <cstring>

#include "app/AppBoxes.h"
#include "app/ConfigManagerDevices.h"

namespace {

constexpr uint32_t kFirstWin98Build = 1998;
constexpr int kServicePackDigit = 13;  // the digit of "Service Pack 6"
constexpr int kRequiredServicePack = 6;

void CopyVersion(const platform::OsVersion& version, OsRecord& record) {
  record.major = version.major;
  record.minor = version.minor;
  record.build = version.build & 0xFFFF;
  record.platformId = version.platformId;
  std::memcpy(record.servicePack, version.servicePack, sizeof record.servicePack);
  record.servicePack[sizeof record.servicePack - 1] = '\0';
}

const char* VersionLineFormat(OsDecision decision, bool windows9x, Language language) {
  if (decision == OsDecision::kRefusedDevice) return "Win98SE : %d.%d %s (Build %d)\r\n\r\n";
  if (!windows9x) return "NT : %d.%d %s (Build %d)\r\n\r\n";
  return language == Language::kJapanese ? "Win95 : %d.%d %s (Build %d)\r\n\r\n"
                                         : "Win95 or Win98 : %d.%d %s (Build %d)\r\n\r\n";
}

}  // namespace

OsRecord ReadOsRecord(platform::SystemInfo& system) {
  OsRecord record;
  platform::OsVersion version;
  if (system.QueryVersionExtended(version) || system.QueryVersion(version))
    CopyVersion(version, record);
  record.windows9x = record.platformId == platform::kPlatformWin32Windows;
  return record;
}

OsDecision DecideOsSupport(platform::Registry& registry, OsRecord& record) {
  if (record.platformId == platform::kPlatformWin32Windows) {
    if (record.minor == 0) return OsDecision::kRefusedGeneral;  // every Windows 95
    if (record.major == 4 && record.build < kFirstWin98Build) return OsDecision::kRefusedGeneral;
    record.deviceCheckRun = true;
    return CheckConfigManagerDevices(registry) == DeviceCheck::kClear ? OsDecision::kSupported
                                                                      : OsDecision::kRefusedDevice;
  }
  if (record.platformId == platform::kPlatformWin32Nt) {
    if (record.major < 4) return OsDecision::kRefusedGeneral;
    if (record.major > 4) return OsDecision::kSupported;
    // Only the one digit counts, taken as a signed character: "6a" passes,
    // an empty text or a byte from 0x80 up does not.
    const int servicePack = static_cast<signed char>(record.servicePack[kServicePackDigit]) - '0';
    return servicePack < kRequiredServicePack ? OsDecision::kRefusedGeneral
                                              : OsDecision::kSupported;
  }
  return OsDecision::kRefusedGeneral;
}

std::string RefusalText(platform::Programs& program, const OsRecord& record, OsDecision decision,
                        Language language) {
  char line[256];
  std::snprintf(line, sizeof line, VersionLineFormat(decision, record.windows9x, language),
                static_cast<int>(record.major), static_cast<int>(record.minor), record.servicePack,
                static_cast<int>(record.build));
  const Message text =
      decision == OsDecision::kRefusedDevice ? Message::DeviceRefusal : Message::OsRequirements;
  return line + LoadMessage(program, Pick(text, language));
}

bool CheckOsSupport(platform::Platform& os, Language language, OsRecord& record) {
  record = ReadOsRecord(os);
  const OsDecision decision = DecideOsSupport(os, record);
  if (decision == OsDecision::kSupported) return true;
  ShowApplicationBox(os, RefusalText(os, record, decision, language),
                     platform::kMbOk | platform::kMbIconQuestion);
  return false;
}
