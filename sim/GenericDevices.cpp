#include "sim/GenericDevices.h"

#include <algorithm>
#include <cstring>

namespace sim {

namespace {

constexpr size_t kInquiryDataSize = 96;

}  // namespace

void PutPaddedText(uint8_t* out, size_t width, const std::string& text) {
  for (size_t i = 0; i < width; ++i) {
    out[i] = i < text.size() ? static_cast<uint8_t>(text[i]) : static_cast<uint8_t>(' ');
  }
}

void BuildInquiryData(const InquiryIdentity& identity, uint8_t* out, size_t size) {
  uint8_t data[kInquiryDataSize] = {};
  data[0] = identity.deviceType;
  data[1] = identity.removable ? 0x80 : 0x00;
  data[2] = 0x00;  // ATAPI devices claim no ANSI version
  data[3] = 0x21;  // ATAPI, response format 1
  data[4] = static_cast<uint8_t>(kInquiryDataSize - 5);
  PutPaddedText(data + 8, 8, identity.vendor);
  PutPaddedText(data + 16, 16, identity.product);
  PutPaddedText(data + 32, 4, identity.revision);
  const size_t specific = std::min(identity.vendorSpecific.size(), kInquiryDataSize - 36);
  std::memcpy(data + 36, identity.vendorSpecific.data(), specific);
  std::memcpy(out, data, std::min(size, kInquiryDataSize));
}

uint32_t CopyInquiryData(const InquiryIdentity& identity, const ScsiCommand& command) {
  if (command.direction == kDataOut || command.data == nullptr) return 0;
  uint8_t data[kInquiryDataSize];
  BuildInquiryData(identity, data, sizeof data);
  const uint32_t count =
      std::min<uint32_t>({command.cdb[4], command.length, identity.length, kInquiryDataSize});
  std::memcpy(command.data, data, count);
  return count;
}

ScsiResult InquiryDevice::Run(const ScsiCommand& command) {
  if (command.cdb[0] == 0x00) return Good();
  if (command.cdb[0] == 0x12) return Good(CopyInquiryData(identity_, command));
  return Check(kSenseIllegalRequest, 0x20, 0x00);
}

ForeignCdrom::ForeignCdrom(std::string vendor, std::string product, std::string revision)
    : InquiryDevice(InquiryIdentity{0x05, true, std::move(vendor), std::move(product),
                                    std::move(revision), std::string(), 96}) {}

ScsiResult ForeignCdrom::Run(const ScsiCommand& command) {
  if (command.cdb[0] == 0x00 && !discPresent_) return Check(kSenseNotReady, 0x3A, 0x00);
  return InquiryDevice::Run(command);
}

DiskDevice::DiskDevice(std::string vendor, std::string product)
    : InquiryDevice(InquiryIdentity{0x00, false, std::move(vendor), std::move(product), "1.00",
                                    std::string(), 96}) {}

}  // namespace sim
