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

#include "platform/Registry.h"
#include "platform/RegistryKeyGuard.h"

namespace launcher {

constexpr uint8_t kNotificationOff = 0;
constexpr uint8_t kNotificationOn = 1;
constexpr uint8_t kNotificationUnknown = 2;  // no instance key, or no readable value

// "Enum\SCSI\" and the first 25 identification characters, blanks as underscores.
std::string ModelKeyPath(const char* identification);
bool OpenModelKey(platform::RegistryKeyGuard& modelKey, const char* identification);
std::vector<std::string> ListSubkeyNames(platform::Registry& registry,
                                         platform::RegistryKey modelKey);
// Opens into instanceKey the subkey whose RevisionLevel matches the
// identification's revision; false (and instanceKey empty) when none does.
bool FindInstanceKey(platform::Registry& registry, const char* identification,
                     platform::RegistryKeyGuard& instanceKey);

uint8_t ReadAutoInsertNotification(platform::Registry& registry, const char* identification);
bool WriteAutoInsertNotification(platform::Registry& registry, const char* identification,
                                 uint8_t value);

}  // namespace launcher
