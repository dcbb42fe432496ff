// Files through the C runtime and plain heap buffers: enough for the image
// check outside the flasher.
#pragma once

#include "tools/image/InertPlatform.h"

class StdioPlatform : public InertPlatform {
 public:
  platform::File OpenFileForReading(const char* name) override;
  size_t ReadFile(platform::File file, void* buffer, size_t size) override;
  bool SeekFile(platform::File file, long offset) override;
  void CloseFile(platform::File file) override;
  void* AllocateBuffer(size_t size) override;
  void FreeBuffer(void* buffer) override;
};
