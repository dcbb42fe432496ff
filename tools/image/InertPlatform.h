// A platform on which every operation fails or does nothing. Programs that
// only need a few of its operations derive from it and override those.
#pragma once

#include "platform/Platform.h"

class InertPlatform : public platform::Platform {
 public:
  bool QueryVersion(platform::OsVersion&) override { return false; }
  unsigned SystemDirectory(char*, unsigned) override { return 0; }
  uint32_t LastError() override { return 0; }
  bool SystemErrorText(uint32_t, char*, unsigned) override { return false; }
  platform::Module LoadLibraryAt(const char*) override { return nullptr; }
  void* ProcAddress(platform::Module, const char*) override { return nullptr; }
  void UnloadLibrary(platform::Module) override {}
  unsigned DriveType(const char*) override { return platform::kDriveNoRootDir; }
  platform::Handle OpenDeviceWith(const char*, uint32_t, uint32_t) override {
    return platform::InvalidHandle();
  }
  bool DeviceControl(platform::Handle, uint32_t, void*, uint32_t, void*, uint32_t,
                     uint32_t*) override {
    return false;
  }
  void CloseHandle(platform::Handle) override {}
  platform::Handle CreateManualEvent() override { return nullptr; }
  uint32_t WaitForObject(platform::Handle, uint32_t) override { return platform::kWaitFailed; }
  void SleepFor(uint32_t) override {}
  uint32_t TickCount() override { return 0; }
  int64_t PerformanceCounter() override { return 0; }
  int64_t PerformanceFrequency() override { return 0; }
  platform::Handle StartThread(platform::ThreadRoutine, void*) override { return nullptr; }
  int ShowMessageBox(const char*, const char*, unsigned) override { return platform::kIdOk; }
  void PumpOneMessage() override {}
  bool WriteProfileText(const char*, const char*, const char*, const char*) override {
    return false;
  }
  uint32_t MultimediaTime() override { return 0; }
  bool StartProgram(const platform::ProgramStart&) override { return false; }
  platform::File OpenFileForReading(const char*) override { return nullptr; }
  size_t ReadFile(platform::File, void*, size_t) override { return 0; }
  bool SeekFile(platform::File, long) override { return false; }
  void CloseFile(platform::File) override {}
  void* AllocateBuffer(size_t) override { return nullptr; }
  void FreeBuffer(void*) override {}
  long OpenRegistryKey(platform::RegistryKey, const char*, uint32_t,
                       platform::RegistryKey* key) override {
    if (key != nullptr) *key = nullptr;
    return platform::kErrorFileNotFound;
  }
  long EnumRegistrySubkey(platform::RegistryKey, uint32_t, char*, uint32_t) override {
    return platform::kErrorNoMoreItems;
  }
  long RegistryValueCount(platform::RegistryKey, uint32_t* count) override {
    if (count != nullptr) *count = 0;
    return platform::kErrorFileNotFound;
  }
  long EnumRegistryValue(platform::RegistryKey, uint32_t, char*, uint32_t*, uint32_t*, uint8_t*,
                         uint32_t*) override {
    return platform::kErrorNoMoreItems;
  }
  long QueryRegistryValue(platform::RegistryKey, const char*, uint32_t*, uint8_t*,
                          uint32_t*) override {
    return platform::kErrorFileNotFound;
  }
  long SetRegistryValue(platform::RegistryKey, const char*, uint32_t, const uint8_t*,
                        uint32_t) override {
    return platform::kErrorFileNotFound;
  }
  long CloseRegistryKey(platform::RegistryKey) override { return platform::kErrorSuccess; }
  void EnableShutdownPrivilege() override {}
  bool ExitWindows(uint32_t) override { return false; }
  bool QueryVersionExtended(platform::OsVersion&) override { return false; }
  platform::Handle CreateOwnedMutex(const char*) override { return nullptr; }
  int LocaleInfo(uint32_t, uint32_t, char*, int) override { return 0; }
  unsigned ProgramPath(char*, unsigned) override { return 0; }
  int LoadText(unsigned, char*, int) override { return 0; }
  const uint8_t* ResourceBytes(const char*, unsigned, uint32_t*) override { return nullptr; }
  bool FindFirstMatch(const char*) override { return false; }
  int ShowOwnedMessageBox(const char*, const char*, unsigned) override { return platform::kIdOk; }
  void Trace(const char*) override {}
};
