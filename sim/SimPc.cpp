#include "sim/SimPc.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>

#include "platform/AspiRecords.h"
#include "platform/PassThroughRecords.h"

namespace sim {

namespace {

SimPc* g_activePc = nullptr;

constexpr uint64_t kFailedOpenCostUs = 1000;

int LetterIndex(char letter) {
  const int upper = std::toupper(static_cast<unsigned char>(letter));
  return upper >= 'A' && upper <= 'Z' ? upper - 'A' : -1;
}

char UpperLetter(char letter) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

// Counts calls and says whether this one falls inside a scripted failure window.
bool InFailureWindow(int call, int from, int times) {
  if (times == 0 || from <= 0 || call < from) return false;
  return times == kAlways || call < from + times;
}

}  // namespace

class SimPc::Host : public AspiHost {
 public:
  explicit Host(SimPc& pc) : pc_(pc) {}
  uint64_t NowUs() override { return pc_.clock_.NowUs(); }
  void Elapse(uint64_t us) override { pc_.clock_.Advance(us); }
  void SignalEvent(void* event) override { pc_.SignalEvent(event); }
  void ScheduleAt(uint64_t timeUs, std::function<void()> action) override {
    pc_.clock_.ScheduleAt(timeUs, std::move(action));
  }

 private:
  SimPc& pc_;
};

SimPc::SimPc(WindowsVersion version)
    : SimScreen(clock_, aspi_),
      SimFiles(lastError_, profile_, clock_),
      SimProgram(*this, processes_, clock_, lastError_),
      host_(std::make_unique<Host>(*this)),
      aspi_(*host_, log_) {
  std::fill(std::begin(driveTypes_), std::end(driveTypes_), platform::kDriveNoRootDir);
  driveTypes_['C' - 'A'] = platform::kDriveFixed;
  errorTexts_ = {
      {2, "The system cannot find the file specified.\r\n"},
      {platform::kErrorAccessDenied, "Access is denied.\r\n"},
      {kErrorInvalidHandle, "The handle is invalid.\r\n"},
      {kErrorNotSupported, "The request is not supported.\r\n"},
      {kErrorInvalidParameter, "The parameter is incorrect.\r\n"},
      {platform::kErrorSemTimeout, "The semaphore timeout period has expired.\r\n"},
      {platform::kErrorIoDevice,
       "The request could not be performed because of an I/O device error.\r\n"},
  };
  SetWindows(version);
  g_activePc = this;
  SimLibraries::SetActiveManager(&aspi_);
}

SimPc::~SimPc() {
  if (g_activePc == this) {
    g_activePc = nullptr;
    SimLibraries::SetActiveManager(nullptr);
  }
}

SimPc* SimPc::Active() {
  return g_activePc;
}

void SimPc::SetWindows(WindowsVersion version) {
  version_ = VersionOf(version);
  const bool nt = IsNtFamily(version);
  if (nt) {
    libraries_.RemoveAspi();
  } else {
    libraries_.InstallAspi(true, true);
  }
  if (!nt) {
    systemDirectory_ = "C:\\WINDOWS\\SYSTEM";
  } else if (version == WindowsVersion::kWinXp) {
    systemDirectory_ = "C:\\WINDOWS\\system32";
  } else {
    systemDirectory_ = "C:\\WINNT\\system32";
  }
}

void SimPc::SetDriveType(char letter, unsigned type) {
  const int index = LetterIndex(letter);
  if (index >= 0) driveTypes_[index] = type;
}

void SimPc::AttachCdrom(char letter, std::shared_ptr<ScsiDevice> device, uint8_t target,
                        uint8_t lun, uint8_t pathId) {
  if (LetterIndex(letter) < 0) return;
  SetDriveType(letter, platform::kDriveCdrom);
  port_.Attach(UpperLetter(letter), std::move(device), target, lun, pathId);
}

void SimPc::AttachDrive(std::shared_ptr<ScsiDevice> device, Completion completion) {
  if (version_.platformId == platform::kPlatformWin32Nt) {
    AttachCdrom('E', std::move(device));
  } else {
    SetDriveType('D', platform::kDriveCdrom);
    aspi_.Attach(0, 1, 0, std::move(device), completion);
  }
}

void SimPc::FailOpen(char letter, uint32_t error, int times) {
  opens_.FailOpen(UpperLetter(letter), error, times);
}

void SimPc::RefuseDeviceAccess(char letter, uint32_t rights) {
  opens_.RefuseAccess(UpperLetter(letter), rights);
}

void SimPc::FailEventCreation(int nth, int times) {
  failEventFrom_ = eventCreations_ + nth;
  failEventTimes_ = times;
}

void SimPc::FailWaits(int nth, int times) {
  failWaitFrom_ = waits_ + nth;
  failWaitTimes_ = times;
}

// ---- Observation ----------------------------------------------------------

int SimPc::OpenDeviceHandles() const {
  return static_cast<int>(std::count_if(handles_.begin(), handles_.end(), [](const auto& entry) {
    return entry.second.open && entry.second.kind == HandleKind::kDevice;
  }));
}

int SimPc::OpenEvents() const {
  return static_cast<int>(std::count_if(handles_.begin(), handles_.end(), [](const auto& entry) {
    return entry.second.open && entry.second.kind == HandleKind::kEvent;
  }));
}

int SimPc::OpenThreadHandles() const {
  return static_cast<int>(std::count_if(handles_.begin(), handles_.end(), [](const auto& entry) {
    return entry.second.open && entry.second.kind == HandleKind::kThread;
  }));
}

// ---- System ---------------------------------------------------------------

bool SimPc::QueryVersion(platform::OsVersion& version) {
  if (failVersionQuery_) {
    lastError_ = kErrorInvalidParameter;
    return false;
  }
  version = version_;
  return true;
}

platform::Handle SimPc::CreateOwnedMutex(const char* name) {
  lastError_ = kernel_.CreateNamedMutex(name == nullptr ? "" : name);
  return NewHandle(HandleState{HandleKind::kMutex});
}

unsigned SimPc::SystemDirectory(char* buffer, unsigned size) {
  const auto length = static_cast<unsigned>(systemDirectory_.size());
  if (buffer == nullptr || size <= length) return length + 1;  // the size it needs
  std::memcpy(buffer, systemDirectory_.c_str(), length + 1);
  return length;
}

bool SimPc::SystemErrorText(uint32_t code, char* buffer, unsigned size) {
  auto found = errorTexts_.find(code);
  if (found == errorTexts_.end()) {
    lastError_ = kErrorMrMidNotFound;
    return false;
  }
  if (buffer == nullptr || found->second.size() + 1 > size) {
    lastError_ = kErrorInsufficientBuffer;
    return false;
  }
  std::memcpy(buffer, found->second.c_str(), found->second.size() + 1);
  return true;
}

// ---- Devices --------------------------------------------------------------

unsigned SimPc::DriveType(const char* rootPath) {
  // A root path is exactly "X:\".
  if (rootPath == nullptr || std::strlen(rootPath) != 3 || rootPath[1] != ':' ||
      rootPath[2] != '\\') {
    return platform::kDriveNoRootDir;
  }
  const int index = LetterIndex(rootPath[0]);
  return index < 0 ? platform::kDriveNoRootDir : driveTypes_[index];
}

platform::Handle SimPc::OpenDeviceWith(const char* path, uint32_t access, uint32_t share) {
  const bool letterPath = path != nullptr && std::strlen(path) == 6 &&
                          std::strncmp(path, "\\\\.\\", 4) == 0 && path[5] == ':' &&
                          LetterIndex(path[4]) >= 0;
  DeviceOpenRecord record{letterPath ? UpperLetter(path[4]) : '\0', access, share, false,
                          clock_.NowUs()};
  uint32_t error = letterPath ? opens_.Check(record.letter, access) : kErrorFileNotFound;
  if (error == 0 && !port_.HasDevice(record.letter)) error = kErrorFileNotFound;
  if (error != 0) {
    // A refused open still takes a moment, so retry loops end in virtual time.
    clock_.Advance(kFailedOpenCostUs);
    opens_.Record(record);
    lastError_ = error;
    return platform::InvalidHandle();
  }
  record.opened = true;
  opens_.Record(record);
  HandleState state;
  state.kind = HandleKind::kDevice;
  state.letter = record.letter;
  return NewHandle(state);
}

bool SimPc::DeviceControl(platform::Handle device, uint32_t code, void* in, uint32_t inSize,
                          void* out, uint32_t outSize, uint32_t* bytesReturned) {
  if (bytesReturned != nullptr) *bytesReturned = 0;
  HandleState* state = FindHandle(device, HandleKind::kDevice);
  if (state == nullptr) {
    lastError_ = kErrorInvalidHandle;
    return false;
  }
  return port_.Execute(state->letter, code, in, inSize, out, outSize, bytesReturned);
}

void SimPc::CloseHandle(platform::Handle handle) {
  auto found = handles_.find(handle);
  if (found == handles_.end() || !found->second.open) {
    ++badCloses_;
    lastError_ = kErrorInvalidHandle;
    return;
  }
  found->second.open = false;
}

platform::Handle SimPc::NewHandle(HandleState state) {
  nextHandle_ += 4;
  auto handle = reinterpret_cast<platform::Handle>(nextHandle_);
  handles_[handle] = state;
  return handle;
}

SimPc::HandleState* SimPc::FindHandle(platform::Handle handle, HandleKind kind) {
  auto found = handles_.find(handle);
  if (found == handles_.end() || !found->second.open || found->second.kind != kind) return nullptr;
  return &found->second;
}

// ---- Events, waits and time -----------------------------------------------

platform::Handle SimPc::CreateManualEvent() {
  const int call = ++eventCreations_;
  if (InFailureWindow(call, failEventFrom_, failEventTimes_)) {
    lastError_ = kErrorNotEnoughMemory;
    return nullptr;
  }
  return NewHandle(HandleState{HandleKind::kEvent, true, false, 0});
}

platform::Handle SimPc::StartThread(platform::ThreadRoutine routine, void* parameter) {
  if (!threads_.Run(routine, parameter)) {
    lastError_ = kErrorNotEnoughMemory;
    return nullptr;
  }
  return NewHandle(HandleState{HandleKind::kThread, true, false, 0});
}

void SimPc::SignalEvent(void* event) {
  HandleState* state = FindHandle(event, HandleKind::kEvent);
  if (state == nullptr) {
    ++lateSignals_;
    return;
  }
  state->signalled = true;
}

uint32_t SimPc::WaitForObject(platform::Handle handle, uint32_t milliseconds) {
  const int call = ++waits_;
  if (InFailureWindow(call, failWaitFrom_, failWaitTimes_)) {
    lastError_ = kErrorInvalidHandle;
    return platform::kWaitFailed;
  }
  HandleState* state = FindHandle(handle, HandleKind::kEvent);
  if (state == nullptr) {
    lastError_ = kErrorInvalidHandle;
    return platform::kWaitFailed;
  }
  const bool infinite = milliseconds == kInfinite;
  const uint64_t deadline = infinite ? std::numeric_limits<uint64_t>::max()
                                     : clock_.NowUs() + uint64_t{milliseconds} * 1000;
  const platform::Handle waited = handle;
  const bool signalled = clock_.RunUntil(deadline, [this, waited]() {
    auto found = handles_.find(waited);
    return found != handles_.end() && found->second.signalled;
  });
  if (signalled) return platform::kWaitObject0;
  if (infinite) {
    // Nothing left that could ever signal it: a real program would hang here.
    ++waitsWithoutWaker_;
    lastError_ = kErrorInvalidHandle;
    return platform::kWaitFailed;
  }
  return platform::kWaitTimeout;
}

void SimPc::SleepFor(uint32_t milliseconds) {
  clock_.Advance(uint64_t{milliseconds} * 1000);
}

uint32_t SimPc::TickCount() {
  return clock_.TickCount();
}

int64_t SimPc::PerformanceCounter() {
  return clock_.ReadPerformanceCounter();
}

int64_t SimPc::PerformanceFrequency() {
  return clock_.PerformanceFrequency();
}

// ---- Restart and traces ---------------------------------------------------

void SimPc::EnableShutdownPrivilege() {
  ++privilegeRequests_;
}

bool SimPc::ExitWindows(uint32_t flags) {
  exits_.push_back(ExitWindowsRecord{flags, clock_.NowUs(), privilegeRequests_ > 0});
  return exitWindowsResult_;
}

}  // namespace sim
