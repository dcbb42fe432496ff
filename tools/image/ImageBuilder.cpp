#include "tools/image/ImageBuilder.h"

#include "update/ImageHeader.h"

namespace image {

namespace {

constexpr uint8_t kFirstPlainByte = 0x02;
constexpr size_t kTagField = 24;  // the tag and the unread bytes after it

void PutWord(uint8_t* bytes, size_t offset, uint16_t value) {
  bytes[offset] = static_cast<uint8_t>(value);
  bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

Bytes Scramble(const Bytes& plain, uint8_t key) {
  Bytes stored(plain.size());
  for (size_t group = 0; group < plain.size(); group += 8) {
    for (size_t j = 0; j < 8 && group + j < plain.size(); ++j) {
      stored[group + j] = static_cast<uint8_t>(key + 57 * j - plain[group + j]);
    }
    key = static_cast<uint8_t>(key * 35);
  }
  return stored;
}

Bytes PatternBlock(uint32_t length, uint32_t seed) {
  Bytes block(length);
  uint32_t state = seed * 2654435761u + 1;
  for (auto& byte : block) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(state >> 16);
  }
  if (!block.empty()) block[0] = kFirstPlainByte;
  return block;
}

uint16_t SumOfBlocks(const std::vector<Bytes>& blocks) {
  uint32_t sum = 0;
  for (const auto& block : blocks) {
    for (uint8_t byte : block) sum += byte;
  }
  return static_cast<uint16_t>(sum);
}

Bytes BuildImage(const ImagePlan& plan, std::string* error) {
  auto fail = [error](const char* why) {
    if (error != nullptr) *error = why;
    return Bytes();
  };
  if (plan.blocks.size() > kMaxImageBlocks) return fail("more than 8 blocks");
  if (plan.tag.size() > kTagField) return fail("tag longer than 24 characters");
  for (const auto& block : plan.blocks) {
    if (block.empty() || block.size() > 0xFFFF) return fail("a block is not 1 to 65535 bytes");
    if (plan.scrambled && block[0] != kFirstPlainByte) {
      return fail("a scrambled block must start with 0x02");
    }
  }

  uint8_t header[kImageHeaderSize] = {};
  for (size_t i = 0; i < plan.tag.size() && i < kTagField; ++i) {
    header[i] = static_cast<uint8_t>(plan.tag[i]);
  }
  header[24] = plan.checksumSelector;
  header[25] = plan.scrambled ? kScrambledFlag : 0;
  PutWord(header, 32, plan.checksum.value_or(SumOfBlocks(plan.blocks)));
  PutWord(header, 34, plan.blockCount.value_or(static_cast<uint16_t>(plan.blocks.size())));
  for (size_t i = 0; i < plan.blocks.size(); ++i) {
    PutWord(header, 36 + 2 * i, static_cast<uint16_t>(plan.blocks[i].size()));
  }
  PutWord(header, 52, plan.alternateChecksum);

  Bytes image(header, header + kImageHeaderSize);
  for (size_t i = 0; i < plan.blocks.size(); ++i) {
    const Bytes stored =
        plan.scrambled ? Scramble(plan.blocks[i], static_cast<uint8_t>(plan.scrambleKey + 0x11 * i))
                       : plan.blocks[i];
    image.insert(image.end(), stored.begin(), stored.end());
  }
  return image;
}

}  // namespace image
