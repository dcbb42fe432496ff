// Devices other than the drive being updated: a foreign CD-ROM drive and a
// disk, both answering INQUIRY and TEST UNIT READY from their identity.
#pragma once

#include <cstdint>
#include <string>

#include "sim/ScsiDevice.h"

namespace sim {

// What INQUIRY reports. Texts are padded with blanks to their field width
// and cut to it; pass a std::string with embedded NULs to put NULs in.
struct InquiryIdentity {
  uint8_t deviceType = 0x05;  // 5 CD-ROM, 0 disk
  bool removable = true;
  std::string vendor = "GENERIC";  // 8 characters at bytes 8-15
  std::string product = "CD-ROM";  // 16 characters at bytes 16-31
  std::string revision = "1.00";   // 4 characters at bytes 32-35
  std::string vendorSpecific;      // from byte 36 on (the K818R type code sits at 38-39)
  uint32_t length = 96;  // bytes the device returns at most; a short one leaves the host's rest
};

// Builds the INQUIRY data of `identity` into `out` (96 bytes).
void BuildInquiryData(const InquiryIdentity& identity, uint8_t* out, size_t size);
// Puts that data into the host's buffer, cut to the allocation length, the
// host's transfer length and identity.length; returns the bytes moved.
uint32_t CopyInquiryData(const InquiryIdentity& identity, const ScsiCommand& command);

// A text field of `width` bytes, padded with blanks and cut to the width.
void PutPaddedText(uint8_t* out, size_t width, const std::string& text);

// Answers INQUIRY and TEST UNIT READY; anything else: 5/20/00.
class InquiryDevice : public ScsiDevice {
 public:
  explicit InquiryDevice(InquiryIdentity identity) : identity_(std::move(identity)) {}

  uint8_t DeviceType() const override { return identity_.deviceType; }
  std::string Name() const override { return name_.empty() ? identity_.product : name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  InquiryIdentity& Identity() { return identity_; }

 protected:
  ScsiResult Run(const ScsiCommand& command) override;

 private:
  InquiryIdentity identity_;
  std::string name_;
};

// A CD-ROM drive of another make: ready, with a disc, unless told otherwise.
class ForeignCdrom : public InquiryDevice {
 public:
  ForeignCdrom(std::string vendor = "OTHERCO", std::string product = "CD-ROM 52X",
               std::string revision = "1.00");

  void SetDiscPresent(bool present) { discPresent_ = present; }

 protected:
  ScsiResult Run(const ScsiCommand& command) override;

 private:
  bool discPresent_ = true;
};

// A hard disk (device type 0), for scans that must pass it by.
class DiskDevice : public InquiryDevice {
 public:
  DiskDevice(std::string vendor = "DISKCO", std::string product = "HARD DISK");
};

}  // namespace sim
