// The simulated PC's registry: a tree of keys under HKEY_LOCAL_MACHINE and
// HKEY_DYN_DATA with typed values, opened through handles as Windows does.
//
//   pc.Registry().SetString("HKLM\\Enum\\SCSI\\QUAV____OD-K818R________1\\0001",
//                           "RevisionLevel", "1.00");
//   pc.Registry().SetValue(path, "AutoInsertNotification", platform::kRegBinary, {1});
//   pc.Registry().FailOpen(path);     // opening that key is refused
//   ... pc.Registry().Value(path, name), pc.Registry().OpenKeys() ...
//
// Paths start with "HKLM" or "HKDD" (HKEY_DYN_DATA). Key names match without
// regard to case, as on Windows; subkeys and values enumerate in the order
// they were made, and value names keep their case as stored.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace sim {

struct RegistryValue {
  uint32_t type = 0;
  std::vector<uint8_t> bytes;
};

struct RegistryOpen {
  std::string path;  // as the registry spells it, root first
  uint32_t access = 0;
};

class SimRegistry : public virtual platform::Registry {
 public:
  SimRegistry();
  ~SimRegistry() override;
  SimRegistry(const SimRegistry&) = delete;
  SimRegistry& operator=(const SimRegistry&) = delete;

  // ---- Setup -------------------------------------------------------------
  void AddKey(const std::string& path) { Make(path); }  // with every missing key above it
  void SetValue(const std::string& path, const std::string& name, uint32_t type,
                std::vector<uint8_t> bytes);
  // REG_SZ with its terminating zero, as RegSetValueExA stores a text.
  void SetString(const std::string& path, const std::string& name, const std::string& text);
  // Opening this key (by any parent) fails with ERROR_ACCESS_DENIED.
  void FailOpen(const std::string& path, bool fail = true);

  // ---- Observation -------------------------------------------------------
  std::optional<RegistryValue> Value(const std::string& path, const std::string& name) const;
  int OpenKeys() const { return static_cast<int>(handles_.size()); }  // handles still open
  int BadCloses() const { return badCloses_; }
  const std::vector<RegistryOpen>& Opens() const { return opens_; }
  int ValueWrites() const { return valueWrites_; }

  // ---- platform::Registry ------------------------------------------------
  long OpenRegistryKey(platform::RegistryKey parent, const char* path, uint32_t access,
                       platform::RegistryKey* key) override;
  long EnumRegistrySubkey(platform::RegistryKey key, uint32_t index, char* name,
                          uint32_t size) override;
  long RegistryValueCount(platform::RegistryKey key, uint32_t* count) override;
  long EnumRegistryValue(platform::RegistryKey key, uint32_t index, char* name, uint32_t* nameSize,
                         uint32_t* type, uint8_t* data, uint32_t* dataSize) override;
  long QueryRegistryValue(platform::RegistryKey key, const char* name, uint32_t* type,
                          uint8_t* data, uint32_t* dataSize) override;
  long SetRegistryValue(platform::RegistryKey key, const char* name, uint32_t type,
                        const uint8_t* data, uint32_t size) override;
  long CloseRegistryKey(platform::RegistryKey key) override;

 private:
  struct Key;
  Key* Find(const std::string& path) const;
  Key* Make(const std::string& path);
  Key* FromHandle(platform::RegistryKey key) const;
  static std::string PathOf(const Key& key);

  std::unique_ptr<Key> localMachine_;
  std::unique_ptr<Key> dynData_;
  std::map<platform::RegistryKey, Key*> handles_;  // open handles
  uintptr_t nextHandle_ = 0x5000;
  std::vector<RegistryOpen> opens_;
  int badCloses_ = 0;
  int valueWrites_ = 0;
};

}  // namespace sim
