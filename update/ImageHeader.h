// The 64-byte header of a firmware image file (little-endian fields).
#pragma once

#include <cstdint>

constexpr int kImageHeaderSize = 64;
constexpr int kModelTagLength = 13;
constexpr int kMaxImageBlocks = 8;
constexpr uint8_t kAlternateChecksumSelector = 0x10;
constexpr uint8_t kScrambledFlag = 1;
extern const char kImageModelTag[];                       // "QUAV OD-K818S"
inline constexpr char kImageFileName[] = "K818R_10.BIN";  // in the current folder

struct ImageHeader {
  uint8_t bytes[kImageHeaderSize];

  uint8_t ChecksumSelector() const { return bytes[24]; }
  uint8_t ScrambleFlag() const { return bytes[25]; }
  uint16_t Checksum() const { return Word(32); }
  uint16_t BlockCount() const { return Word(34); }
  uint16_t BlockLength(int block) const { return Word(36 + 2 * block); }
  uint16_t AlternateChecksum() const { return Word(52); }

 private:
  uint16_t Word(int offset) const {
    return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
  }
};
