// The image check shared by the flasher and the image tool: both read the
// file through the same seam and reach their verdict with the same code.
#pragma once

#include <cstdint>

#include "platform/Platform.h"
#include "update/ImageHeader.h"

namespace image {

constexpr uint32_t kWorkingBufferSize = 65536;

enum class Verdict : uint8_t {
  kGood,
  kCannotOpen,
  kWrongTag,
  kBadBlockCount,
  kNoMemory,
  kShortBlock,
  kChecksumMismatch,
};

struct CheckReport {
  Verdict verdict = Verdict::kCannotOpen;
  int blocksRead = 0;  // blocks read whole, in order
  uint16_t blockSums[kMaxImageBlocks] = {};
  uint16_t sum = 0;  // over the blocks read, after unscrambling
};

// Fills header from the file (zero where the file is shorter) and checks the
// tag, the block count, that every block reads whole, and the sum. The file
// is closed and the working buffer released before it returns.
CheckReport CheckImage(platform::Files& files, platform::Devices& memory, const char* fileName,
                       ImageHeader& header);

bool HasModelTag(const ImageHeader& header);
bool BlockCountInRange(const ImageHeader& header);

// Sum of the bytes sent to the drive for one block as stored in the file.
uint16_t SumBytes(const uint8_t* bytes, uint32_t length);

const char* VerdictText(Verdict verdict);

}  // namespace image
