// Command blocks and a firmware image for driving the simulated devices
// directly, without the transport under test.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "sim/ScsiDevice.h"

namespace simtest {

inline sim::Cdb Inquiry(uint8_t allocation = 50) {
  return sim::Cdb{0x12, 0, 0, 0, allocation, 0, 0, 0, 0, 0, 0, 0};
}

inline sim::Cdb TestUnitReady() {
  return sim::Cdb{};
}

inline sim::Cdb WriteBlock(uint8_t mode, uint8_t block, uint16_t length, uint16_t value) {
  return sim::Cdb{0x5A,
                  0x00,
                  0x38,
                  0x41,
                  0x53,
                  0xA0,
                  mode,
                  block,
                  static_cast<uint8_t>(length >> 8),
                  static_cast<uint8_t>(length),
                  static_cast<uint8_t>(value >> 8),
                  static_cast<uint8_t>(value)};
}

inline sim::Cdb ReadPage(uint8_t bank, uint16_t address) {
  return sim::Cdb{0x5A,
                  0x00,
                  0x38,
                  0x41,
                  0x53,
                  0x11,
                  static_cast<uint8_t>(address >> 8),
                  static_cast<uint8_t>(address),
                  0,
                  bank,
                  0,
                  0};
}

inline sim::ScsiCommand Command(const sim::Cdb& cdb, void* data, uint32_t length, uint8_t direction,
                                uint64_t timeUs = 0) {
  sim::ScsiCommand command;
  command.cdb = cdb;
  command.data = static_cast<uint8_t*>(data);
  command.length = length;
  command.direction = direction;
  command.timeUs = timeUs;
  return command;
}

// Blocks of a firmware image: lengths as a real image has them (banks 1 and
// 2 stay below 0xF000, where the read-back of those banks stops).
struct Image {
  std::vector<std::vector<uint8_t>> blocks;
  uint16_t checksum = 0;
};

inline Image MakeImage(const std::vector<uint32_t>& lengths, uint32_t seed = 7) {
  std::mt19937 random(seed);
  Image image;
  uint32_t sum = 0;
  for (uint32_t length : lengths) {
    std::vector<uint8_t> block(length);
    for (uint8_t& byte : block) {
      byte = static_cast<uint8_t>(random());
      sum += byte;
    }
    image.blocks.push_back(std::move(block));
  }
  image.checksum = static_cast<uint16_t>(sum);
  return image;
}

}  // namespace simtest
