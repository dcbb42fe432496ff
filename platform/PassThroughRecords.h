// The published SCSI pass-through record (ntddscsi.h) and the record the
// kit sends: the request followed by its sense buffer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace passthrough {

constexpr uint32_t IOCTL_SCSI_PASS_THROUGH_DIRECT = 0x4D014;

constexpr uint8_t SCSI_IOCTL_DATA_OUT = 0;
constexpr uint8_t SCSI_IOCTL_DATA_IN = 1;
constexpr uint8_t SCSI_IOCTL_DATA_UNSPECIFIED = 2;

// Natural alignment, as the system headers lay it out.
struct SCSI_PASS_THROUGH_DIRECT {
  uint16_t Length;
  uint8_t ScsiStatus;
  uint8_t PathId;
  uint8_t TargetId;
  uint8_t Lun;
  uint8_t CdbLength;
  uint8_t SenseInfoLength;
  uint8_t DataIn;
  uint32_t DataTransferLength;
  uint32_t TimeOutValue;
  void* DataBuffer;
  uint32_t SenseInfoOffset;
  uint8_t Cdb[16];
};

struct PassThroughRecord {
  SCSI_PASS_THROUGH_DIRECT sptd;
  uint32_t Filler;
  uint8_t SenseBuf[32];
};

constexpr uint32_t kSenseBufferOffset = offsetof(PassThroughRecord, SenseBuf);

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 44, "SCSI_PASS_THROUGH_DIRECT layout");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength) == 12, "transfer length");
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == 28, "Cdb offset");
static_assert(sizeof(PassThroughRecord) == 80, "pass-through record size");
static_assert(kSenseBufferOffset == 48, "sense buffer offset");
#endif

}  // namespace passthrough
