#include "sim/SimSystem.h"

#include <cstring>

#include "sim/SimErrors.h"
#include "sim/WindowsVersions.h"

namespace sim {

SimSystem::SimSystem(VirtualClock& clock, SimHandles& handles, uint32_t& lastError)
    : clock_(clock), handles_(handles), lastError_(lastError) {
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
}

bool SimSystem::QueryVersion(platform::OsVersion& version) {
  if (failVersionQuery_) {
    lastError_ = kErrorInvalidParameter;
    return false;
  }
  version = version_;
  return true;
}

bool SimSystem::QueryVersionExtended(platform::OsVersion& version) {
  if (failExtendedVersionQuery_ || !AcceptsExtendedVersionRecord(version_)) {
    lastError_ = kErrorInsufficientBuffer;
    return false;
  }
  return QueryVersion(version);
}

unsigned SimSystem::SystemDirectory(char* buffer, unsigned size) {
  const auto length = static_cast<unsigned>(systemDirectory_.size());
  if (buffer == nullptr || size <= length) return length + 1;  // the size it needs
  std::memcpy(buffer, systemDirectory_.c_str(), length + 1);
  return length;
}

bool SimSystem::SystemErrorText(uint32_t code, char* buffer, unsigned size) {
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

platform::Handle SimSystem::CreateOwnedMutex(const char* name) {
  lastError_ = kernel_.CreateNamedMutex(name == nullptr ? "" : name);
  return handles_.NewHandle(HandleState{HandleKind::kMutex});
}

bool SimSystem::ExitWindows(uint32_t flags) {
  exits_.push_back(ExitWindowsRecord{flags, clock_.NowUs(), privilegeRequests_ > 0});
  return exitWindowsResult_;
}

}  // namespace sim
