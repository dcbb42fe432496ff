// The worker over the real engine and the simulated drive: only a flash that
// was read back and matched ends as finished.
#include <gtest/gtest.h>

#include "app/ProgressSchedule.h"
#include "app/UpdateWorker.h"
#include "tests/app/RecordingProgressWindow.h"
#include "tests/update/UpdateRig.h"

namespace {

using enginetest::Build;
using enginetest::DemoPlan;
using enginetest::Link;
using enginetest::LinkName;
using enginetest::UpdateRig;
using sim::CommandKind;
using sim::Fault;

struct WorkerCase {
  const char* name;
  Fault fault;
  bool brokenImage;
  uint8_t result;
};

TEST(UpdateWorker, LeavesAFinalResultAndFinishedOnlyForAVerifiedFlash) {
  auto wrongSum = DemoPlan();
  wrongSum.checksum = 1;
  const WorkerCase rows[] = {
      {"clean", Fault::Sense(CommandKind::kOther, 1, 5, 0x20, 0), false, RESULT_FINISHED},
      {"broken image", Fault::Sense(CommandKind::kOther, 1, 5, 0x20, 0), true,
       RESULT_IMAGE_REJECTED},
      {"refused block", Fault::Sense(CommandKind::kWriteBlock, 2, 0x03, 0x0C, 0), false,
       RESULT_FLASH_FAILED},
      {"refused closing", Fault::Sense(CommandKind::kClosing, 1, 0x03, 0x0C, 0), false,
       RESULT_FLASH_FAILED},
      {"never ready", Fault::NeverReady(), false, RESULT_FLASH_FAILED},
      {"read-back fails", Fault::Sense(CommandKind::kReadFlashPage, 7, 0x03, 0x11, 0), false,
       RESULT_FLASH_FAILED},
      {"read-back differs", Fault::CorruptBank(2, 0x40, 0x01), false, RESULT_FLASH_FAILED},
  };
  for (Link link : {Link::kAspi, Link::kPassThrough}) {
    for (const auto& row : rows) {
      SCOPED_TRACE(std::string(LinkName(link)) + ", " + row.name);
      UpdateRig rig(link, row.brokenImage ? Build(wrongSum) : Build(DemoPlan()));
      rig.drive->AddFault(row.fault);
      CAtapi& atapi = rig.Start();
      EXPECT_EQ(UpdateWorker(&atapi), 0u);
      EXPECT_EQ(atapi.UpdateResult(), row.result);
    }
  }
  UpdateRig typeRejected(Link::kAspi);
  typeRejected.drive->Config().typeCode = "WN";
  CAtapi& atapi = typeRejected.Start();
  UpdateWorker(&atapi);
  EXPECT_EQ(atapi.UpdateResult(), RESULT_DRIVE_REJECTED);
}

// A whole run as the page starts it: the worker on its thread, the progress
// windows meanwhile, the result handed back.
TEST(UpdateWorker, AFullRunOverAspiWaitsOutTheDriveBehindTheProgressWindow) {
  UpdateRig rig(Link::kAspi);
  CAtapi& atapi = rig.Start();
  apptest::RecordingProgressWindow window(rig.pc);
  EXPECT_EQ(RunUpdateWithProgress(rig.pc, atapi, window, "Updating"), RESULT_FINISHED);
  EXPECT_EQ(rig.drive->Closings().size(), 1u);
  EXPECT_EQ(rig.pc.Log().CountOfKind(CommandKind::kReadFlashPage), 992u);
  ASSERT_EQ(rig.pc.Threads().Started().size(), 1u);
  EXPECT_EQ(rig.pc.Threads().Started()[0].parameter, &atapi);
  EXPECT_GT(rig.pc.Threads().Started()[0].endUs - rig.pc.Threads().Started()[0].startUs,
            61'000'000u);
  EXPECT_FALSE(window.Lives().empty());
  EXPECT_EQ(rig.pc.OpenThreadHandles(), 0);
}

}  // namespace
