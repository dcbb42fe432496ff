#include "app/ConfigManagerDevices.h"

#include <cstring>
#include <string>

#include "platform/RegistryKeyGuard.h"

namespace {

constexpr const char* kDeviceTree = "Config Manager\\Enum";
constexpr uint32_t kKeyNameSize = 260;
constexpr uint32_t kValueNameSize = 256;
constexpr uint32_t kDataLimit = 253;  // of a 256-byte buffer

// Opens a node of the live device tree for reading; the guard stays empty
// when that fails.
void OpenNode(platform::RegistryKeyGuard& key, const std::string& path) {
  key.Open(platform::HkeyDynData(), path.c_str(), platform::kKeyRead);
}

bool NamesBlockedDrive(const std::string& hardwareKey) {
  return hardwareKey.find("OD-J207P") != std::string::npos &&
         hardwareKey.find("PNP0600") != std::string::npos;
}

// Reads value `index` of the node again, with its data; true when it is a
// text naming the blocked drive. Only the bytes read are searched, so a
// text without its zero is safe.
bool HardwareKeyBlocks(platform::Registry& registry, const std::string& nodePath, uint32_t index,
                       bool* opened) {
  platform::RegistryKeyGuard node(registry);
  OpenNode(node, nodePath);
  *opened = node.IsOpen();
  if (!node.IsOpen()) return false;
  char name[kValueNameSize];
  uint32_t nameSize = sizeof name;
  uint32_t type = 0;
  uint8_t data[256] = {};
  uint32_t dataSize = kDataLimit;
  if (registry.EnumRegistryValue(node.Get(), index, name, &nameSize, &type, data, &dataSize) !=
      platform::kErrorSuccess) {
    return false;
  }
  if (type != platform::kRegSz || dataSize > kDataLimit) return false;
  const char* text = reinterpret_cast<const char*>(data);
  const void* end = std::memchr(text, '\0', dataSize);
  const size_t length =
      end != nullptr ? static_cast<size_t>(static_cast<const char*>(end) - text) : dataSize;
  return NamesBlockedDrive(std::string(text, length));
}

// Every value of one device node; blocked when a key cannot be opened or
// its hardware key names the drive.
DeviceCheck CheckDeviceNode(platform::Registry& registry, const std::string& nodePath) {
  platform::RegistryKeyGuard node(registry);
  OpenNode(node, nodePath);
  if (!node.IsOpen()) return DeviceCheck::kBlocked;
  uint32_t values = 0;
  if (registry.RegistryValueCount(node.Get(), &values) != platform::kErrorSuccess) {
    return DeviceCheck::kBlocked;  // a node that cannot be searched is not known to be clear
  }
  for (uint32_t index = 0; index < values; ++index) {
    char name[kValueNameSize];
    uint32_t nameSize = sizeof name;
    if (registry.EnumRegistryValue(node.Get(), index, name, &nameSize, nullptr, nullptr, nullptr) !=
        platform::kErrorSuccess) {
      continue;
    }
    name[sizeof name - 1] = '\0';
    if (std::strcmp(name, "HardWareKey") != 0) continue;
    bool opened = false;
    const bool blocks = HardwareKeyBlocks(registry, nodePath, index, &opened);
    if (!opened || blocks) return DeviceCheck::kBlocked;
  }
  return DeviceCheck::kClear;
}

}  // namespace

DeviceCheck CheckConfigManagerDevices(platform::Registry& registry) {
  platform::RegistryKeyGuard tree(registry);
  OpenNode(tree, kDeviceTree);
  if (!tree.IsOpen()) return DeviceCheck::kBlocked;
  for (uint32_t index = 0;; ++index) {
    char name[kKeyNameSize] = {};
    const long listed = registry.EnumRegistrySubkey(tree.Get(), index, name, sizeof name);
    if (listed == platform::kErrorNoMoreItems) break;
    // A listing that stops early (a name longer than the buffer, a failing
    // call) leaves nodes unsearched.
    if (listed != platform::kErrorSuccess) return DeviceCheck::kBlocked;
    name[sizeof name - 1] = '\0';
    if (CheckDeviceNode(registry, std::string(kDeviceTree) + "\\" + name) ==
        DeviceCheck::kBlocked) {
      return DeviceCheck::kBlocked;
    }
  }
  return DeviceCheck::kClear;
}
