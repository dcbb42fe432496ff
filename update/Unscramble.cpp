#include "transport/Atapi.h"

// Whole groups of eight are transformed, so up to 7 bytes past length change:
// callers pass a buffer with room for them.
bool CAtapi::Unscramble(uint8_t* buffer, uint32_t length, uint32_t flag) {
  if ((flag & 0xFF) == 0 || length == 0) return true;
  uint8_t key = static_cast<uint8_t>(buffer[0] + 2);
  for (uint32_t group = 0; group < length; group += 8) {
    for (uint32_t j = 0; j < 8; ++j) {
      buffer[group + j] = static_cast<uint8_t>(key + 57 * j - buffer[group + j]);
    }
    key = static_cast<uint8_t>(key * 35);
  }
  return true;
}
