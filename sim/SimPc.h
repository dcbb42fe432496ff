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
// registry, files, clock, screen, system, program), a base of SimPc that
// answers the logic itself; SimPc only puts them together.
//
// Only one SimPc may exist at a time: the ASPI entry points it hands out are
// plain functions that forward to the live one. Single-threaded.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "sim/AspiManager.h"
#include "sim/CommandLog.h"
#include "sim/ScsiDevice.h"
#include "sim/SimClock.h"
#include "sim/SimDevices.h"
#include "sim/SimErrors.h"
#include "sim/SimFiles.h"
#include "sim/SimHandles.h"
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
              private SimHandles,
              private SimSystem,
              private SimDevices,
              private SimClock,
              private SimRegistry,
              private SimScreen,
              private SimFiles,
              private SimProgram {
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
  using SimClock::Threads;
  SimProfile& Profile() { return profile_; }
  SimProgram& Program() { return *this; }
  using SimSystem::Kernel;
  SimProcesses& Processes() { return processes_; }

  // The version, the system folder and the ASPI library of that Windows.
  void SetWindows(WindowsVersion version);
  // One drive where the drive object looks for it on this system: on the NT
  // family as CD-ROM E:, on the 9x family at ASPI address 0/1/0 with D: as
  // the CD-ROM letter.
  void AttachDrive(std::shared_ptr<ScsiDevice> device,
                   Completion completion = Completion::kSynchronous);

  using SimSystem::FailExtendedVersionQuery;
  using SimSystem::FailVersionQuery;
  using SimSystem::SetExitWindowsResult;
  using SimSystem::SetLastErrorValue;
  using SimSystem::SetSystemDirectoryPath;
  using SimSystem::SetSystemErrorText;
  using SimSystem::SetVersion;

  using SimDevices::AttachCdrom;
  using SimDevices::FailAllocation;
  using SimDevices::FailOpen;
  using SimDevices::InstallAspiLibrary;
  using SimDevices::RefuseDeviceAccess;
  using SimDevices::RemoveAspiLibrary;
  using SimDevices::SetDriveType;
  using SimDevices::SetPassThroughAlignmentMask;

  using SimClock::FailEventCreation;
  using SimClock::FailWaits;

  using SimFiles::AddFile;
  using SimFiles::FailFileOpen;
  using SimFiles::RemoveFile;

  using SimScreen::QueueMessageBoxAnswer;
  using SimScreen::SetPumpCostUs;
  using SimScreen::SetPumpHook;

  // ---- Observation -------------------------------------------------------
  using SimProgram::Traces;
  using SimScreen::MessageBoxes;
  using SimScreen::PumpCount;

  using SimDevices::AllocationCalls;
  using SimDevices::BadFrees;
  using SimDevices::DeviceOpens;
  using SimDevices::LibraryLoads;
  using SimDevices::LibraryUnloads;
  using SimDevices::LoadLibraryPaths;
  using SimDevices::OpenDeviceCalls;
  using SimDevices::OpenedLetters;
  using SimDevices::OutstandingBuffers;
  using SimHandles::OpenDeviceHandles;
  using SimHandles::OpenEvents;
  using SimHandles::OpenThreadHandles;

  using SimFiles::FileOpens;
  using SimFiles::OpenFiles;

  using SimClock::LateSignals;
  using SimClock::WaitsWithoutWaker;
  using SimSystem::ExitWindowsCalls;
  using SimSystem::ShutdownPrivilegeRequests;

  // Closes of unknown or closed handles, files, registry keys and libraries.
  int BadCloses() const;

  // ---- platform::Platform ------------------------------------------------
  using SimDevices::AllocateBuffer;
  using SimDevices::DeviceControl;
  using SimDevices::DriveType;
  using SimDevices::FreeBuffer;
  using SimDevices::LoadLibraryAt;
  using SimDevices::OpenDeviceWith;
  using SimDevices::ProcAddress;
  using SimDevices::UnloadLibrary;
  using SimHandles::CloseHandle;

  using SimRegistry::CloseRegistryKey;
  using SimRegistry::EnumRegistrySubkey;
  using SimRegistry::EnumRegistryValue;
  using SimRegistry::OpenRegistryKey;
  using SimRegistry::QueryRegistryValue;
  using SimRegistry::RegistryValueCount;
  using SimRegistry::SetRegistryValue;

  using SimFiles::CloseFile;
  using SimFiles::FindFirstMatch;
  using SimFiles::OpenFileForReading;
  using SimFiles::ReadFile;
  using SimFiles::SeekFile;
  using SimFiles::WriteProfileText;

  using SimClock::CreateManualEvent;
  using SimClock::MultimediaTime;
  using SimClock::PerformanceCounter;
  using SimClock::PerformanceFrequency;
  using SimClock::SleepFor;
  using SimClock::StartThread;
  using SimClock::TickCount;
  using SimClock::WaitForObject;

  using SimScreen::PumpOneMessage;
  using SimScreen::ShowMessageBox;
  using SimScreen::ShowOwnedMessageBox;

  using SimSystem::CreateOwnedMutex;
  using SimSystem::EnableShutdownPrivilege;
  using SimSystem::ExitWindows;
  using SimSystem::LastError;
  using SimSystem::LocaleInfo;
  using SimSystem::QueryVersion;
  using SimSystem::QueryVersionExtended;
  using SimSystem::SystemDirectory;
  using SimSystem::SystemErrorText;

  using SimProgram::LoadText;
  using SimProgram::ProgramPath;
  using SimProgram::ResourceBytes;
  using SimProgram::StartProgram;
  using SimProgram::Trace;

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
