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
// Each kind of system service lives in a small class of its own (files,
// memory, the pass-through port, the registry). A service that plays a
// whole role of the seam (the registry, the screen, the files, the program) is a base
// of SimPc and answers the logic itself; SimPc routes the other operations
// to its services.
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
#include "sim/PassThroughPort.h"
#include "sim/ScsiDevice.h"
#include "sim/SimDeviceOpens.h"
#include "sim/SimErrors.h"
#include "sim/SimFiles.h"
#include "sim/SimKernel.h"
#include "sim/SimLibraries.h"
#include "sim/SimMemory.h"
#include "sim/SimProcesses.h"
#include "sim/SimProfile.h"
#include "sim/SimProgram.h"
#include "sim/SimRegistry.h"
#include "sim/SimScreen.h"
#include "sim/SimThreads.h"
#include "sim/VirtualClock.h"
#include "sim/WindowsVersions.h"

namespace sim {

struct ExitWindowsRecord {
  uint32_t flags = 0;
  uint64_t timeUs = 0;
  bool privilegeEnabledBefore = false;
};

constexpr uint32_t kInfinite = 0xFFFFFFFF;
constexpr int kAlways = -1;

// Each role the logic sees is played by the service class that implements
// it; SimPc puts them together.
class SimPc : public platform::Platform,
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
  SimThreads& Threads() { return threads_; }
  SimProfile& Profile() { return profile_; }
  SimProgram& Program() { return *this; }
  SimKernel& Kernel() { return kernel_; }
  SimProcesses& Processes() { return processes_; }

  void SetWindows(WindowsVersion version);
  void SetVersion(const platform::OsVersion& version) { version_ = version; }
  void FailVersionQuery(bool fail = true) { failVersionQuery_ = fail; }
  // The larger OSVERSIONINFOEXA record fails where Windows refuses it (the
  // 9x family, NT 4.0 before Service Pack 6) and when told to.
  void FailExtendedVersionQuery(bool fail = true) { failExtendedVersionQuery_ = fail; }
  void SetSystemDirectoryPath(std::string path) { systemDirectory_ = std::move(path); }

  // WNASPI32.DLL in the system directory, with either entry point missing.
  void InstallAspiLibrary(bool supportInfo = true, bool sendCommand = true) {
    libraries_.InstallAspi(supportInfo, sendCommand);
  }
  void RemoveAspiLibrary() { libraries_.RemoveAspi(); }

  void SetDriveType(char letter, unsigned type);
  // Makes the letter a CD-ROM whose device answers pass-through on it.
  void AttachCdrom(char letter, std::shared_ptr<ScsiDevice> device, uint8_t target = 0,
                   uint8_t lun = 0, uint8_t pathId = 0);
  // One drive where the drive object looks for it on this system: on the NT
  // family as CD-ROM E:, on the 9x family at ASPI address 0/1/0 with D: as
  // the CD-ROM letter.
  void AttachDrive(std::shared_ptr<ScsiDevice> device,
                   Completion completion = Completion::kSynchronous);
  // The next `times` opens of \\.\X: fail with `error` (kAlways: every one).
  void FailOpen(char letter, uint32_t error = platform::kErrorAccessDenied, int times = kAlways);
  // Opens of \\.\X: asking for any of these rights fail with access denied.
  void RefuseDeviceAccess(char letter, uint32_t rights);
  // Pass-through data buffers must be aligned to mask+1 (0: no check);
  // a misaligned one fails with ERROR_INVALID_PARAMETER.
  void SetPassThroughAlignmentMask(uint32_t mask) { port_.SetAlignmentMask(mask); }

  void SetSystemErrorText(uint32_t code, std::string text) { errorTexts_[code] = std::move(text); }
  void SetLastErrorValue(uint32_t error) { lastError_ = error; }

  // CreateManualEvent fails on the nth call from now on (1 = the next), `times` times.
  void FailEventCreation(int nth = 1, int times = 1);
  // WaitForObject answers WAIT_FAILED on the nth wait from now on, `times` times.
  void FailWaits(int nth = 1, int times = 1);
  // AllocateBuffer fails on the nth call (counted from construction).
  void FailAllocation(int nth) { memory_.FailAllocation(nth); }

  using SimScreen::QueueMessageBoxAnswer;

  void AddFile(const std::string& name, std::vector<uint8_t> bytes) {
    SimFiles::Add(name, std::move(bytes));
  }
  void RemoveFile(const std::string& name) { SimFiles::Remove(name); }
  void FailFileOpen(const std::string& name, bool fail = true) { SimFiles::FailOpen(name, fail); }

  void SetExitWindowsResult(bool result) { exitWindowsResult_ = result; }
  using SimScreen::SetPumpCostUs;
  using SimScreen::SetPumpHook;

  // ---- Observation -------------------------------------------------------
  using SimProgram::Traces;
  using SimScreen::MessageBoxes;
  using SimScreen::PumpCount;

  int OpenDeviceCalls() const { return static_cast<int>(opens_.Records().size()); }
  const std::vector<DeviceOpenRecord>& DeviceOpens() const { return opens_.Records(); }
  int OpenDeviceHandles() const;  // still open
  int OpenEvents() const;         // still open
  int OpenThreadHandles() const;  // still open
  // Closes of unknown or closed handles, files and registry keys.
  int BadCloses() const {
    return badCloses_ + SimFiles::BadCloses() + SimRegistry::BadCloses() + libraries_.BadUnloads();
  }
  // Letter of every successful open, in order.
  std::vector<char> OpenedLetters() const { return opens_.OpenedLetters(); }

  int LibraryLoads() const { return libraries_.Loads(); }
  int LibraryUnloads() const { return libraries_.Unloads(); }
  std::vector<std::string> LoadLibraryPaths() const { return libraries_.LoadPaths(); }

  int OpenFiles() const { return SimFiles::OpenCount(); }  // still open
  int FileOpens() const { return SimFiles::Opens(); }
  int AllocationCalls() const { return memory_.Calls(); }
  int OutstandingBuffers() const { return memory_.Outstanding(); }
  int BadFrees() const { return memory_.BadFrees(); }

  int LateSignals() const { return lateSignals_; }  // completions signalling a closed event

  int ShutdownPrivilegeRequests() const { return privilegeRequests_; }
  const std::vector<ExitWindowsRecord>& ExitWindowsCalls() const { return exits_; }
  int WaitsWithoutWaker() const {
    return waitsWithoutWaker_;
  }  // infinite waits that could never end

  // ---- platform::Platform ------------------------------------------------
  using SimRegistry::CloseRegistryKey;
  using SimRegistry::EnumRegistrySubkey;
  using SimRegistry::EnumRegistryValue;
  using SimRegistry::OpenRegistryKey;
  using SimRegistry::QueryRegistryValue;
  using SimRegistry::RegistryValueCount;
  using SimRegistry::SetRegistryValue;

  bool QueryVersion(platform::OsVersion& version) override;
  unsigned SystemDirectory(char* buffer, unsigned size) override;
  uint32_t LastError() override { return lastError_; }
  bool SystemErrorText(uint32_t code, char* buffer, unsigned size) override;

  platform::Module LoadLibraryAt(const char* path) override { return libraries_.Load(path); }
  void* ProcAddress(platform::Module module, const char* name) override {
    return libraries_.Entry(module, name);
  }
  void UnloadLibrary(platform::Module module) override { libraries_.Unload(module); }

  unsigned DriveType(const char* rootPath) override;
  platform::Handle OpenDeviceWith(const char* path, uint32_t access, uint32_t share) override;
  bool DeviceControl(platform::Handle device, uint32_t code, void* in, uint32_t inSize, void* out,
                     uint32_t outSize, uint32_t* bytesReturned) override;
  void CloseHandle(platform::Handle handle) override;

  platform::Handle CreateManualEvent() override;
  uint32_t WaitForObject(platform::Handle handle, uint32_t milliseconds) override;
  void SleepFor(uint32_t milliseconds) override;
  uint32_t TickCount() override;
  uint32_t MultimediaTime() override { return static_cast<uint32_t>(clock_.NowMs()); }
  int64_t PerformanceCounter() override;
  int64_t PerformanceFrequency() override;

  platform::Handle StartThread(platform::ThreadRoutine routine, void* parameter) override;

  using SimScreen::PumpOneMessage;
  using SimScreen::ShowMessageBox;
  using SimScreen::ShowOwnedMessageBox;

  using SimFiles::CloseFile;
  using SimFiles::FindFirstMatch;
  using SimFiles::OpenFileForReading;
  using SimFiles::ReadFile;
  using SimFiles::SeekFile;
  using SimFiles::WriteProfileText;

  void* AllocateBuffer(size_t size) override { return memory_.Allocate(size); }
  void FreeBuffer(void* buffer) override { memory_.Free(buffer); }

  void EnableShutdownPrivilege() override;
  bool ExitWindows(uint32_t flags) override;

  bool QueryVersionExtended(platform::OsVersion& version) override {
    if (failExtendedVersionQuery_ || !AcceptsExtendedVersionRecord(version_)) {
      lastError_ = kErrorInsufficientBuffer;
      return false;
    }
    return QueryVersion(version);
  }
  platform::Handle CreateOwnedMutex(const char* name) override;
  int LocaleInfo(uint32_t locale, uint32_t type, char* buffer, int size) override {
    return kernel_.LocaleInfo(locale, type, buffer, size);
  }
  using SimProgram::LoadText;
  using SimProgram::ProgramPath;
  using SimProgram::ResourceBytes;
  using SimProgram::StartProgram;
  using SimProgram::Trace;

 private:
  class Host;
  enum class HandleKind { kDevice, kEvent, kMutex, kThread };
  struct HandleState {
    HandleKind kind = HandleKind::kEvent;
    bool open = true;
    bool signalled = false;
    char letter = 0;
  };

  platform::Handle NewHandle(HandleState state);
  HandleState* FindHandle(platform::Handle handle, HandleKind kind);
  void SignalEvent(void* event);

  VirtualClock clock_;
  CommandLog log_;
  std::unique_ptr<Host> host_;
  AspiManager aspi_;

  platform::OsVersion version_;
  bool failVersionQuery_ = false;
  bool failExtendedVersionQuery_ = false;
  std::string systemDirectory_ = "C:\\WINDOWS\\SYSTEM";
  uint32_t lastError_ = 0;
  std::map<uint32_t, std::string> errorTexts_;

  SimLibraries libraries_{lastError_, systemDirectory_};
  SimMemory memory_{lastError_};
  PassThroughPort port_{clock_, log_, lastError_};
  SimThreads threads_{clock_};
  SimProfile profile_;
  SimKernel kernel_;

  unsigned driveTypes_[26] = {};
  SimDeviceOpens opens_;
  SimProcesses processes_;

  uintptr_t nextHandle_ = 0x1000;
  std::map<platform::Handle, HandleState> handles_;
  int badCloses_ = 0;
  int eventCreations_ = 0;
  int failEventFrom_ = 0;
  int failEventTimes_ = 0;
  int waits_ = 0;
  int failWaitFrom_ = 0;
  int failWaitTimes_ = 0;
  int waitsWithoutWaker_ = 0;
  int lateSignals_ = 0;

  int privilegeRequests_ = 0;
  std::vector<ExitWindowsRecord> exits_;
  bool exitWindowsResult_ = true;
};

}  // namespace sim
