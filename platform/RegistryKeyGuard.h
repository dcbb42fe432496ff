// An open registry key that closes itself when it goes out of scope,
// whichever way the code that opened it leaves.
//
//   platform::RegistryKeyGuard key(registry);
//   if (key.Open(platform::HkeyLocalMachine(), path, platform::kKeyRead) != kErrorSuccess) ...
//   registry.QueryRegistryValue(key.Get(), ...);
#pragma once

#include "platform/Registry.h"

namespace platform {

class RegistryKeyGuard {
 public:
  explicit RegistryKeyGuard(Registry& registry) : registry_(registry) {}
  ~RegistryKeyGuard() { Close(); }
  RegistryKeyGuard(const RegistryKeyGuard&) = delete;
  RegistryKeyGuard& operator=(const RegistryKeyGuard&) = delete;

  // RegOpenKeyExA into the guard, closing what it held first; the Win32
  // error code. A failed open leaves the guard empty.
  long Open(RegistryKey parent, const char* path, uint32_t access) {
    Close();
    const long result = registry_.OpenRegistryKey(parent, path, access, &key_);
    if (result != kErrorSuccess) key_ = nullptr;
    return result;
  }
  void Close() {
    if (key_ != nullptr) registry_.CloseRegistryKey(key_);
    key_ = nullptr;
  }

  bool IsOpen() const { return key_ != nullptr; }
  RegistryKey Get() const { return key_; }

 private:
  Registry& registry_;
  RegistryKey key_ = nullptr;
};

}  // namespace platform
