#include "sim/SimDevices.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace sim {

namespace {

constexpr uint64_t kFailedOpenCostUs = 1000;

int LetterIndex(char letter) {
  const int upper = std::toupper(static_cast<unsigned char>(letter));
  return upper >= 'A' && upper <= 'Z' ? upper - 'A' : -1;
}

char UpperLetter(char letter) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

}  // namespace

SimDevices::SimDevices(VirtualClock& clock, CommandLog& log, SimHandles& handles,
                       uint32_t& lastError)
    : clock_(clock), handles_(handles), lastError_(lastError), port_(clock, log, lastError) {
  std::fill(std::begin(driveTypes_), std::end(driveTypes_), platform::kDriveNoRootDir);
  driveTypes_['C' - 'A'] = platform::kDriveFixed;
}

void SimDevices::SetDriveType(char letter, unsigned type) {
  const int index = LetterIndex(letter);
  if (index >= 0) driveTypes_[index] = type;
}

void SimDevices::AttachCdrom(char letter, std::shared_ptr<ScsiDevice> device, uint8_t target,
                             uint8_t lun, uint8_t pathId) {
  if (LetterIndex(letter) < 0) return;
  SetDriveType(letter, platform::kDriveCdrom);
  port_.Attach(UpperLetter(letter), std::move(device), target, lun, pathId);
}

void SimDevices::FailOpen(char letter, uint32_t error, int times) {
  openFailures_[UpperLetter(letter)] = OpenFailure{error, times};
}

void SimDevices::RefuseDeviceAccess(char letter, uint32_t rights) {
  refusedRights_[UpperLetter(letter)] = rights;
}

std::vector<char> SimDevices::OpenedLetters() const {
  std::vector<char> letters;
  for (const DeviceOpenRecord& record : opens_) {
    if (record.opened) letters.push_back(record.letter);
  }
  return letters;
}

uint32_t SimDevices::OpenError(char letter, uint32_t access) {
  auto failure = openFailures_.find(letter);
  if (failure != openFailures_.end() && failure->second.times != 0) {
    if (failure->second.times > 0) --failure->second.times;
    return failure->second.error;
  }
  auto refused = refusedRights_.find(letter);
  if (refused != refusedRights_.end() && (access & refused->second) != 0) {
    return platform::kErrorAccessDenied;
  }
  return 0;
}

unsigned SimDevices::DriveType(const char* rootPath) {
  // A root path is exactly "X:\".
  if (rootPath == nullptr || std::strlen(rootPath) != 3 || rootPath[1] != ':' ||
      rootPath[2] != '\\') {
    return platform::kDriveNoRootDir;
  }
  const int index = LetterIndex(rootPath[0]);
  return index < 0 ? platform::kDriveNoRootDir : driveTypes_[index];
}

platform::Handle SimDevices::OpenDeviceWith(const char* path, uint32_t access, uint32_t share) {
  const bool letterPath = path != nullptr && std::strlen(path) == 6 &&
                          std::strncmp(path, "\\\\.\\", 4) == 0 && path[5] == ':' &&
                          LetterIndex(path[4]) >= 0;
  DeviceOpenRecord record{letterPath ? UpperLetter(path[4]) : '\0', access, share, false,
                          clock_.NowUs()};
  uint32_t error = letterPath ? OpenError(record.letter, access) : kErrorFileNotFound;
  if (error == 0 && !port_.HasDevice(record.letter)) error = kErrorFileNotFound;
  if (error != 0) {
    // A refused open still takes a moment, so retry loops end in virtual time.
    clock_.Advance(kFailedOpenCostUs);
    opens_.push_back(record);
    lastError_ = error;
    return platform::InvalidHandle();
  }
  record.opened = true;
  opens_.push_back(record);
  HandleState state;
  state.kind = HandleKind::kDevice;
  state.letter = record.letter;
  return handles_.NewHandle(state);
}

bool SimDevices::DeviceControl(platform::Handle device, uint32_t code, void* in, uint32_t inSize,
                               void* out, uint32_t outSize, uint32_t* bytesReturned) {
  if (bytesReturned != nullptr) *bytesReturned = 0;
  HandleState* state = handles_.FindHandle(device, HandleKind::kDevice);
  if (state == nullptr) {
    lastError_ = kErrorInvalidHandle;
    return false;
  }
  return port_.Execute(state->letter, code, in, inSize, out, outSize, bytesReturned);
}

}  // namespace sim
