// One file held in memory and exact-size heap buffers, so that the
// sanitizers see any access past the file's bytes or a buffer's end.
#pragma once

#include <cstdlib>
#include <cstring>

#include "tools/image/InertPlatform.h"

class MemoryFilePlatform : public InertPlatform {
 public:
  MemoryFilePlatform(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  platform::File OpenFileForReading(const char*) override {
    if (open_) std::abort();  // the engine keeps at most one handle
    open_ = true;
    position_ = 0;
    return this;
  }
  size_t ReadFile(platform::File, void* buffer, size_t size) override {
    const size_t available = size_ - position_;
    const size_t count = size < available ? size : available;
    if (count > 0) std::memcpy(buffer, data_ + position_, count);
    position_ += count;
    return count;
  }
  bool SeekFile(platform::File, long offset) override {
    if (offset < 0) return false;
    position_ = static_cast<size_t>(offset) < size_ ? static_cast<size_t>(offset) : size_;
    return true;
  }
  void CloseFile(platform::File) override {
    if (!open_) std::abort();
    open_ = false;
  }
  void* AllocateBuffer(size_t size) override {
    ++buffers_;
    return std::malloc(size);
  }
  void FreeBuffer(void* buffer) override {
    --buffers_;
    std::free(buffer);
  }

  bool Balanced() const { return !open_ && buffers_ == 0; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
  bool open_ = false;
  int buffers_ = 0;
};
