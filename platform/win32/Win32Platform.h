// The real backend of the OS seam: each operation is the plain ANSI Win32
// call it names, so the programs run on Windows 98 as on XP.
#pragma once

#include "platform/Platform.h"

namespace platform {

class Win32Platform final : public Platform {
 public:
  bool QueryVersion(OsVersion& version) override;
  unsigned SystemDirectory(char* buffer, unsigned size) override;
  uint32_t LastError() override;
  bool SystemErrorText(uint32_t code, char* buffer, unsigned size) override;

  Module LoadLibraryAt(const char* path) override;
  void* ProcAddress(Module module, const char* name) override;
  void UnloadLibrary(Module module) override;

  unsigned DriveType(const char* rootPath) override;
  Handle OpenDeviceWith(const char* path, uint32_t access, uint32_t share) override;
  bool DeviceControl(Handle device, uint32_t code, void* in, uint32_t inSize, void* out,
                     uint32_t outSize, uint32_t* bytesReturned) override;
  void CloseHandle(Handle handle) override;

  Handle CreateManualEvent() override;
  uint32_t WaitForObject(Handle handle, uint32_t milliseconds) override;
  void SleepFor(uint32_t milliseconds) override;
  uint32_t TickCount() override;
  int64_t PerformanceCounter() override;
  int64_t PerformanceFrequency() override;
  uint32_t MultimediaTime() override;

  Handle StartThread(ThreadRoutine routine, void* parameter) override;

  int ShowMessageBox(const char* text, const char* caption, unsigned style) override;
  void PumpOneMessage() override;

  bool WriteProfileText(const char* file, const char* section, const char* key,
                        const char* value) override;
  bool StartProgram(const ProgramStart& start) override;

  File OpenFileForReading(const char* name) override;
  size_t ReadFile(File file, void* buffer, size_t size) override;
  bool SeekFile(File file, long offset) override;
  void CloseFile(File file) override;

  void* AllocateBuffer(size_t size) override;
  void FreeBuffer(void* buffer) override;

  long OpenRegistryKey(RegistryKey parent, const char* path, uint32_t access,
                       RegistryKey* key) override;
  long EnumRegistrySubkey(RegistryKey key, uint32_t index, char* name, uint32_t size) override;
  long RegistryValueCount(RegistryKey key, uint32_t* count) override;
  long EnumRegistryValue(RegistryKey key, uint32_t index, char* name, uint32_t* nameSize,
                         uint32_t* type, uint8_t* data, uint32_t* dataSize) override;
  long QueryRegistryValue(RegistryKey key, const char* name, uint32_t* type, uint8_t* data,
                          uint32_t* dataSize) override;
  long SetRegistryValue(RegistryKey key, const char* name, uint32_t type, const uint8_t* data,
                        uint32_t size) override;
  long CloseRegistryKey(RegistryKey key) override;

  void EnableShutdownPrivilege() override;
  bool ExitWindows(uint32_t flags) override;

  bool QueryVersionExtended(OsVersion& version) override;
  Handle CreateOwnedMutex(const char* name) override;
  int LocaleInfo(uint32_t locale, uint32_t type, char* buffer, int size) override;
  unsigned ProgramPath(char* buffer, unsigned size) override;
  int LoadText(unsigned id, char* buffer, int size) override;
  const uint8_t* ResourceBytes(const char* type, unsigned id, uint32_t* size) override;
  bool FindFirstMatch(const char* pattern) override;
  int ShowOwnedMessageBox(const char* text, const char* caption, unsigned style) override;

  void Trace(const char* text) override;
};

// The window the program treats as its main window (an HWND): it owns the
// program's boxes while none of the program's windows is active, as while
// a page is still being set up or another program is in front.
void SetMainWindow(void* window);

}  // namespace platform
