#include "sim/SimRegistry.h"

#include <algorithm>
#include <cstring>

#include "sim/CaseFold.h"
#include "sim/SimErrors.h"

namespace sim {

namespace {

std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = std::min(path.find('\\', start), path.size());
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Copies a name with its zero if it fits `size` characters.
bool CopyName(const std::string& name, char* buffer, uint32_t size) {
  if (buffer == nullptr || name.size() + 1 > size) return false;
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  return true;
}

// Type and data of a value as RegQueryValueExA and RegEnumValueA hand them
// out: the size needed is reported whether or not the data fits.
long CopyData(const RegistryValue& value, uint32_t* type, uint8_t* data, uint32_t* dataSize) {
  if (type != nullptr) *type = value.type;
  if (dataSize == nullptr)
    return data == nullptr ? platform::kErrorSuccess : kErrorInvalidParameter;
  const auto needed = static_cast<uint32_t>(value.bytes.size());
  const bool fits = needed <= *dataSize;
  *dataSize = needed;
  if (data == nullptr) return platform::kErrorSuccess;
  if (!fits) return platform::kErrorMoreData;
  std::copy(value.bytes.begin(), value.bytes.end(), data);
  return platform::kErrorSuccess;
}

}  // namespace

struct SimRegistry::Key {
  std::string name;
  Key* parent = nullptr;
  std::vector<std::shared_ptr<Key>> children;
  std::vector<std::pair<std::string, RegistryValue>> values;
  bool failOpen = false;

  Key* Child(const std::string& childName) const {
    for (const auto& child : children) {
      if (SameNameIgnoringCase(child->name, childName)) return child.get();
    }
    return nullptr;
  }
  RegistryValue* FindValue(const std::string& valueName) {
    for (auto& value : values) {
      if (SameNameIgnoringCase(value.first, valueName)) return &value.second;
    }
    return nullptr;
  }
};

SimRegistry::SimRegistry()
    : localMachine_(std::make_unique<Key>(Key{"HKLM", nullptr, {}, {}, false})),
      dynData_(std::make_unique<Key>(Key{"HKDD", nullptr, {}, {}, false})) {}

SimRegistry::~SimRegistry() = default;

SimRegistry::Key* SimRegistry::Find(const std::string& path) const {
  const auto parts = Components(path);
  if (parts.empty()) return nullptr;
  Key* key = nullptr;
  if (SameNameIgnoringCase(parts[0], "HKLM")) key = localMachine_.get();
  if (SameNameIgnoringCase(parts[0], "HKDD")) key = dynData_.get();
  for (size_t i = 1; key != nullptr && i < parts.size(); ++i) key = key->Child(parts[i]);
  return key;
}

SimRegistry::Key* SimRegistry::Make(const std::string& path) {
  const auto parts = Components(path);
  if (parts.empty()) return nullptr;
  Key* key = Find(parts[0]);
  for (size_t i = 1; key != nullptr && i < parts.size(); ++i) {
    Key* child = key->Child(parts[i]);
    if (child == nullptr) {
      key->children.push_back(std::make_shared<Key>(Key{parts[i], key, {}, {}, false}));
      child = key->children.back().get();
    }
    key = child;
  }
  return key;
}

std::string SimRegistry::PathOf(const Key& key) {
  return key.parent == nullptr ? key.name : PathOf(*key.parent) + "\\" + key.name;
}

void SimRegistry::SetValue(const std::string& path, const std::string& name, uint32_t type,
                           std::vector<uint8_t> bytes) {
  Key* key = Make(path);
  if (key == nullptr) return;
  if (RegistryValue* value = key->FindValue(name)) {
    *value = RegistryValue{type, std::move(bytes)};
  } else {
    key->values.emplace_back(name, RegistryValue{type, std::move(bytes)});
  }
}

void SimRegistry::SetString(const std::string& path, const std::string& name,
                            const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  SetValue(path, name, platform::kRegSz, std::move(bytes));
}

void SimRegistry::FailOpen(const std::string& path, bool fail) {
  if (Key* key = Make(path)) key->failOpen = fail;
}

std::optional<RegistryValue> SimRegistry::Value(const std::string& path,
                                                const std::string& name) const {
  Key* key = Find(path);
  if (key == nullptr) return std::nullopt;
  RegistryValue* value = key->FindValue(name);
  if (value == nullptr) return std::nullopt;
  return *value;
}

SimRegistry::Key* SimRegistry::FromHandle(platform::RegistryKey key) const {
  if (key == platform::HkeyLocalMachine()) return localMachine_.get();
  if (key == platform::HkeyDynData()) return dynData_.get();
  auto found = handles_.find(key);
  return found == handles_.end() ? nullptr : found->second;
}

long SimRegistry::OpenRegistryKey(platform::RegistryKey parent, const char* path, uint32_t access,
                                  platform::RegistryKey* result) {
  if (result != nullptr) *result = nullptr;
  Key* key = FromHandle(parent);
  if (key == nullptr) return kErrorInvalidHandle;
  for (const auto& part : Components(path == nullptr ? std::string() : std::string(path))) {
    key = key->Child(part);
    if (key == nullptr) return platform::kErrorFileNotFound;
    if (key->failOpen) return platform::kErrorAccessDenied;
  }
  if (result == nullptr) return platform::kErrorSuccess;
  nextHandle_ += 4;
  auto handle = reinterpret_cast<platform::RegistryKey>(nextHandle_);
  handles_[handle] = key;
  opens_.push_back(RegistryOpen{PathOf(*key), access});
  *result = handle;
  return platform::kErrorSuccess;
}

long SimRegistry::EnumRegistrySubkey(platform::RegistryKey handle, uint32_t index, char* name,
                                     uint32_t size) {
  Key* key = FromHandle(handle);
  if (key == nullptr) return kErrorInvalidHandle;
  if (index >= key->children.size()) return platform::kErrorNoMoreItems;
  return CopyName(key->children[index]->name, name, size) ? platform::kErrorSuccess
                                                          : platform::kErrorMoreData;
}

long SimRegistry::RegistryValueCount(platform::RegistryKey handle, uint32_t* count) {
  Key* key = FromHandle(handle);
  if (key == nullptr) return kErrorInvalidHandle;
  if (count != nullptr) *count = static_cast<uint32_t>(key->values.size());
  return platform::kErrorSuccess;
}

long SimRegistry::EnumRegistryValue(platform::RegistryKey handle, uint32_t index, char* name,
                                    uint32_t* nameSize, uint32_t* type, uint8_t* data,
                                    uint32_t* dataSize) {
  Key* key = FromHandle(handle);
  if (key == nullptr) return kErrorInvalidHandle;
  if (index >= key->values.size()) return platform::kErrorNoMoreItems;
  const auto& [valueName, value] = key->values[index];
  if (nameSize == nullptr || !CopyName(valueName, name, *nameSize)) return platform::kErrorMoreData;
  *nameSize = static_cast<uint32_t>(valueName.size());
  return CopyData(value, type, data, dataSize);
}

long SimRegistry::QueryRegistryValue(platform::RegistryKey handle, const char* name, uint32_t* type,
                                     uint8_t* data, uint32_t* dataSize) {
  Key* key = FromHandle(handle);
  if (key == nullptr) return kErrorInvalidHandle;
  RegistryValue* value = key->FindValue(name == nullptr ? std::string() : std::string(name));
  if (value == nullptr) return platform::kErrorFileNotFound;
  return CopyData(*value, type, data, dataSize);
}

long SimRegistry::SetRegistryValue(platform::RegistryKey handle, const char* name, uint32_t type,
                                   const uint8_t* data, uint32_t size) {
  Key* key = FromHandle(handle);
  if (key == nullptr) return kErrorInvalidHandle;
  ++valueWrites_;
  std::vector<uint8_t> bytes;
  if (data != nullptr) bytes.assign(data, data + size);
  SetValue(PathOf(*key), name == nullptr ? std::string() : std::string(name), type,
           std::move(bytes));
  return platform::kErrorSuccess;
}

long SimRegistry::CloseRegistryKey(platform::RegistryKey handle) {
  if (handles_.erase(handle) == 0) {
    ++badCloses_;
    return kErrorInvalidHandle;
  }
  return platform::kErrorSuccess;
}

}  // namespace sim
