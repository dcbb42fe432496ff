// The seam's registry role: keys opened through handles, their subkeys and
// values, with the Win32 error code as every answer.
#pragma once

#include "platform/Handles.h"

namespace platform {

using RegistryKey = void*;  // HKEY

RegistryKey HkeyLocalMachine();  // HKEY_LOCAL_MACHINE
RegistryKey HkeyDynData();       // HKEY_DYN_DATA: the live device tree of Windows 95/98/ME
constexpr uint32_t kKeyRead = 0x20019;
constexpr uint32_t kKeyAllAccess = 0xF003F;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorMoreData = 234;
constexpr long kErrorNoMoreItems = 259;

class Registry {
 public:
  virtual ~Registry() = default;

  virtual long OpenRegistryKey(RegistryKey parent, const char* path, uint32_t access,
                               RegistryKey* key) = 0;  // RegOpenKeyExA
  // Name of subkey `index` into name[size], zero-terminated.
  virtual long EnumRegistrySubkey(RegistryKey key, uint32_t index, char* name, uint32_t size) = 0;
  virtual long RegistryValueCount(RegistryKey key, uint32_t* count) = 0;  // RegQueryInfoKeyA
  // RegEnumValueA: *nameSize in, the buffer's size in characters; out, the
  // name's length without its zero. type, data and dataSize may be null.
  virtual long EnumRegistryValue(RegistryKey key, uint32_t index, char* name, uint32_t* nameSize,
                                 uint32_t* type, uint8_t* data, uint32_t* dataSize) = 0;
  // RegQueryValueExA: *dataSize in, the buffer's size; out, the value's size
  // (with kErrorMoreData when it does not fit). type may be null.
  virtual long QueryRegistryValue(RegistryKey key, const char* name, uint32_t* type, uint8_t* data,
                                  uint32_t* dataSize) = 0;
  virtual long SetRegistryValue(RegistryKey key, const char* name, uint32_t type,
                                const uint8_t* data, uint32_t size) = 0;  // RegSetValueExA
  virtual long CloseRegistryKey(RegistryKey key) = 0;
};

}  // namespace platform
