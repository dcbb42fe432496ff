// The seam's devices role: drive letters and SCSI pass-through on them, the
// working memory of transfers, and the run-time library (the ASPI manager)
// the 9x family sends its requests through.
#pragma once

#include "platform/Handles.h"

namespace platform {

constexpr unsigned kDriveUnknown = 0;
constexpr unsigned kDriveNoRootDir = 1;
constexpr unsigned kDriveRemovable = 2;
constexpr unsigned kDriveFixed = 3;
constexpr unsigned kDriveRemote = 4;
constexpr unsigned kDriveCdrom = 5;

// CreateFileA access and share modes.
constexpr uint32_t kGenericRead = 0x80000000;
constexpr uint32_t kGenericWrite = 0x40000000;
constexpr uint32_t kFileShareRead = 0x1;
constexpr uint32_t kFileShareWrite = 0x2;

class Devices {
 public:
  virtual ~Devices() = default;

  virtual unsigned DriveType(const char* rootPath) = 0;  // GetDriveTypeA
  // CreateFileA(path, access, share, OPEN_EXISTING); InvalidHandle() on failure.
  virtual Handle OpenDeviceWith(const char* path, uint32_t access, uint32_t share) = 0;
  // The same for reading and writing, shared both ways.
  Handle OpenDevice(const char* path) {
    return OpenDeviceWith(path, kGenericRead | kGenericWrite, kFileShareRead | kFileShareWrite);
  }
  virtual bool DeviceControl(Handle device, uint32_t code, void* in, uint32_t inSize, void* out,
                             uint32_t outSize, uint32_t* bytesReturned) = 0;
  virtual void CloseHandle(Handle handle) = 0;

  // Working memory for device transfers: page-aligned, as the pass-through
  // port drivers want it. Null on failure.
  virtual void* AllocateBuffer(size_t size) = 0;
  virtual void FreeBuffer(void* buffer) = 0;

  virtual Module LoadLibraryAt(const char* path) = 0;  // LoadLibraryA; null on failure
  virtual void* ProcAddress(Module module, const char* name) = 0;
  virtual void UnloadLibrary(Module module) = 0;
};

}  // namespace platform
