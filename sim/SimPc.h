// The simulated PC: the test backend of the OS seam. One per test; it
// holds the virtual clock, the ASPI manager, the drive letters, files,
// message boxes and everything the logic may ask of Windows, and records
// what was asked so a test can check it.
//
//   sim::SimPc pc(sim::WindowsVersion::kWin98);   // 9x: ASPI library present
//   auto drive = std::make_shared<sim::K818rDrive>();
//   pc.Aspi().Attach(0, 1, 0, drive);
//   pc.SetDriveType('D', platform::kDriveCdrom);
//   pc.AddFile("K818R_10.BIN", image);
//   CAtapi atapi(pc);
//   ... pc.Log().Commands(), pc.MessageBoxes(), pc.OpenDeviceHandles() ...
//
//   sim::SimPc nt(sim::WindowsVersion::kWinXp);
//   nt.AttachCdrom('E', drive);                 // pass-through on \\.\E:
//
// Each role of the seam is played by a small class of its own (devices,
// memory and libraries, registry, files, clock, screen, system, program), a
// public base of SimPc that answers the logic and the test itself; SimPc
// only puts them together.
//
// Only one SimPc may exist at a time: the ASPI entry points it hands out are
// plain functions that forward to the live one. Single-threaded.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/Platform.h"
#include "sim/AspiManager.h"
#include "sim/CommandLog.h"
#include "sim/ScsiDevice.h"
#include "sim/SimClock.h"
#include "sim/SimDevices.h"
#include "sim/SimErrors.h"
#include "sim/SimFiles.h"
#include "sim/SimHandles.h"
#include "sim/SimLibraries.h"
#include "sim/SimMemory.h"
#include "sim/SimProcesses.h"
#include "sim/SimProfile.h"
#include "sim/SimProgram.h"
#include "sim/SimRegistry.h"
#include "sim/SimScreen.h"
#include "sim/SimSystem.h"
#include "sim/VirtualClock.h"
#include "sim/WindowsVersions.h"

namespace sim {

// The system role comes before the devices role: the libraries look in
// its system folder.
class SimPc : public platform::Platform,
              public SimHandles,
              public SimSystem,
              public SimDevices,
              public SimMemory,
              public SimLibraries,
              public SimClock,
              public SimRegistry,
              public SimScreen,
              public SimFiles,
              public SimProgram {
 public:
  // 9x versions start with WNASPI32.DLL installed, NT versions without.
  explicit SimPc(WindowsVersion version = WindowsVersion::kWinXp);
  ~SimPc() override;
  SimPc(const SimPc&) = delete;
  SimPc& operator=(const SimPc&) = delete;

  static SimPc* Active();

  // ---- Setup -------------------------------------------------------------
  VirtualClock& Clock() { return clock_; }
  CommandLog& Log() { return log_; }
  AspiManager& Aspi() { return aspi_; }
  SimRegistry& Registry() { return *this; }
  SimFiles& Files() { return *this; }
  SimProfile& Profile() { return profile_; }
  SimProgram& Program() { return *this; }
  SimProcesses& Processes() { return processes_; }

  // The version, the system folder and the ASPI library of that Windows.
  void SetWindows(WindowsVersion version);
  // One drive where the drive object looks for it on this system: on the NT
  // family as CD-ROM E:, on the 9x family at ASPI address 0/1/0 with D: as
  // the CD-ROM letter.
  void AttachDrive(std::shared_ptr<ScsiDevice> device,
                   Completion completion = Completion::kSynchronous);

  // Names that more than one role has.
  using SimDevices::FailOpen;
  using SimHandles::CloseHandle;
  // Closes of unknown or closed handles, files, registry keys and libraries.
  int BadCloses() const;

 private:
  class Host;

  uint32_t lastError_ = 0;
  VirtualClock clock_;
  CommandLog log_;
  std::unique_ptr<Host> host_;
  AspiManager aspi_;
  SimProfile profile_;
  SimProcesses processes_;
};

}  // namespace sim
