#include "tools/image/StdioPlatform.h"

#include <cstdio>
#include <cstdlib>

platform::File StdioPlatform::OpenFileForReading(const char* name) {
  return std::fopen(name, "rb");
}

size_t StdioPlatform::ReadFile(platform::File file, void* buffer, size_t size) {
  return std::fread(buffer, 1, size, static_cast<std::FILE*>(file));
}

bool StdioPlatform::SeekFile(platform::File file, long offset) {
  return std::fseek(static_cast<std::FILE*>(file), offset, SEEK_SET) == 0;
}

void StdioPlatform::CloseFile(platform::File file) {
  std::fclose(static_cast<std::FILE*>(file));
}

void* StdioPlatform::AllocateBuffer(size_t size) {
  return std::malloc(size);
}

void StdioPlatform::FreeBuffer(void* buffer) {
  std::free(buffer);
}
