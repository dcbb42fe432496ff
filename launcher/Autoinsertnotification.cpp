#include "launcher/Autoinsertnotification.h"

#include <cstring>

#include "launcher/Atapiobj.h"
#include "platform/RegistryKeyGuard.h"

namespace launcher {

namespace {

constexpr char kModelKeyPrefix[] = "Enum\\SCSI\\";
constexpr size_t kModelKeyNameLength = 25;  // vendor, product, first revision character
constexpr int kRevisionOffset = 24;
constexpr int kRevisionLength = 4;
constexpr uint32_t kSubkeyNameSize = 256;
constexpr uint32_t kRevisionBufferSize = 8;
constexpr char kRevisionValue[] = "RevisionLevel";
constexpr char kNotificationValue[] = "AutoInsertNotification";

bool RevisionMatches(const char* identification, const char* revisionLevel) {
  for (int position = 0; position < kRevisionLength; ++position) {
    const char wanted = identification[kRevisionOffset + position];
    if (wanted != revisionLevel[position]) return false;
    if (wanted == '\0') return true;
  }
  return true;
}

}  // namespace

std::string ModelKeyPath(const char* identification) {
  std::string name(identification, strnlen(identification, kIdentificationLength));
  if (name.size() > kModelKeyNameLength) name.resize(kModelKeyNameLength);
  for (char& c : name) {
    if (c == ' ') c = '_';
  }
  return kModelKeyPrefix + name;
}

bool OpenModelKey(platform::RegistryKeyGuard& modelKey, const char* identification) {
  const std::string path = ModelKeyPath(identification);
  return modelKey.Open(platform::HkeyLocalMachine(), path.c_str(), platform::kKeyAllAccess) ==
         platform::kErrorSuccess;
}

std::vector<std::string> ListSubkeyNames(platform::Registry& registry,
                                         platform::RegistryKey modelKey) {
  std::vector<std::string> names;
  char name[kSubkeyNameSize];
  for (uint32_t index = 0;; ++index) {
    std::memset(name, 0, sizeof name);
    if (registry.EnumRegistrySubkey(modelKey, index, name, sizeof name) !=
        platform::kErrorSuccess) {
      break;
    }
    names.emplace_back(name, strnlen(name, sizeof name));
  }
  return names;
}

bool FindInstanceKey(platform::Registry& registry, const char* identification,
                     platform::RegistryKeyGuard& instanceKey) {
  platform::RegistryKeyGuard modelKey(registry);
  if (!OpenModelKey(modelKey, identification)) return false;

  for (const std::string& name : ListSubkeyNames(registry, modelKey.Get())) {
    if (instanceKey.Open(modelKey.Get(), name.c_str(), platform::kKeyAllAccess) !=
        platform::kErrorSuccess) {
      break;
    }
    char revision[kRevisionBufferSize] = {};
    uint32_t size = sizeof revision;
    const bool read = registry.QueryRegistryValue(instanceKey.Get(), kRevisionValue, nullptr,
                                                  reinterpret_cast<uint8_t*>(revision),
                                                  &size) == platform::kErrorSuccess;
    if (read && RevisionMatches(identification, revision)) return true;
    instanceKey.Close();
  }
  return false;
}

uint8_t ReadAutoInsertNotification(platform::Registry& registry, const char* identification) {
  platform::RegistryKeyGuard key(registry);
  if (!FindInstanceKey(registry, identification, key)) return kNotificationUnknown;
  uint8_t value = 0;
  uint32_t size = sizeof value;
  const long result =
      registry.QueryRegistryValue(key.Get(), kNotificationValue, nullptr, &value, &size);
  return result == platform::kErrorSuccess ? value : kNotificationUnknown;
}

bool WriteAutoInsertNotification(platform::Registry& registry, const char* identification,
                                 uint8_t value) {
  platform::RegistryKeyGuard key(registry);
  if (!FindInstanceKey(registry, identification, key)) return false;
  return registry.SetRegistryValue(key.Get(), kNotificationValue, platform::kRegBinary, &value,
                                   sizeof value) == platform::kErrorSuccess;
}

}  // namespace launcher
