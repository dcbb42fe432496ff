// Makes image files from the bytes each block should deliver to the drive:
// for the demo image, the tests and the fuzz corpus. Nothing it makes is
// real firmware.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace image {

using Bytes = std::vector<uint8_t>;

struct ImagePlan {
  std::vector<Bytes> blocks;   // as sent to the drive; at most 8, each 1 to 65535 bytes
  bool scrambled = false;      // scrambled blocks must start with 0x02
  uint8_t scrambleKey = 0x5A;  // first group key of block 0; later blocks vary it
  uint8_t checksumSelector = 0;
  uint16_t alternateChecksum = 0;
  std::string tag = "QUAV OD-K818S";   // written into bytes 0 to 23
  std::optional<uint16_t> checksum;    // default: the sum of the blocks
  std::optional<uint16_t> blockCount;  // default: the number of blocks
};

// Empty when the plan cannot be built; why goes to *error.
Bytes BuildImage(const ImagePlan& plan, std::string* error);

// Stored form of a plain block; the inverse of CAtapi::Unscramble for blocks
// that start with 0x02.
Bytes Scramble(const Bytes& plain, uint8_t key);

// Pseudo-random plain block that starts with 0x02, reproducible from seed.
Bytes PatternBlock(uint32_t length, uint32_t seed);

uint16_t SumOfBlocks(const std::vector<Bytes>& blocks);

}  // namespace image
