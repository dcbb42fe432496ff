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

constexpr uintptr_t kAspiModuleAddress = 0x10000000;
constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr size_t kPageSize = 4096;
constexpr uint8_t kFreshMemoryByte = 0xCD;  // what the logic must not rely on

uint32_t ForwardSupportInfo() {
  return g_activePc == nullptr ? 0 : g_activePc->Aspi().GetASPI32SupportInfo();
}

uint32_t ForwardSendCommand(void* srb) {
  return g_activePc == nullptr ? aspi::SS_INVALID_CMD : g_activePc->Aspi().SendASPI32Command(srb);
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

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

SimPc::SimPc(WindowsVersion version) : host_(std::make_unique<Host>(*this)), aspi_(*host_, log_) {
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
}

SimPc::~SimPc() {
  if (g_activePc == this) g_activePc = nullptr;
}

SimPc* SimPc::Active() {
  return g_activePc;
}

void SimPc::SetWindows(WindowsVersion version) {
  version_ = VersionOf(version);
  const bool nt = IsNtFamily(version);
  aspiInstalled_ = !nt;
  if (!nt) {
    systemDirectory_ = "C:\\WINDOWS\\SYSTEM";
  } else if (version == WindowsVersion::kWinXp) {
    systemDirectory_ = "C:\\WINDOWS\\system32";
  } else {
    systemDirectory_ = "C:\\WINNT\\system32";
  }
}

void SimPc::InstallAspiLibrary(bool supportInfo, bool sendCommand) {
  aspiInstalled_ = true;
  aspiHasSupportInfo_ = supportInfo;
  aspiHasSendCommand_ = sendCommand;
}

void SimPc::SetDriveType(char letter, unsigned type) {
  const int index = LetterIndex(letter);
  if (index >= 0) driveTypes_[index] = type;
}

void SimPc::AttachCdrom(char letter, std::shared_ptr<ScsiDevice> device, uint8_t target,
                        uint8_t lun, uint8_t pathId) {
  if (LetterIndex(letter) < 0) return;
  SetDriveType(letter, platform::kDriveCdrom);
  cdroms_[UpperLetter(letter)] = CdromLetter{std::move(device), target, lun, pathId};
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
  openFailures_[UpperLetter(letter)] = OpenFailure{error, times};
}

void SimPc::FailEventCreation(int nth, int times) {
  failEventFrom_ = eventCreations_ + nth;
  failEventTimes_ = times;
}

void SimPc::FailWaits(int nth, int times) {
  failWaitFrom_ = waits_ + nth;
  failWaitTimes_ = times;
}

void SimPc::AddFile(const std::string& name, std::vector<uint8_t> bytes) {
  files_[Upper(name)] = std::move(bytes);
}

void SimPc::RemoveFile(const std::string& name) {
  files_.erase(Upper(name));
}

void SimPc::FailFileOpen(const std::string& name, bool fail) {
  if (fail) {
    failingFiles_.insert(Upper(name));
  } else {
    failingFiles_.erase(Upper(name));
  }
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

std::vector<char> SimPc::OpenedLetters() const {
  return openedLetters_;
}

int SimPc::OpenFiles() const {
  return static_cast<int>(openFiles_.size());
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

// ---- Libraries ------------------------------------------------------------

platform::Module SimPc::LoadLibraryAt(const char* path) {
  const std::string requested = path == nullptr ? std::string() : std::string(path);
  loadPaths_.push_back(requested);
  if (!aspiInstalled_ || Upper(requested) != Upper(systemDirectory_ + "\\WNASPI32.DLL")) {
    lastError_ = kErrorModNotFound;
    return nullptr;
  }
  ++libraryLoads_;
  return reinterpret_cast<platform::Module>(kAspiModuleAddress);
}

void* SimPc::ProcAddress(platform::Module module, const char* name) {
  const bool loaded = libraryLoads_ > libraryUnloads_;
  if (!loaded || module != reinterpret_cast<platform::Module>(kAspiModuleAddress) ||
      name == nullptr) {
    lastError_ = kErrorInvalidHandle;
    return nullptr;
  }
  // GetProcAddress matches names case-sensitively.
  if (aspiHasSupportInfo_ && std::strcmp(name, "GetASPI32SupportInfo") == 0) {
    aspi::GetASPI32SupportInfoFn function = &ForwardSupportInfo;
    return reinterpret_cast<void*>(function);
  }
  if (aspiHasSendCommand_ && std::strcmp(name, "SendASPI32Command") == 0) {
    aspi::SendASPI32CommandFn function = &ForwardSendCommand;
    return reinterpret_cast<void*>(function);
  }
  lastError_ = kErrorProcNotFound;
  return nullptr;
}

void SimPc::UnloadLibrary(platform::Module module) {
  if (module != reinterpret_cast<platform::Module>(kAspiModuleAddress) ||
      libraryUnloads_ >= libraryLoads_) {
    ++badCloses_;
    return;
  }
  ++libraryUnloads_;
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

platform::Handle SimPc::OpenDevice(const char* path) {
  ++openDeviceCalls_;
  if (path == nullptr || std::strlen(path) != 6 || std::strncmp(path, "\\\\.\\", 4) != 0 ||
      path[5] != ':' || LetterIndex(path[4]) < 0) {
    lastError_ = kErrorFileNotFound;
    return platform::InvalidHandle();
  }
  const char letter = UpperLetter(path[4]);
  auto failure = openFailures_.find(letter);
  if (failure != openFailures_.end() && failure->second.times != 0) {
    if (failure->second.times > 0) --failure->second.times;
    lastError_ = failure->second.error;
    return platform::InvalidHandle();
  }
  if (cdroms_.count(letter) == 0) {
    lastError_ = kErrorFileNotFound;
    return platform::InvalidHandle();
  }
  HandleState state;
  state.kind = HandleKind::kDevice;
  state.letter = letter;
  openedLetters_.push_back(letter);
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
  if (code != passthrough::IOCTL_SCSI_PASS_THROUGH_DIRECT) {
    lastError_ = kErrorInvalidFunction;
    return false;
  }
  using passthrough::SCSI_PASS_THROUGH_DIRECT;
  if (in == nullptr || out == nullptr || inSize < sizeof(SCSI_PASS_THROUGH_DIRECT) ||
      outSize < sizeof(SCSI_PASS_THROUGH_DIRECT)) {
    lastError_ = kErrorInvalidParameter;
    return false;
  }
  if (in != out) std::memmove(out, in, std::min(inSize, outSize));
  const CdromLetter& cdrom = cdroms_.at(state->letter);
  return PassThrough(cdrom, state->letter, out, outSize, bytesReturned);
}

bool SimPc::PassThrough(const CdromLetter& cdrom, char letter, void* recordBytes, uint32_t size,
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
    lastError_ = kErrorInvalidParameter;
    return false;
  }

  ScsiCommand command;
  std::memcpy(command.cdb.data(), sptd.Cdb, std::min<size_t>(sptd.CdbLength, 12));
  command.data = static_cast<uint8_t*>(sptd.DataBuffer);
  command.length = sptd.DataTransferLength;
  if (sptd.DataIn == passthrough::SCSI_IOCTL_DATA_IN) {
    command.direction = kDataIn;
  } else if (sptd.DataIn == passthrough::SCSI_IOCTL_DATA_OUT) {
    command.direction = kDataOut;
  } else {
    command.direction = kDataNone;
  }
  if (command.length == 0) command.direction = kDataNone;
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
  if (result.transportFailed) {
    lastError_ = result.transportError;
    return false;
  }
  return true;
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

// ---- User interface -------------------------------------------------------

int SimPc::ShowMessageBox(const char* text, const char* caption, unsigned style) {
  int answer = platform::kIdOk;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  } else {
    switch (style & 0x0F) {
      case 2:  // MB_ABORTRETRYIGNORE
        answer = 3;
        break;
      case 3:  // MB_YESNOCANCEL
      case platform::kMbYesNo:
        answer = platform::kIdYes;
        break;
      case 5:  // MB_RETRYCANCEL
        answer = 4;
        break;
      default:
        answer = platform::kIdOk;
        break;
    }
  }
  messageBoxes_.push_back(MessageBoxRecord{text == nullptr ? "" : text,
                                           caption == nullptr ? "" : caption, style, answer,
                                           clock_.NowUs()});
  return answer;
}

void SimPc::PumpOneMessage() {
  ++pumpCount_;
  aspi_.Poll();
  if (pumpHook_) pumpHook_();
  clock_.Advance(pumpCostUs_);
}

// ---- Files ----------------------------------------------------------------

platform::File SimPc::OpenFileForReading(const char* name) {
  ++fileOpens_;
  const std::string key = Upper(name == nullptr ? std::string() : std::string(name));
  auto found = files_.find(key);
  if (found == files_.end() || failingFiles_.count(key) != 0) {
    lastError_ = kErrorFileNotFound;
    return nullptr;
  }
  nextFile_ += 0x10;
  auto file = reinterpret_cast<platform::File>(nextFile_);
  openFiles_[file] = OpenFile{found->second, 0};
  return file;
}

size_t SimPc::ReadFile(platform::File file, void* buffer, size_t size) {
  auto found = openFiles_.find(file);
  if (found == openFiles_.end() || buffer == nullptr) return 0;
  OpenFile& open = found->second;
  if (open.position >= open.bytes.size()) return 0;
  const size_t count = std::min(size, open.bytes.size() - open.position);
  std::memcpy(buffer, open.bytes.data() + open.position, count);
  open.position += count;
  return count;
}

bool SimPc::SeekFile(platform::File file, long offset) {
  auto found = openFiles_.find(file);
  if (found == openFiles_.end() || offset < 0) return false;
  found->second.position = static_cast<size_t>(offset);  // past the end is allowed, as fseek
  return true;
}

void SimPc::CloseFile(platform::File file) {
  if (openFiles_.erase(file) == 0) ++badCloses_;
}

// ---- Memory ---------------------------------------------------------------

void* SimPc::AllocateBuffer(size_t size) {
  const int call = ++allocationCalls_;
  if (call == failAllocationAt_) {
    lastError_ = kErrorNotEnoughMemory;
    return nullptr;
  }
  std::unique_ptr<uint8_t[]> storage(new uint8_t[size + kPageSize]);
  const auto address = reinterpret_cast<uintptr_t>(storage.get());
  auto* aligned = reinterpret_cast<uint8_t*>((address + kPageSize - 1) & ~(kPageSize - 1));
  std::memset(aligned, kFreshMemoryByte, size);
  buffers_[aligned] = std::move(storage);
  return aligned;
}

void SimPc::FreeBuffer(void* buffer) {
  if (buffer == nullptr) return;
  if (buffers_.erase(buffer) == 0) ++badFrees_;
}

// ---- Restart and traces ---------------------------------------------------

void SimPc::EnableShutdownPrivilege() {
  ++privilegeRequests_;
}

bool SimPc::ExitWindows(uint32_t flags) {
  exits_.push_back(ExitWindowsRecord{flags, clock_.NowUs(), privilegeRequests_ > 0});
  return exitWindowsResult_;
}

void SimPc::Trace(const char* text) {
  traces_.emplace_back(text == nullptr ? "" : text);
}

}  // namespace sim
