// The simulated PC's devices role: drive letters and their types, opens of
// \\.\X: and pass-through on them, transfer memory, and the run-time
// libraries (WNASPI32.DLL).
//
//   pc.SetDriveType('D', platform::kDriveCdrom);
//   pc.AttachCdrom('E', drive);                 // pass-through on \\.\E:
//   pc.FailOpen('E', platform::kErrorAccessDenied, 3);
//   ... pc.DeviceOpens(), pc.OpenDeviceHandles(), pc.LibraryLoads() ...
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Devices.h"
#include "sim/CommandLog.h"
#include "sim/PassThroughPort.h"
#include "sim/ScsiDevice.h"
#include "sim/SimDeviceOpens.h"
#include "sim/SimErrors.h"
#include "sim/SimHandles.h"
#include "sim/SimLibraries.h"
#include "sim/SimMemory.h"
#include "sim/VirtualClock.h"

namespace sim {

class SimDevices : public virtual platform::Devices {
 public:
  SimDevices(VirtualClock& clock, CommandLog& log, SimHandles& handles, uint32_t& lastError,
             const std::string& systemDirectory);

  // ---- Setup -------------------------------------------------------------
  // WNASPI32.DLL in the system directory, with either entry point missing.
  void InstallAspiLibrary(bool supportInfo = true, bool sendCommand = true) {
    libraries_.InstallAspi(supportInfo, sendCommand);
  }
  void RemoveAspiLibrary() { libraries_.RemoveAspi(); }

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
  // AllocateBuffer fails on the nth call (counted from construction).
  void FailAllocation(int nth) { memory_.FailAllocation(nth); }

  // ---- Observation -------------------------------------------------------
  int OpenDeviceCalls() const { return static_cast<int>(opens_.Records().size()); }
  const std::vector<DeviceOpenRecord>& DeviceOpens() const { return opens_.Records(); }
  // Letter of every successful open, in order.
  std::vector<char> OpenedLetters() const { return opens_.OpenedLetters(); }

  int LibraryLoads() const { return libraries_.Loads(); }
  int LibraryUnloads() const { return libraries_.Unloads(); }
  int BadUnloads() const { return libraries_.BadUnloads(); }
  std::vector<std::string> LoadLibraryPaths() const { return libraries_.LoadPaths(); }

  int AllocationCalls() const { return memory_.Calls(); }
  int OutstandingBuffers() const { return memory_.Outstanding(); }
  int BadFrees() const { return memory_.BadFrees(); }

  // ---- platform::Devices -------------------------------------------------
  unsigned DriveType(const char* rootPath) override;
  platform::Handle OpenDeviceWith(const char* path, uint32_t access, uint32_t share) override;
  bool DeviceControl(platform::Handle device, uint32_t code, void* in, uint32_t inSize, void* out,
                     uint32_t outSize, uint32_t* bytesReturned) override;

  void* AllocateBuffer(size_t size) override { return memory_.Allocate(size); }
  void FreeBuffer(void* buffer) override { memory_.Free(buffer); }

  platform::Module LoadLibraryAt(const char* path) override { return libraries_.Load(path); }
  void* ProcAddress(platform::Module module, const char* name) override {
    return libraries_.Entry(module, name);
  }
  void UnloadLibrary(platform::Module module) override { libraries_.Unload(module); }

 private:
  VirtualClock& clock_;
  SimHandles& handles_;
  uint32_t& lastError_;
  unsigned driveTypes_[26] = {};
  SimDeviceOpens opens_;
  PassThroughPort port_;
  SimMemory memory_;
  SimLibraries libraries_;
};

}  // namespace sim
