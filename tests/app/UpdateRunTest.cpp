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
