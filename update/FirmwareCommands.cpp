#include "transport/Atapi.h"

namespace {

constexpr uint8_t kVendorOpcode = 0x5A;
constexpr uint8_t kSubcodeWriteBlock = 0xA0;
constexpr uint8_t kSubcodeReadPage = 0x11;

void FillVendorHeader(uint8_t* cdb, uint8_t subcode) {
  cdb[0] = kVendorOpcode;
  cdb[1] = 0x00;
  cdb[2] = 0x38;  // "8AS"
  cdb[3] = 0x41;
  cdb[4] = 0x53;
  cdb[5] = subcode;
}

uint8_t High(uint32_t value) {
  return static_cast<uint8_t>(value >> 8);
}
uint8_t Low(uint32_t value) {
  return static_cast<uint8_t>(value);
}

}  // namespace

uint8_t CAtapi::WriteFirmwareBlock(const void* buffer, uint32_t mode, uint32_t block,
                                   uint32_t length, uint32_t value) {
  uint8_t cdb[kCdbLength] = {};
  FillVendorHeader(cdb, kSubcodeWriteBlock);
  cdb[6] = Low(mode);
  cdb[7] = Low(block);
  cdb[8] = High(length);
  cdb[9] = Low(length);
  cdb[10] = High(value);
  cdb[11] = Low(value);
  // The transport only reads from a data-out buffer.
  return SendCommand(cdb, const_cast<void*>(buffer), length & 0xFFFF, kDirectionOut);
}

uint8_t CAtapi::ReadFlashPage(void* buffer, uint32_t bank, uint32_t address) {
  uint8_t cdb[kCdbLength] = {};
  FillVendorHeader(cdb, kSubcodeReadPage);
  cdb[6] = High(address);
  cdb[7] = Low(address);
  cdb[9] = Low(bank);
  const uint8_t status = SendCommand(cdb, buffer, kFlashPageSize, kDirectionIn);
  // The errors the transport lets pass for other commands may still mean the
  // page never arrived; the read-back must not sum a buffer the drive did not
  // fill.
  if (LastCallFailed()) return aspi::SS_ERR;
  return status;
}
