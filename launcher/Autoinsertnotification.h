// The drive's automatic insert notification on Windows 95/98/ME: the
// one-byte REG_BINARY value AutoInsertNotification under the drive's
// instance key, HKEY_LOCAL_MACHINE\Enum\SCSI\<model key>\<instance>.
//
// Stateless: every read or write finds the key again from the drive's
// identification text, uses it and closes it. Nothing here shows a message.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace launcher {

constexpr uint8_t kNotificationOff = 0;
constexpr uint8_t kNotificationOn = 1;
constexpr uint8_t kNotificationUnknown = 2;  // no instance key, or no readable value

// "Enum\SCSI\" and the first 25 identification characters, blanks as underscores.
std::string ModelKeyPath(const char* identification);
bool OpenModelKey(platform::Platform& os, const char* identification,
                  platform::RegistryKey* modelKey);
std::vector<std::string> ListSubkeyNames(platform::Platform& os, platform::RegistryKey modelKey);
// The subkey whose RevisionLevel matches the identification's revision; the
// caller closes it.
bool FindInstanceKey(platform::Platform& os, const char* identification,
                     platform::RegistryKey* instanceKey);

uint8_t ReadAutoInsertNotification(platform::Platform& os, const char* identification);
bool WriteAutoInsertNotification(platform::Platform& os, const char* identification, uint8_t value);

}  // namespace launcher
