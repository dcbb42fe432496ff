// The operating-system gate the licence page passes before it shows any
// text: Windows 98 and later 9x systems (after the device check), NT 4.0
// from Service Pack 6 on, and every later NT system.
#pragma once

#include <cstdint>
#include <string>

#include "app/MessageCatalogue.h"
#include "platform/Platform.h"

struct OsRecord {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;  // low 16 bits of the reported build number
  uint32_t platformId = 0;
  char servicePack[128] = {};
  bool windows9x = false;
  bool deviceCheckRun = false;
};

enum class OsDecision { kSupported, kRefusedGeneral, kRefusedDevice };

// Both version queries, the larger record first; all zero when both fail.
OsRecord ReadOsRecord(platform::SystemInfo& system);

// Runs the device check where the system needs it and records that it ran.
OsDecision DecideOsSupport(platform::Registry& registry, OsRecord& record);

// The refusal box's text: a version line, then the catalogue's text.
std::string RefusalText(platform::Programs& program, const OsRecord& record, OsDecision decision,
                        Language language);

// The whole gate: on refusal it shows the box (question icon, one OK) and
// returns false.
bool CheckOsSupport(platform::Platform& os, Language language, OsRecord& record);
