// The simulated PC's devices role, but for transfer memory (SimMemory) and
// the run-time libraries (SimLibraries): drive letters and their types,
// opens of \\.\X: and pass-through on them.
//
//   pc.SetDriveType('D', platform::kDriveCdrom);
//   pc.AttachCdrom('E', drive);                 // pass-through on \\.\E:
//   pc.FailOpen('E', platform::kErrorAccessDenied, 3);
//   pc.RefuseDeviceAccess('D', platform::kGenericWrite);    // any open asking to write
//   ... pc.DeviceOpens().back().access, pc.OpenedLetters() ...
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Devices.h"
#include "sim/CommandLog.h"
#include "sim/PassThroughPort.h"
#include "sim/ScsiDevice.h"
#include "sim/SimErrors.h"
#include "sim/SimHandles.h"
#include "sim/VirtualClock.h"

namespace sim {

struct DeviceOpenRecord {
  char letter = 0;  // 0 when the path named no drive letter
  uint32_t access = 0;
  uint32_t share = 0;
  bool opened = false;
  uint64_t timeUs = 0;
};

class SimDevices : public virtual platform::Devices {
 public:
  SimDevices(VirtualClock& clock, CommandLog& log, SimHandles& handles, uint32_t& lastError);

  // ---- Setup -------------------------------------------------------------
  void SetDriveType(char letter, unsigned type);
  // Makes the letter a CD-ROM whose device answers pass-through on it.
  void AttachCdrom(char letter, std::shared_ptr<ScsiDevice> device, uint8_t target = 0,
                   uint8_t lun = 0, uint8_t pathId = 0);
  // The next `times` opens of \\.\X: fail with `error` (kAlways: every one).
  void FailOpen(char letter, uint32_t error = platform::kErrorAccessDenied, int times = kAlways);
  // Opens of \\.\X: asking for any of these rights fail with access denied.
  void RefuseDeviceAccess(char letter, uint32_t rights);
  // Pass-through data buffers must be aligned to mask+1 (0: no check);
  // a misaligned one fails with ERROR_INVALID_PARAMETER.
  void SetPassThroughAlignmentMask(uint32_t mask) { port_.SetAlignmentMask(mask); }

  // ---- Observation -------------------------------------------------------
  int OpenDeviceCalls() const { return static_cast<int>(opens_.size()); }
  const std::vector<DeviceOpenRecord>& DeviceOpens() const { return opens_; }
  // Letter of every successful open, in order.
  std::vector<char> OpenedLetters() const;

  // ---- platform::Devices -------------------------------------------------
  unsigned DriveType(const char* rootPath) override;
  platform::Handle OpenDeviceWith(const char* path, uint32_t access, uint32_t share) override;
  bool DeviceControl(platform::Handle device, uint32_t code, void* in, uint32_t inSize, void* out,
                     uint32_t outSize, uint32_t* bytesReturned) override;

 private:
  struct OpenFailure {
    uint32_t error = 0;
    int times = 0;
  };
  // 0 when an open of the letter with `access` may go ahead, else its error.
  uint32_t OpenError(char letter, uint32_t access);

  VirtualClock& clock_;
  SimHandles& handles_;
  uint32_t& lastError_;
  unsigned driveTypes_[26] = {};
  std::map<char, OpenFailure> openFailures_;
  std::map<char, uint32_t> refusedRights_;
  std::vector<DeviceOpenRecord> opens_;
  PassThroughPort port_;
};

}  // namespace sim
