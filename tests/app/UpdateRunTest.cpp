// A whole run from the update page's Yes to its outcome, over the real
// engine and the simulated drive.
#include <gtest/gtest.h>

#include "app/UpdateRun.h"
#include "tests/app/FlasherPc.h"
#include "tests/app/RecordingProgressWindow.h"
#include "tests/update/UpdateRig.h"

namespace {

using enginetest::Link;
using enginetest::UpdateRig;

struct PageRun {
  PageRun(Link link, const char* language) : rig(link) {
    flasher_pc::InstallFlasherResources(rig.pc);
    rig.pc.Kernel().SetSystemLanguage(language);
  }
  // Opens the page, answers Yes and runs the update.
  void Go() {
    CAtapi& atapi = rig.Start();
    page = std::make_unique<UpdatePage>(rig.pc, atapi);
    page->Open();
    ASSERT_TRUE(page->Start());
    page->LockForQuestion();
    rig.pc.QueueMessageBoxAnswer(platform::kIdYes);
    ASSERT_TRUE(page->AskToUpdate());
    apptest::RecordingProgressWindow window(rig.pc, ProfileFileName(rig.pc));
    RunUpdateOnPage(rig.pc, atapi, *page, window, [this]() {
      refreshedTexts.push_back(page->PageText());
      refreshedExit.push_back(page->Buttons().exit);
    });
    windows = window.Lives().size();
  }
  std::string Text(unsigned id) { return LoadMessage(rig.pc, id); }

  UpdateRig rig;
  std::unique_ptr<UpdatePage> page;
  std::vector<std::string> refreshedTexts;
  std::vector<bool> refreshedExit;
  size_t windows = 0;
};

TEST(UpdateRun, AVerifiedUpdateEndsInTheSuccessBoxAndTheRestart) {
  PageRun run(Link::kAspi, "0409");
  run.Go();
  const std::string success = run.Text(105);
  EXPECT_EQ(run.page->PageText(), success);
  EXPECT_FALSE(run.page->Buttons().back || run.page->Buttons().update || run.page->Buttons().exit ||
               run.page->Buttons().driveList);
  const sim::MessageBoxRecord& box = run.rig.pc.MessageBoxes().back();
  EXPECT_EQ(box.text, success);
  EXPECT_EQ(box.caption, "FlashK818R");
  EXPECT_EQ(box.style, platform::kMbOk | platform::kMbIconQuestion);
  EXPECT_TRUE(box.owned);
  ASSERT_EQ(run.rig.pc.ExitWindowsCalls().size(), 1u);
  // The simulated worker has finished when the first cycle looks: one
  // window, filled at once, leaving its position.
  EXPECT_EQ(run.windows, 1u);
  EXPECT_EQ(run.rig.pc.Profile().Writes().size(), 2u);
  EXPECT_TRUE(run.rig.pc.Profile().Value("FlashK818R.INI", "Settings", "X").has_value());
  EXPECT_EQ(run.refreshedTexts, std::vector<std::string>{success});
}

TEST(UpdateRun, ADriveThatNeverComesBackEndsInTheFailureTextWithoutARestart) {
  PageRun run(Link::kPassThrough, "0411");
  run.rig.drive->AddFault(sim::Fault::NeverReady());
  run.Go();
  const std::string failed = FormatMessageText(run.Text(144), "OD-K818R") + run.Text(156);
  EXPECT_EQ(run.rig.pc.MessageBoxes().back().text, failed);
  EXPECT_EQ(run.page->PageText(), failed + run.Text(134));
  EXPECT_FALSE(run.page->Buttons().back || run.page->Buttons().update ||
               run.page->Buttons().driveList);
  EXPECT_TRUE(run.page->Buttons().exit);
  EXPECT_TRUE(run.rig.pc.ExitWindowsCalls().empty());
  EXPECT_EQ(run.refreshedTexts, (std::vector<std::string>{failed, failed + run.Text(134)}));
  EXPECT_EQ(run.refreshedExit, (std::vector<bool>{false, true}));
}

size_t SystemErrorBoxes(const sim::SimPc& pc) {
  size_t boxes = 0;
  for (const auto& box : pc.MessageBoxes()) {
    if ((box.style & platform::kMbIconStop) != 0) ++boxes;
  }
  return boxes;
}

// A drive restarting its new firmware is gone from the bus for a while: the
// polling waits for it without a box, and the run is judged as always.
TEST(UpdateRun, ADriveOffTheBusAfterTheClosingCommandIsWaitedForWithoutABox) {
  const struct {
    Link link;
    uint32_t error;
    uint64_t offBusMs;
    bool comesBack;
  } rows[] = {
      {Link::kPassThrough, 21, 5000, true},     {Link::kPassThrough, 55, 5000, true},
      {Link::kPassThrough, 1117, 5000, true},   {Link::kAspi, 55, 5000, true},
      {Link::kPassThrough, 21, 400'000, false}, {Link::kPassThrough, 55, 400'000, false},
      {Link::kAspi, 55, 400'000, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(enginetest::LinkName(row.link)) + ", error " +
                 std::to_string(row.error) + ", off the bus " + std::to_string(row.offBusMs) +
                 " ms");
    PageRun run(row.link, "0409");
    sim::K818rConfig& config = run.rig.drive->Config();
    config.offBusAfterCommitUs = row.offBusMs * 1000;
    config.offBusError = row.error;
    config.unitAttentionOnReturn = true;
    config.notReadyAfterCommitUs = (row.offBusMs + 1000) * 1000;
    run.Go();
    EXPECT_EQ(SystemErrorBoxes(run.rig.pc), 0u);
    const auto closings = run.rig.pc.Log().OfKind(sim::CommandKind::kClosing);
    ASSERT_EQ(closings.size(), 1u);
    const auto polls = run.rig.pc.Log().OfKind(sim::CommandKind::kTestUnitReady);
    ASSERT_FALSE(polls.empty());
    if (row.comesBack) {
      EXPECT_EQ(run.page->PageText(), run.Text(105));
      EXPECT_EQ(run.rig.pc.ExitWindowsCalls().size(), 1u);
      EXPECT_EQ(run.rig.drive->ReadBackSum(4), run.rig.atapi->Image().Checksum());
    } else {
      EXPECT_EQ(run.rig.pc.MessageBoxes().back().text,
                FormatMessageText(run.Text(145), "OD-K818R") + run.Text(157));
      EXPECT_TRUE(run.rig.pc.ExitWindowsCalls().empty());
      EXPECT_TRUE(run.page->Buttons().exit);
      EXPECT_EQ(run.rig.pc.Log().CountOfKind(sim::CommandKind::kReadFlashPage), 0u);
      // Polling gave up after its 120 s, counted from after the closing
      // command (and its 61 s wait on ASPI), not from a box's OK.
      const uint64_t pollingUs = polls.back().timeUs - closings.front().timeUs;
      EXPECT_GT(pollingUs, 120'000'000u);
      EXPECT_LT(pollingUs, 183'000'000u);
    }
  }
}

TEST(UpdateRun, AWorkerThatCannotStartSaysNothingWasSent) {
  PageRun run(Link::kAspi, "0409");
  run.rig.pc.Threads().FailStart();
  run.Go();
  const std::string failed = FormatMessageText(run.Text(145), "OD-K818R") + run.Text(177);
  EXPECT_EQ(run.rig.pc.MessageBoxes().back().text, failed);
  EXPECT_EQ(run.page->PageText(), failed + run.Text(135));
  EXPECT_EQ(failed.find(run.Text(157)), std::string::npos) << "no hardware error was met";
  EXPECT_TRUE(run.page->Buttons().exit);
  EXPECT_FALSE(run.page->Buttons().update);
  EXPECT_EQ(run.windows, 0u);
  EXPECT_TRUE(run.rig.pc.ExitWindowsCalls().empty());
}

}  // namespace
