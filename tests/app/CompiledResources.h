// The flasher's resource script compiled by the Windows build's resource
// compiler into a .res file, and the resources read back from it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace compiled_resources {

struct Resource {
  uint16_t type;         // RT_DIALOG 5, RT_STRING 6, ...; 0 for a named type
  std::string typeName;  // a named type, such as "LICENSE"
  uint16_t id;
  uint16_t language;
  std::vector<uint8_t> data;
};

// Compiles app/win32/Flash.rc once per test program; empty on failure.
const std::vector<Resource>& FlasherResources();

uint16_t Word(const std::vector<uint8_t>& bytes, size_t at);
uint32_t Dword(const std::vector<uint8_t>& bytes, size_t at);

std::u16string Utf16(const std::string& utf8);

}  // namespace compiled_resources
