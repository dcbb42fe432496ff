#include "sim/PassThroughPort.h"

#include <algorithm>
#include <cstring>

#include "platform/PassThroughRecords.h"
#include "platform/Platform.h"
#include "sim/SimErrors.h"

namespace sim {

bool PassThroughPort::Execute(char letter, uint32_t code, void* in, uint32_t inSize, void* out,
                              uint32_t outSize, uint32_t* bytesReturned) {
  if (code != passthrough::IOCTL_SCSI_PASS_THROUGH_DIRECT) return Fail(kErrorInvalidFunction);
  using passthrough::SCSI_PASS_THROUGH_DIRECT;
  if (in == nullptr || out == nullptr || inSize < sizeof(SCSI_PASS_THROUGH_DIRECT) ||
      outSize < sizeof(SCSI_PASS_THROUGH_DIRECT)) {
    return Fail(kErrorInvalidParameter);
  }
  auto found = cdroms_.find(letter);
  if (found == cdroms_.end()) return Fail(kErrorInvalidFunction);
  if (in != out) std::memmove(out, in, std::min(inSize, outSize));
  return Run(found->second, letter, out, outSize, bytesReturned);
}

bool PassThroughPort::Run(const Cdrom& cdrom, char letter, void* recordBytes, uint32_t size,
                          uint32_t* bytesReturned) {
  using passthrough::SCSI_PASS_THROUGH_DIRECT;
  SCSI_PASS_THROUGH_DIRECT sptd;
  std::memcpy(&sptd, recordBytes, sizeof sptd);

  // What the port driver refuses before the device sees anything.
  const bool senseFits =
      sptd.SenseInfoLength == 0 || uint64_t{sptd.SenseInfoOffset} + sptd.SenseInfoLength <= size;
  const bool bufferGiven = sptd.DataTransferLength == 0 || sptd.DataBuffer != nullptr;
  const bool aligned = alignmentMask_ == 0 || sptd.DataTransferLength == 0 ||
                       (reinterpret_cast<uintptr_t>(sptd.DataBuffer) & alignmentMask_) == 0;
  if (sptd.Length != sizeof sptd || sptd.CdbLength == 0 || sptd.CdbLength > 16 || !senseFits ||
      !bufferGiven || !aligned) {
    return Fail(kErrorInvalidParameter);
  }

  ScsiCommand command;
  std::memcpy(command.cdb.data(), sptd.Cdb, std::min<size_t>(sptd.CdbLength, 12));
  command.data = static_cast<uint8_t*>(sptd.DataBuffer);
  command.length = sptd.DataTransferLength;
  if (command.length > 0 && sptd.DataIn == passthrough::SCSI_IOCTL_DATA_IN) {
    command.direction = kDataIn;
  } else if (command.length > 0 && sptd.DataIn == passthrough::SCSI_IOCTL_DATA_OUT) {
    command.direction = kDataOut;
  }
  command.timeUs = clock_.NowUs();

  ScsiDevice& device = *cdrom.device;
  ScsiResult result = device.Execute(command);

  // The port driver gives up after TimeOutValue seconds.
  const uint64_t timeoutUs = uint64_t{sptd.TimeOutValue} * 1'000'000;
  if (sptd.TimeOutValue != 0 && result.latencyUs > timeoutUs) {
    clock_.Advance(timeoutUs);
    result.transportFailed = true;
    result.transportError = platform::kErrorSemTimeout;
    result.fillRecordOnFailure = false;
  } else {
    clock_.Advance(result.latencyUs);
  }

  CommandRecord record = RecordOf(device, command, result, Transport::kPassThrough);
  record.passThrough = PassThroughFields{letter,
                                         sptd.Length,
                                         sptd.CdbLength,
                                         sptd.SenseInfoLength,
                                         sptd.DataIn,
                                         sptd.DataTransferLength,
                                         sptd.TimeOutValue,
                                         sptd.SenseInfoOffset,
                                         sptd.DataBuffer != nullptr};
  log_.Add(record);

  if (!result.transportFailed || result.fillRecordOnFailure) {
    auto* bytes = static_cast<uint8_t*>(recordBytes);
    sptd.ScsiStatus = result.status;
    sptd.PathId = cdrom.pathId;
    sptd.TargetId = cdrom.target;
    sptd.Lun = cdrom.lun;
    if (command.direction != kDataNone) sptd.DataTransferLength = result.transferred;
    uint32_t returned = sizeof sptd;
    if (result.status == kStatusCheckCondition && sptd.SenseInfoLength > 0) {
      const auto count = static_cast<uint8_t>(std::min<size_t>(sptd.SenseInfoLength, kSenseLength));
      std::memcpy(bytes + sptd.SenseInfoOffset, result.sense.data(), count);
      sptd.SenseInfoLength = count;
      returned = sptd.SenseInfoOffset + count;
    } else {
      sptd.SenseInfoLength = 0;
    }
    std::memcpy(recordBytes, &sptd, sizeof sptd);
    if (bytesReturned != nullptr) *bytesReturned = returned;
  }
  return result.transportFailed ? Fail(result.transportError) : true;
}

bool PassThroughPort::Fail(uint32_t error) {
  lastError_ = error;
  return false;
}

}  // namespace sim
