// The simulated PC's CD-ROM letters and the port driver behind them: what
// IOCTL_SCSI_PASS_THROUGH_DIRECT does with a record on \\.\X:, from the
// checks that refuse it before the device sees anything to the status,
// sense and byte counts written back.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "sim/CommandLog.h"
#include "sim/ScsiDevice.h"
#include "sim/VirtualClock.h"

namespace sim {

class PassThroughPort {
 public:
  PassThroughPort(VirtualClock& clock, CommandLog& log, uint32_t& lastError)
      : clock_(clock), log_(log), lastError_(lastError) {}

  void Attach(char letter, std::shared_ptr<ScsiDevice> device, uint8_t target, uint8_t lun,
              uint8_t pathId) {
    cdroms_[letter] = Cdrom{std::move(device), target, lun, pathId};
  }
  bool HasDevice(char letter) const { return cdroms_.count(letter) != 0; }
  // Data buffers must be aligned to mask+1 (0: no check).
  void SetAlignmentMask(uint32_t mask) { alignmentMask_ = mask; }

  // One DeviceIoControl on the letter's handle; the record is already in `out`.
  bool Execute(char letter, uint32_t code, void* in, uint32_t inSize, void* out, uint32_t outSize,
               uint32_t* bytesReturned);

 private:
  struct Cdrom {
    std::shared_ptr<ScsiDevice> device;
    uint8_t target = 0;
    uint8_t lun = 0;
    uint8_t pathId = 0;
  };

  bool Run(const Cdrom& cdrom, char letter, void* record, uint32_t size, uint32_t* bytesReturned);
  bool Fail(uint32_t error);

  VirtualClock& clock_;
  CommandLog& log_;
  uint32_t& lastError_;
  std::map<char, Cdrom> cdroms_;  // upper-case letter -> device
  uint32_t alignmentMask_ = 0;
};

}  // namespace sim
