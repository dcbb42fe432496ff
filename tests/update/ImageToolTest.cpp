// The image tool's verdict must be the flasher's: same images, same answer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "sim/SimPc.h"
#include "tests/update/UpdateRig.h"
#include "transport/Atapi.h"

namespace {

using enginetest::Build;
using enginetest::DemoPlan;
using image::Bytes;

std::string WriteTemp(const std::string& name, const Bytes& bytes) {
  const std::string path = ::testing::TempDir() + "k818r-" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return path;
}

int RunTool(const std::string& arguments) {
  const std::string command = std::string(IMAGE_TOOL_PATH) + " " + arguments + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool EngineAccepts(const Bytes& bytes) {
  sim::SimPc pc(sim::WindowsVersion::kWinXp);
  pc.AddFile(kImageFileName, bytes);
  CAtapi atapi(pc);
  return atapi.CheckImageFile(kImageFileName);
}

TEST(ImageTool, InspectAgreesWithTheEngine) {
  auto wrongTag = DemoPlan();
  wrongTag.tag = "QUAV OD-K818R";
  auto wrongSum = DemoPlan();
  wrongSum.checksum = 7;
  auto nine = DemoPlan(8);
  nine.blockCount = 9;
  Bytes shortBlock = Build(DemoPlan());
  shortBlock.resize(shortBlock.size() - 3);
  Bytes lengthZero = Build(DemoPlan(2, false));
  lengthZero[38] = lengthZero[39] = 0;

  const std::vector<std::pair<std::string, Bytes>> images = {
      {"good-scrambled", Build(DemoPlan(4, true))},
      {"good-plain", Build(DemoPlan(3, false))},
      {"wrong-tag", Build(wrongTag)},
      {"wrong-sum", Build(wrongSum)},
      {"count-9", Build(nine)},
      {"short-block", shortBlock},
      {"length-0", lengthZero},
      {"empty", Bytes()},
  };
  int accepted = 0;
  for (const auto& [name, bytes] : images) {
    const bool engine = EngineAccepts(bytes);
    accepted += engine;
    EXPECT_EQ(RunTool("inspect " + WriteTemp(name, bytes)), engine ? 0 : 1) << name;
  }
  EXPECT_EQ(accepted, 2);
  EXPECT_EQ(RunTool("inspect /nonexistent/K818R_10.BIN"), 1);
}

TEST(ImageTool, BuildsWhatItIsAskedFor) {
  const Bytes block = image::PatternBlock(1000, 3);
  const std::string blockPath = WriteTemp("block.raw", block);
  const std::string out = ::testing::TempDir() + "k818r-built.bin";

  ASSERT_EQ(RunTool("build -o " + out + " --scrambled --selector 0x10 --alternate 0xBEEF " +
                    blockPath + " " + blockPath),
            0);
  std::ifstream in(out, std::ios::binary);
  const Bytes built((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto plan = DemoPlan(0);
  plan.blocks = {block, block};
  plan.scrambled = true;
  plan.checksumSelector = 0x10;
  plan.alternateChecksum = 0xBEEF;
  EXPECT_EQ(built, Build(plan));
  EXPECT_TRUE(EngineAccepts(built));

  // A scrambled block must start with 0x02, or it cannot be stored.
  Bytes odd = block;
  odd[0] = 0x03;
  EXPECT_NE(RunTool("build -o " + out + " --scrambled " + WriteTemp("odd.raw", odd)), 0);
  EXPECT_NE(RunTool("build -o " + out + " --selector 0x100 " + blockPath), 0);
  EXPECT_NE(RunTool("frobnicate"), 0);
}

// The image the build ships beside the programs is one the simulated drive
// takes on either transport.
TEST(ImageTool, TheBuildsDemoImageUpdatesTheSimulatedDrive) {
  std::ifstream in(DEMO_IMAGE_PATH, std::ios::binary);
  ASSERT_TRUE(in) << DEMO_IMAGE_PATH;
  const Bytes demo((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (auto link : {enginetest::Link::kAspi, enginetest::Link::kPassThrough}) {
    enginetest::UpdateRig rig(link, demo);
    CAtapi& atapi = rig.Start();
    EXPECT_TRUE(atapi.RunUpdate()) << enginetest::LinkName(link);
    EXPECT_EQ(atapi.Image().BlockCount(), 4);
    EXPECT_EQ(rig.drive->ReadBackSum(4), atapi.Image().Checksum());
  }
}

}  // namespace
