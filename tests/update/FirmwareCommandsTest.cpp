#include <gtest/gtest.h>

#include <vector>

#include "tests/update/UpdateRig.h"

namespace {

using enginetest::Link;
using enginetest::UpdateRig;

class FirmwareCommandsTest : public ::testing::TestWithParam<Link> {};

TEST_P(FirmwareCommandsTest, CommandBlocksLengthsAndDirections) {
  UpdateRig rig(GetParam());
  CAtapi& atapi = rig.Start();
  std::vector<uint8_t> data(0x1234, 0x11);
  data[0] = 0x02;
  uint8_t page[256] = {};

  EXPECT_EQ(atapi.ReadFlashPage(page, 1, 0xEF00), 1);
  EXPECT_EQ(atapi.WriteFirmwareBlock(data.data(), 5, 2, 0x1234, 0), 1);
  atapi.WriteFirmwareBlock(nullptr, 0x104, 0x1E4, 0, 0xBEEF);  // both truncated to 8 bits

  const auto commands = rig.Commands();
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(commands[1].cdb, (sim::Cdb{0x5A, 0, 0x38, 0x41, 0x53, 0xA0, 5, 2, 0x12, 0x34, 0, 0}));
  EXPECT_EQ(commands[1].length, 0x1234u);
  EXPECT_EQ(commands[1].direction, sim::kDataOut);
  EXPECT_EQ(commands[2].cdb,
            (sim::Cdb{0x5A, 0, 0x38, 0x41, 0x53, 0xA0, 4, 0xE4, 0, 0, 0xBE, 0xEF}));
  EXPECT_EQ(commands[2].length, 0u);
  EXPECT_EQ(commands[0].cdb, (sim::Cdb{0x5A, 0, 0x38, 0x41, 0x53, 0x11, 0xEF, 0, 0, 1, 0, 0}));
  EXPECT_EQ(commands[0].length, 256u);
  EXPECT_EQ(commands[0].direction, sim::kDataIn);
}

INSTANTIATE_TEST_SUITE_P(BothTransports, FirmwareCommandsTest,
                         ::testing::Values(Link::kAspi, Link::kPassThrough),
                         [](const auto& p) { return enginetest::LinkName(p.param); });

TEST(RestartWindows, EnablesThePrivilegeThenForcesAReboot) {
  sim::SimPc pc(sim::WindowsVersion::kWinXp);
  CAtapi atapi(pc);
  EXPECT_TRUE(atapi.RestartWindows());
  pc.SetExitWindowsResult(false);
  EXPECT_FALSE(atapi.RestartWindows()) << "the page must learn of a refusal";
  ASSERT_EQ(pc.ExitWindowsCalls().size(), 2u);
  pc.SetExitWindowsResult(true);
  EXPECT_EQ(pc.ExitWindowsCalls()[0].flags, platform::kEwxReboot | platform::kEwxForce);
  EXPECT_TRUE(pc.ExitWindowsCalls()[0].privilegeEnabledBefore);
}

}  // namespace
