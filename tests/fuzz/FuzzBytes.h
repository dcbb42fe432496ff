// Reads a fuzz input as a stream of small decisions. Past the end every read
// gives zeros, so any prefix of an input is itself a valid input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class FuzzBytes {
 public:
  FuzzBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
  bool Bit() { return (Byte() & 1) != 0; }
  // 0 to count-1.
  unsigned Below(unsigned count) { return count == 0 ? 0 : Byte() % count; }
  std::vector<uint8_t> Bytes(size_t count) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < count; ++i) bytes.push_back(Byte());
    return bytes;
  }
  std::string Text(size_t count) {
    const std::vector<uint8_t> bytes = Bytes(count);
    return std::string(bytes.begin(), bytes.end());
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};
