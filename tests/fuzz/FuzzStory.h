// Texts and bytes of a fuzz run written so a person can read the story of
// a finding: unprintable characters as \xNN, data as hex.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace fuzz {

inline std::string Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

inline std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string out;
  for (uint8_t b : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", b);
    out += hex;
  }
  return out;
}

}  // namespace fuzz
