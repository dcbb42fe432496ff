#include <cstring>

#include "transport/Atapi.h"

bool CAtapi::CheckDriveType() {
  // A failed INQUIRY leaves zeros, which read as a wrong type.
  uint8_t inquiry[100];
  std::memset(inquiry, 0, sizeof inquiry);
  Inquiry(inquiry);
  if (inquiry[38] == 'W' && inquiry[39] == 'M') return true;
  EngineTrace("Err:The firmware is not support this device!!(4)");
  return false;
}
