#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "sim/SimPc.h"
#include "tests/update/UpdateRig.h"
#include "tools/image/ImageBuilder.h"
#include "transport/Atapi.h"

namespace {

using enginetest::Build;
using enginetest::DemoPlan;
using image::Bytes;

void PutWord(Bytes& bytes, size_t offset, uint16_t value) {
  bytes[offset] = static_cast<uint8_t>(value);
  bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

struct ImageCase {
  const char* name;
  std::function<Bytes()> make;
  bool accepted;
  const char* trace;  // nullptr: nothing traced
};

const ImageCase kImageCases[] = {
    {"GoodScrambled", [] { return Build(DemoPlan(4, true)); }, true, nullptr},
    {"GoodPlain", [] { return Build(DemoPlan(4, false)); }, true, nullptr},
    {"GoodEightBlocks", [] { return Build(DemoPlan(8, true)); }, true, nullptr},
    {"DrivesOwnModelText",
     [] {
       auto plan = DemoPlan();
       plan.tag = "QUAV OD-K818R";
       return Build(plan);
     },
     false, nullptr},
    {"TwoSpacesAfterMaker",
     [] {
       auto plan = DemoPlan();
       plan.tag = "QUAV  OD-K818S";
       return Build(plan);
     },
     false, nullptr},
    {"TagFollowedByAnything",
     [] {
       auto plan = DemoPlan();
       plan.tag = "QUAV OD-K818S\xff\x01whatever!";
       return Build(plan);
     },
     true, nullptr},
    {"ShortHeader",
     [] {
       Bytes bytes = Build(DemoPlan());
       bytes.resize(40);
       return bytes;
     },
     false, nullptr},
    {"EmptyFile", [] { return Bytes(); }, false, nullptr},
    {"LastBlockShortByOne",
     [] {
       Bytes bytes = Build(DemoPlan());
       bytes.pop_back();
       return bytes;
     },
     false, nullptr},
    {"BlockLengthZero",
     [] {
       Bytes bytes = Build(DemoPlan());
       PutWord(bytes, 36 + 2 * 2, 0);
       return bytes;
     },
     false, nullptr},
    {"CountZeroWithChecksumZero",
     [] {
       image::ImagePlan plan;
       plan.checksum = 0;
       return Build(plan);
     },
     false, "Err:Block count 0 is out of range"},
    {"CountNine",
     [] {
       auto plan = DemoPlan(8);
       plan.blockCount = 9;
       return Build(plan);
     },
     false, "Err:Block count 9 is out of range"},
    {"WrongSum",
     [] {
       auto plan = DemoPlan();
       plan.checksum = static_cast<uint16_t>(image::SumOfBlocks(plan.blocks) + 1);
       return Build(plan);
     },
     false, "Err:File check sum error!!"},
    // The checksum covers the bytes sent, so a plain image that claims to be
    // scrambled no longer adds up.
    {"PlainBlocksFlaggedScrambled",
     [] {
       Bytes bytes = Build(DemoPlan(4, false));
       bytes[25] = 1;
       return bytes;
     },
     false, "Err:File check sum error!!"},
    {"ScrambleFlagTwoMeansStoredAsSent",
     [] {
       Bytes bytes = Build(DemoPlan(4, false));
       bytes[25] = 2;
       return bytes;
     },
     true, nullptr},
    {"BytesAfterLastBlockIgnored",
     [] {
       Bytes bytes = Build(DemoPlan());
       bytes.insert(bytes.end(), 1000, 0xAB);
       return bytes;
     },
     true, nullptr},
};

class CheckImageFileTest : public ::testing::TestWithParam<ImageCase> {};

TEST_P(CheckImageFileTest, VerdictTraceAndCleanup) {
  const ImageCase& c = GetParam();
  sim::SimPc pc(sim::WindowsVersion::kWinXp);
  const Bytes bytes = c.make();
  pc.AddFile("IMAGE.BIN", bytes);
  CAtapi atapi(pc);
  const size_t tracesBefore = pc.Traces().size();

  EXPECT_EQ(atapi.CheckImageFile("IMAGE.BIN"), c.accepted);

  const std::vector<std::string> traces(pc.Traces().begin() + static_cast<long>(tracesBefore),
                                        pc.Traces().end());
  if (c.trace == nullptr) {
    EXPECT_TRUE(traces.empty()) << traces.front();
  } else {
    EXPECT_EQ(traces, std::vector<std::string>{c.trace});
  }
  EXPECT_EQ(pc.OpenFiles(), 0);
  EXPECT_EQ(pc.OutstandingBuffers(), 0);
  // The header stays loaded whatever the verdict.
  Bytes header(64, 0);
  std::copy(bytes.begin(), bytes.begin() + static_cast<long>(std::min<size_t>(bytes.size(), 64)),
            header.begin());
  EXPECT_EQ(0, std::memcmp(atapi.Image().bytes, header.data(), 64));
}

INSTANTIATE_TEST_SUITE_P(Images, CheckImageFileTest, ::testing::ValuesIn(kImageCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(CheckImageFileFailures, MissingFileAndNoMemoryAreTracedAndCleanedUp) {
  sim::SimPc pc(sim::WindowsVersion::kWinXp);
  CAtapi atapi(pc);
  const size_t tracesBefore = pc.Traces().size();
  EXPECT_FALSE(atapi.CheckImageFile(kImageFileName));

  pc.AddFile(kImageFileName, Build(DemoPlan()));
  pc.FailAllocation(pc.AllocationCalls() + 1);
  EXPECT_FALSE(atapi.CheckImageFile(kImageFileName));

  EXPECT_EQ(
      std::vector<std::string>(pc.Traces().begin() + static_cast<long>(tracesBefore),
                               pc.Traces().end()),
      (std::vector<std::string>{"Unable to find the new firmware file.", "Err:Memory allocation"}));
  EXPECT_EQ(pc.OpenFiles(), 0);
  EXPECT_EQ(pc.OutstandingBuffers(), 0);
  EXPECT_TRUE(atapi.CheckImageFile(kImageFileName));
}

// ---- Unscramble -----------------------------------------------------------

TEST(Unscramble, FirstByteBecomesTwoWhateverTheKey) {
  for (int first = 0; first < 256; ++first) {
    uint8_t buffer[16] = {static_cast<uint8_t>(first), 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 11, 12};
    EXPECT_TRUE(CAtapi::Unscramble(buffer, 13, 1));
    EXPECT_EQ(buffer[0], 0x02) << "first byte " << first;
  }
}

TEST(Unscramble, TransformsTheWholeLastGroupAndNothingAfterIt) {
  uint8_t buffer[24];
  std::memset(buffer, 0x40, sizeof buffer);
  uint8_t before[24];
  std::memcpy(before, buffer, sizeof buffer);

  CAtapi::Unscramble(buffer, 5, 1);

  // key 0x42: byte j of the group is 0x42 + 57 * j - 0x40.
  const uint8_t expected[8] = {0x02, 0x3B, 0x74, 0xAD, 0xE6, 0x1F, 0x58, 0x91};
  EXPECT_EQ(0, std::memcmp(buffer, expected, 8));
  EXPECT_EQ(0, std::memcmp(buffer + 8, before + 8, 16));
}

TEST(Unscramble, LowByteZeroLeavesTheBufferAlone) {
  for (uint32_t flag : {0x000u, 0x100u, 0xFF00u}) {
    uint8_t buffer[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_TRUE(CAtapi::Unscramble(buffer, 8, flag));
    const uint8_t unchanged[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(0, std::memcmp(buffer, unchanged, 8)) << "flag " << flag;
  }
}

TEST(Unscramble, UndoesTheBuildersScrambling) {
  const Bytes plain = image::PatternBlock(1003, 42);
  for (uint8_t key : {uint8_t{0x00}, uint8_t{0x5A}, uint8_t{0xFF}}) {
    Bytes buffer = image::Scramble(plain, key);
    buffer.resize(1008);
    CAtapi::Unscramble(buffer.data(), 1003, 1);
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), buffer.begin())) << "key " << int{key};
  }
}

}  // namespace
