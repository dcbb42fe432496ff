// The general drive commands: INQUIRY and TEST UNIT READY.
#include "transport/Atapi.h"

namespace {
constexpr uint8_t kOpTestUnitReady = 0x00;
constexpr uint8_t kOpInquiry = 0x12;
}  // namespace

uint8_t CAtapi::TestUnitReady() {
  const uint8_t cdb[kCdbLength] = {kOpTestUnitReady};
  return SendCommand(cdb, nullptr, 0, kDirectionNone);
}

uint8_t CAtapi::Inquiry(void* buffer) {
  uint8_t cdb[kCdbLength] = {kOpInquiry};
  cdb[4] = kInquiryLength;
  return SendCommand(cdb, buffer, kInquiryLength, kDirectionIn);
}
