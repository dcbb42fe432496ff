#include <cstring>

#include "transport/Atapi.h"

bool CAtapi::RunUpdate() {
  // The type code is read before the image check; only an INQUIRY that
  // succeeded can waive the type check.
  uint8_t inquiry[kInquiryBufferSize];
  std::memset(inquiry, 0, sizeof inquiry);
  const bool answered = Inquiry(inquiry) == aspi::SS_COMP && !LastCallFailed();
  const bool typeCheckWaived = answered && inquiry[38] == 'W' && inquiry[39] == '0';

  if (!CheckImageFile(kImageFileName)) {
    SetUpdateResult(RESULT_IMAGE_REJECTED);
    return false;
  }
  if (!typeCheckWaived && !CheckDriveType()) {
    SetUpdateResult(RESULT_DRIVE_REJECTED);
    return false;
  }
  EngineTrace("Updating microcode.\r\nDo not stop updating, shut down the PC, or turn off power.");
  if (!FlashFirmware()) return false;
  if (!VerifyFlash()) return false;
  EngineTrace(
      "Firmware has been updated successfully\r\nYou must restart the PC for OD-K818R to work "
      "correctly.\r\nRestart your PC immediately.");
  return true;
}
