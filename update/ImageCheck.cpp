#include "update/ImageCheck.h"

#include <cstring>

#include "transport/Atapi.h"

namespace image {

bool HasModelTag(const ImageHeader& header) {
  return std::memcmp(header.bytes, kImageModelTag, kModelTagLength) == 0;
}

// Only 8 lengths fit in the header, and an empty image would leave the
// closing command nothing to commit.
bool BlockCountInRange(const ImageHeader& header) {
  return header.BlockCount() >= 1 && header.BlockCount() <= kMaxImageBlocks;
}

uint16_t SumBytes(const uint8_t* bytes, uint32_t length) {
  uint32_t sum = 0;
  for (uint32_t i = 0; i < length; ++i) sum += bytes[i];
  return static_cast<uint16_t>(sum);
}

namespace {

void SumBlocks(platform::Files& files, platform::File file, uint8_t* buffer,
               const ImageHeader& header, CheckReport& report) {
  uint32_t sum = 0;
  for (int block = 0; block < header.BlockCount(); ++block) {
    const uint16_t length = header.BlockLength(block);
    if (length == 0 || files.ReadFile(file, buffer, length) != length) {
      report.verdict = Verdict::kShortBlock;
      return;
    }
    if (header.ScrambleFlag() == kScrambledFlag) CAtapi::Unscramble(buffer, length, 1);
    report.blockSums[block] = SumBytes(buffer, length);
    report.blocksRead = block + 1;
    sum += report.blockSums[block];
    report.sum = static_cast<uint16_t>(sum);
  }
  report.verdict = report.sum == header.Checksum() ? Verdict::kGood : Verdict::kChecksumMismatch;
}

}  // namespace

CheckReport CheckImage(platform::Files& files, platform::Devices& memory, const char* fileName,
                       ImageHeader& header) {
  CheckReport report;
  std::memset(header.bytes, 0, sizeof header.bytes);
  platform::File file = files.OpenFileForReading(fileName);
  if (file == nullptr) {
    report.verdict = Verdict::kCannotOpen;
    return report;
  }
  files.ReadFile(file, header.bytes, sizeof header.bytes);
  if (!HasModelTag(header)) {
    report.verdict = Verdict::kWrongTag;
  } else if (!BlockCountInRange(header)) {
    report.verdict = Verdict::kBadBlockCount;
  } else if (!files.SeekFile(file, kImageHeaderSize)) {
    report.verdict = Verdict::kShortBlock;
  } else if (auto* buffer = static_cast<uint8_t*>(memory.AllocateBuffer(kWorkingBufferSize))) {
    SumBlocks(files, file, buffer, header, report);
    memory.FreeBuffer(buffer);
  } else {
    report.verdict = Verdict::kNoMemory;
  }
  files.CloseFile(file);
  return report;
}

const char* VerdictText(Verdict verdict) {
  switch (verdict) {
    case Verdict::kGood:
      return "good";
    case Verdict::kCannotOpen:
      return "cannot open the file";
    case Verdict::kWrongTag:
      return "wrong model tag";
    case Verdict::kBadBlockCount:
      return "block count out of range (1 to 8)";
    case Verdict::kNoMemory:
      return "no memory for the working buffer";
    case Verdict::kShortBlock:
      return "a block cannot be read whole";
    case Verdict::kChecksumMismatch:
      return "block sum differs from the checksum";
  }
  return "unknown";
}

}  // namespace image
