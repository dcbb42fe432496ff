// The simulated PC's system role: which Windows it is, its system folder,
// the last error and the texts of errors, the locale and named mutexes
// (kept by the kernel), and the restart the flasher asks for.
//
//   pc.FailExtendedVersionQuery();
//   pc.SetSystemErrorText(5, "Access is denied.\r\n");
//   ... pc.ExitWindowsCalls(), pc.ShutdownPrivilegeRequests() ...
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/SystemInfo.h"
#include "sim/SimHandles.h"
#include "sim/SimKernel.h"
#include "sim/VirtualClock.h"

namespace sim {

struct ExitWindowsRecord {
  uint32_t flags = 0;
  uint64_t timeUs = 0;
  bool privilegeEnabledBefore = false;
};

class SimSystem : public virtual platform::SystemInfo {
 public:
  SimSystem(VirtualClock& clock, SimHandles& handles, uint32_t& lastError);

  SimKernel& Kernel() { return kernel_; }

  // ---- Setup -------------------------------------------------------------
  void SetVersion(const platform::OsVersion& version) { version_ = version; }
  const platform::OsVersion& Version() const { return version_; }
  void FailVersionQuery(bool fail = true) { failVersionQuery_ = fail; }
  // The larger OSVERSIONINFOEXA record fails where Windows refuses it (the
  // 9x family, NT 4.0 before Service Pack 6) and when told to.
  void FailExtendedVersionQuery(bool fail = true) { failExtendedVersionQuery_ = fail; }
  void SetSystemDirectoryPath(std::string path) { systemDirectory_ = std::move(path); }
  const std::string& SystemDirectoryPath() const { return systemDirectory_; }
  void SetSystemErrorText(uint32_t code, std::string text) { errorTexts_[code] = std::move(text); }
  void SetExitWindowsResult(bool result) { exitWindowsResult_ = result; }

  // ---- Observation -------------------------------------------------------
  int ShutdownPrivilegeRequests() const { return privilegeRequests_; }
  const std::vector<ExitWindowsRecord>& ExitWindowsCalls() const { return exits_; }

  // ---- platform::SystemInfo ----------------------------------------------
  bool QueryVersion(platform::OsVersion& version) override;
  bool QueryVersionExtended(platform::OsVersion& version) override;
  unsigned SystemDirectory(char* buffer, unsigned size) override;
  int LocaleInfo(uint32_t locale, uint32_t type, char* buffer, int size) override {
    return kernel_.LocaleInfo(locale, type, buffer, size);
  }
  uint32_t LastError() override { return lastError_; }
  bool SystemErrorText(uint32_t code, char* buffer, unsigned size) override;
  platform::Handle CreateOwnedMutex(const char* name) override;
  void EnableShutdownPrivilege() override { ++privilegeRequests_; }
  bool ExitWindows(uint32_t flags) override;

 private:
  VirtualClock& clock_;
  SimHandles& handles_;
  uint32_t& lastError_;
  SimKernel kernel_;

  platform::OsVersion version_;
  bool failVersionQuery_ = false;
  bool failExtendedVersionQuery_ = false;
  std::string systemDirectory_ = "C:\\WINDOWS\\SYSTEM";
  std::map<uint32_t, std::string> errorTexts_;

  int privilegeRequests_ = 0;
  std::vector<ExitWindowsRecord> exits_;
  bool exitWindowsResult_ = true;
};

}  // namespace sim
