#include "tests/update/UpdateRig.h"

#include <gtest/gtest.h>

namespace enginetest {

const char* LinkName(Link link) {
  return link == Link::kAspi ? "Aspi" : "PassThrough";
}

image::ImagePlan DemoPlan(int blockCount, bool scrambled) {
  image::ImagePlan plan;
  for (int block = 0; block < blockCount; ++block) {
    plan.blocks.push_back(image::PatternBlock(static_cast<uint32_t>(700 + 333 * block),
                                              static_cast<uint32_t>(block + 7)));
  }
  plan.scrambled = scrambled;
  return plan;
}

image::Bytes Build(const image::ImagePlan& plan) {
  std::string error;
  image::Bytes bytes = image::BuildImage(plan, &error);
  EXPECT_FALSE(bytes.empty()) << error;
  return bytes;
}

UpdateRig::UpdateRig(Link linkKind, const image::Bytes& imageFile)
    : link(linkKind),
      pc(linkKind == Link::kAspi ? sim::WindowsVersion::kWin98 : sim::WindowsVersion::kWinXp),
      drive(std::make_shared<sim::K818rDrive>()) {
  // Short enough that polling stays cheap, long enough to be polled.
  drive->Config().notReadyAfterCommitUs = 200'000;
  pc.AttachDrive(drive);
  pc.AddFile(kImageFileName, imageFile);
}

CAtapi& UpdateRig::Start() {
  atapi = std::make_unique<CAtapi>(pc);
  EXPECT_EQ(atapi->DriveCount(), 1) << "the scan should find the simulated drive";
  commandsBefore_ = drive->CommandsReceived();
  logBefore_ = pc.Log().Commands().size();
  tracesBefore_ = pc.Traces().size();
  return *atapi;
}

std::vector<sim::CommandRecord> UpdateRig::Commands() {
  const auto& all = pc.Log().Commands();
  return {all.begin() + static_cast<long>(logBefore_), all.end()};
}

std::vector<std::string> UpdateRig::Traces() {
  const auto& all = pc.Traces();
  return {all.begin() + static_cast<long>(tracesBefore_), all.end()};
}

}  // namespace enginetest
