// The two transports: SCSI pass-through (NT family) and ASPI (Windows 9x).
#include <cstdio>
#include <cstring>

#include "transport/AspiEntryPoints.h"
#include "transport/Atapi.h"
#include "transport/TransportMessages.h"

namespace {

constexpr uint32_t kPassThroughTimeoutSeconds = 60;
constexpr uint8_t kPassThroughSenseLength = 24;
constexpr uint8_t kTransportFailureStatus = aspi::SS_ERR;

uint8_t PassThroughDirection(uint8_t direction) {
  switch (direction) {
    case kDirectionIn:
      return passthrough::SCSI_IOCTL_DATA_IN;
    case kDirectionOut:
      return passthrough::SCSI_IOCTL_DATA_OUT;
    default:
      return passthrough::SCSI_IOCTL_DATA_UNSPECIFIED;
  }
}

}  // namespace

uint8_t CAtapi::SendCommand(const uint8_t* cdb, void* buffer, uint32_t length, uint8_t direction) {
  if (ntFamily_) return SendPassThrough(cdb, buffer, length, PassThroughDirection(direction));
  return SendAspi(cdb, buffer, length, direction);
}

uint8_t CAtapi::SendPassThrough(const uint8_t* cdb, void* buffer, uint32_t length, uint8_t dataIn) {
  std::memset(&passThrough_, 0, sizeof passThrough_);
  passthrough::SCSI_PASS_THROUGH_DIRECT& request = passThrough_.sptd;
  request.Length = sizeof(passthrough::SCSI_PASS_THROUGH_DIRECT);
  request.CdbLength = kCdbLength;
  request.SenseInfoLength = kPassThroughSenseLength;
  request.DataIn = dataIn;
  request.DataTransferLength = length;
  request.TimeOutValue = kPassThroughTimeoutSeconds;
  request.DataBuffer = buffer;
  request.SenseInfoOffset = passthrough::kSenseBufferOffset;
  std::memcpy(request.Cdb, cdb, kCdbLength);

  uint32_t bytesReturned = 0;
  passThroughCallFailed_ =
      !os_.DeviceControl(deviceHandle_, passthrough::IOCTL_SCSI_PASS_THROUGH_DIRECT, &passThrough_,
                         sizeof passThrough_, &passThrough_, sizeof passThrough_, &bytesReturned);
  if (passThroughCallFailed_) {
    const uint32_t error = os_.LastError();
    // Some port drivers report these although the command itself went through.
    if (error != platform::kErrorSemTimeout && error != platform::kErrorIoDevice) {
      if (!driveRestarting_) ShowSystemError(error);
      return 0;
    }
  }
  if (request.ScsiStatus == 0) return aspi::SS_COMP;
  // No SCSI status is 1, but a port driver may pass one on; it must not read
  // as success.
  return request.ScsiStatus == aspi::SS_COMP ? kTransportFailureStatus : request.ScsiStatus;
}

uint8_t CAtapi::SendAspi(const uint8_t* cdb, void* buffer, uint32_t length, uint8_t direction) {
  if (request_ == nullptr || !aspi_entry::Bound()) return kTransportFailureStatus;
  return aspiPath_.Execute(*request_, {hostAdapter_, target_, lun_}, cdb, buffer, length,
                           direction);
}

void CAtapi::ShowSystemError(uint32_t code) {
  char systemText[80];
  char message[128];
  if (os_.SystemErrorText(code, systemText, sizeof systemText)) {
    std::snprintf(message, sizeof message, kSystemErrorFormat, systemText);
  } else {
    std::snprintf(message, sizeof message, kFormatFailedFormat, static_cast<int>(os_.LastError()));
  }
  os_.ShowMessageBox(message, kTransportCaption, platform::kMbOk | platform::kMbIconStop);
}

SenseTriple CAtapi::LastSense() const {
  const uint8_t* sense =
      ntFamily_ ? passThrough_.SenseBuf : (request_ != nullptr ? request_->SenseArea : nullptr);
  if (sense == nullptr) return SenseTriple{0, 0, 0};
  return SenseTriple{sense[2], sense[12], sense[13]};
}
