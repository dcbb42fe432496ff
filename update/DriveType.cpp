#include <cstring>

#include "transport/Atapi.h"

bool CAtapi::CheckDriveType() {
  // A failed INQUIRY counts as a wrong type, also when the drive's bytes
  // arrived before the request was aborted or the call failed.
  uint8_t inquiry[100];
  std::memset(inquiry, 0, sizeof inquiry);
  const bool answered = Inquiry(inquiry) == aspi::SS_COMP && !LastCallFailed();
  if (answered && inquiry[38] == 'W' && inquiry[39] == 'M') return true;
  EngineTrace("Err:The firmware is not support this device!!(4)");
  return false;
}
