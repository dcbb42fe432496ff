#include "launcher/Autoinsertnotification.h"

#include <cstring>

#include "launcher/Atapiobj.h"

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

bool OpenModelKey(platform::Platform& os, const char* identification,
                  platform::RegistryKey* modelKey) {
  const std::string path = ModelKeyPath(identification);
  return os.OpenRegistryKey(platform::HkeyLocalMachine(), path.c_str(), platform::kKeyAllAccess,
                            modelKey) == platform::kErrorSuccess;
}

std::vector<std::string> ListSubkeyNames(platform::Platform& os, platform::RegistryKey modelKey) {
  std::vector<std::string> names;
  char name[kSubkeyNameSize];
  for (uint32_t index = 0;; ++index) {
    std::memset(name, 0, sizeof name);
    if (os.EnumRegistrySubkey(modelKey, index, name, sizeof name) != platform::kErrorSuccess) break;
    names.emplace_back(name, strnlen(name, sizeof name));
  }
  return names;
}

bool FindInstanceKey(platform::Platform& os, const char* identification,
                     platform::RegistryKey* instanceKey) {
  platform::RegistryKey modelKey = nullptr;
  if (!OpenModelKey(os, identification, &modelKey)) return false;

  bool found = false;
  for (const std::string& name : ListSubkeyNames(os, modelKey)) {
    platform::RegistryKey subkey = nullptr;
    if (os.OpenRegistryKey(modelKey, name.c_str(), platform::kKeyAllAccess, &subkey) !=
        platform::kErrorSuccess) {
      break;
    }
    char revision[kRevisionBufferSize] = {};
    uint32_t size = sizeof revision;
    const bool read =
        os.QueryRegistryValue(subkey, kRevisionValue, nullptr, reinterpret_cast<uint8_t*>(revision),
                              &size) == platform::kErrorSuccess;
    if (read && RevisionMatches(identification, revision)) {
      *instanceKey = subkey;
      found = true;
      break;
    }
    os.CloseRegistryKey(subkey);
  }
  os.CloseRegistryKey(modelKey);
  return found;
}

uint8_t ReadAutoInsertNotification(platform::Platform& os, const char* identification) {
  platform::RegistryKey key = nullptr;
  if (!FindInstanceKey(os, identification, &key)) return kNotificationUnknown;
  uint8_t value = 0;
  uint32_t size = sizeof value;
  const long result = os.QueryRegistryValue(key, kNotificationValue, nullptr, &value, &size);
  os.CloseRegistryKey(key);
  return result == platform::kErrorSuccess ? value : kNotificationUnknown;
}

bool WriteAutoInsertNotification(platform::Platform& os, const char* identification,
                                 uint8_t value) {
  platform::RegistryKey key = nullptr;
  if (!FindInstanceKey(os, identification, &key)) return false;
  const long result =
      os.SetRegistryValue(key, kNotificationValue, platform::kRegBinary, &value, sizeof value);
  os.CloseRegistryKey(key);
  return result == platform::kErrorSuccess;
}

}  // namespace launcher
