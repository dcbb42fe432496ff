// The two pages as plain logic: what the licence page loads, and what the
// update page lists, says and allows for the drives and the image file.
#include <gtest/gtest.h>

#include "app/LicensePage.h"
#include "app/PageLayout.h"
#include "app/ResourceIds.h"
#include "app/UpdatePage.h"
#include "sim/SimPc.h"
#include "tests/app/FlasherPc.h"
#include "tests/transport/Drives.h"
#include "transport/Atapi.h"

namespace {

using testing_drives::K818r;

class Pages : public testing::Test {
 protected:
  void SetUp() override {
    flasher_pc::InstallFlasherResources(pc_);
    flasher_pc::AddHarmlessDeviceTree(pc_);
  }
  std::string Text(unsigned id) { return LoadMessage(pc_, id); }
  // Two drives: D: at 0/1/0 and E: at 1/2/1.
  void AttachTwoDrives() {
    pc_.SetDriveType('D', platform::kDriveCdrom);
    pc_.SetDriveType('E', platform::kDriveCdrom);
    pc_.Aspi().Attach(0, 1, 0, K818r("1.00"));
    pc_.Aspi().Attach(1, 2, 1, K818r("1.01", "OD-K818R-B"));
  }
  void PutImage() { pc_.AddFile("K818R_10.BIN", {1, 2, 3}); }

  sim::SimPc pc_{sim::WindowsVersion::kWin98};
};

TEST_F(Pages, LicencePageLoadsTheTextsOfItsLanguage) {
  for (const char* identifier : {"0409", "0411"}) {
    pc_.Kernel().SetSystemLanguage(identifier);
    const bool japanese = std::string(identifier) == "0411";
    LicensePage page(pc_);
    page.Open();
    EXPECT_EQ(page.VersionMenuText(), "UpdaterK818R Version Information(&A)...");
    ASSERT_TRUE(page.PassGate());
    page.LoadTexts();
    const std::string licence =
        flasher_pc::ResourceFile(japanese ? "License-ja.txt" : "License-en.txt");
    EXPECT_EQ(page.LicenseText(), licence);
    EXPECT_EQ(page.LicenseText().size(), japanese ? 4235u : 4677u);
    EXPECT_EQ(page.PromptText(), Text(japanese ? 108 : 109));
  }
}

TEST_F(Pages, LicenceResourcesAreCrLfText) {
  for (const char* name : {"License-en.txt", "License-ja.txt"}) {
    const std::string text = flasher_pc::ResourceFile(name);
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') {
        EXPECT_EQ(text[i - 1], '\r') << name << " at " << i;
      }
    }
    EXPECT_EQ(text.find('\0'), std::string::npos) << name;
  }
  for (char c : flasher_pc::ResourceFile("License-en.txt")) {
    EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
  }
}

TEST_F(Pages, LicencePageWithoutLicenceLeavesBothControlsEmpty) {
  pc_.Program().RemoveResource("LICENSE", IDR_LICENSE_ENGLISH);
  LicensePage page(pc_);
  page.Open();
  ASSERT_TRUE(page.PassGate());
  page.LoadTexts();
  EXPECT_EQ(page.LicenseText(), "");
  EXPECT_EQ(page.PromptText(), "");
}

TEST_F(Pages, RefusedSystemNeverLoadsTheLicence) {
  pc_.SetWindows(sim::WindowsVersion::kWin95);
  LicensePage page(pc_);
  page.Open();
  EXPECT_FALSE(page.PassGate());
  EXPECT_EQ(pc_.MessageBoxes().size(), 1u);
}

TEST_F(Pages, UpdatePageListsTheDrivesAndNamesTheSelectedOne) {
  AttachTwoDrives();
  PutImage();
  CAtapi atapi(pc_);
  UpdatePage page(pc_, atapi);
  page.Open();
  ASSERT_TRUE(page.Start());
  EXPECT_EQ(page.DriveLines(), (std::vector<std::string>{"D: QUAV    OD-K818R [1 : 0  1.00]",
                                                         "E: QUAV    OD-K818R-B [2 : 1  1.01]"}));
  EXPECT_EQ(page.Selection(), 0);
  EXPECT_EQ(page.LabelText(), "TARGET DRIVE  : ");
  EXPECT_EQ(page.PageText(), FormatMessageText(Text(111), "OD-K818R", "1.01") +
                                 FormatMessageText(Text(107), "OD-K818R"));
  EXPECT_TRUE(page.Buttons().back && page.Buttons().update && page.Buttons().exit);

  page.Select(1);
  EXPECT_EQ(page.PageText(), FormatMessageText(Text(111), "OD-K818R-B", "1.01") +
                                 FormatMessageText(Text(107), "OD-K818R-B"));
  // The drive object now talks to the second drive.
  pc_.Log().Clear();
  atapi.TestUnitReady();
  ASSERT_FALSE(pc_.Log().Commands().empty());
  EXPECT_EQ(pc_.Log().Commands().back().aspi.haId, 1);
  EXPECT_EQ(pc_.Log().Commands().back().aspi.target, 2);
}

TEST_F(Pages, MissingImageNamesTheFirstDriveAndLocksBackAndUpdate) {
  AttachTwoDrives();
  pc_.Kernel().SetSystemLanguage("0411");
  CAtapi atapi(pc_);
  UpdatePage page(pc_, atapi);
  page.Open();
  ASSERT_TRUE(page.Start());
  const std::string missing = FormatMessageText(Text(150), "QUAV    OD-K818R") + Text(134);
  EXPECT_EQ(page.PageText(), missing);
  EXPECT_FALSE(page.Buttons().back);
  EXPECT_FALSE(page.Buttons().update);
  EXPECT_TRUE(page.Buttons().exit);
  EXPECT_EQ(page.LabelText(), Text(112));

  page.Select(1);
  EXPECT_EQ(page.PageText(), missing);

  // Copied in later: the text follows the selection, the buttons stay locked.
  PutImage();
  page.Select(1);
  EXPECT_EQ(page.PageText(), FormatMessageText(Text(110), "OD-K818R-B", "1.01") +
                                 FormatMessageText(Text(106), "OD-K818R-B"));
  EXPECT_FALSE(page.Buttons().back);
  EXPECT_FALSE(page.Buttons().update);
}

TEST_F(Pages, QuestionNamesTheDriveAndNoUnlocksTheButtons) {
  AttachTwoDrives();
  PutImage();
  CAtapi atapi(pc_);
  UpdatePage page(pc_, atapi);
  page.Open();
  ASSERT_TRUE(page.Start());
  page.Select(1);
  const std::string textBefore = page.PageText();

  page.LockForQuestion();
  EXPECT_FALSE(page.Buttons().back || page.Buttons().update || page.Buttons().exit);
  EXPECT_FALSE(page.Buttons().driveList);
  pc_.QueueMessageBoxAnswer(platform::kIdNo);
  EXPECT_FALSE(page.AskToUpdate());
  const sim::MessageBoxRecord& box = pc_.MessageBoxes().back();
  EXPECT_EQ(box.text, FormatMessageText(Text(158), "OD-K818R-B") +
                          FormatMessageText(Text(102), "OD-K818R-B", "1.01"));
  EXPECT_EQ(box.caption, "FlashK818R");
  EXPECT_EQ(box.style, platform::kMbYesNo | platform::kMbIconQuestion);
  EXPECT_TRUE(box.owned);
  EXPECT_TRUE(page.Buttons().back && page.Buttons().update && page.Buttons().exit);
  EXPECT_TRUE(page.Buttons().driveList);
  EXPECT_EQ(page.PageText(), textBefore);

  page.LockForQuestion();
  pc_.QueueMessageBoxAnswer(platform::kIdYes);
  EXPECT_TRUE(page.AskToUpdate());
  EXPECT_EQ(page.PageText(), Text(115));
  EXPECT_FALSE(page.Buttons().back || page.Buttons().update || page.Buttons().exit);
  EXPECT_FALSE(page.Buttons().driveList);
}

TEST_F(Pages, JapaneseQuestion) {
  AttachTwoDrives();
  PutImage();
  pc_.Kernel().SetSystemLanguage("0411");
  CAtapi atapi(pc_);
  UpdatePage page(pc_, atapi);
  page.Open();
  ASSERT_TRUE(page.Start());
  page.LockForQuestion();
  pc_.QueueMessageBoxAnswer(platform::kIdYes);
  EXPECT_TRUE(page.AskToUpdate());
  EXPECT_EQ(pc_.MessageBoxes().back().text,
            Text(159) + FormatMessageText(Text(103), "OD-K818R", "1.01"));
  EXPECT_EQ(page.PageText(), Text(114));
}

TEST_F(Pages, NoDriveShowsThePlainErrorBox) {
  for (const char* identifier : {"0409", "0411"}) {
    sim::SimPc pc(sim::WindowsVersion::kWin98);
    flasher_pc::InstallFlasherResources(pc);
    pc.Kernel().SetSystemLanguage(identifier);
    CAtapi atapi(pc);
    UpdatePage page(pc, atapi);
    page.Open();
    EXPECT_FALSE(page.Start());
    ASSERT_EQ(pc.MessageBoxes().size(), 1u);
    const sim::MessageBoxRecord& box = pc.MessageBoxes()[0];
    EXPECT_EQ(box.text,
              std::string(identifier) == "0411" ? "ドライブが見つかりません。" : "No drive found.");
    EXPECT_EQ(box.caption, "Error - OD-K818R Upgrade Program");
    EXPECT_EQ(box.style, platform::kMbOk | platform::kMbIconStop);
    EXPECT_FALSE(box.owned);
  }
}

TEST(PageLayout, BannerFollowsTheClientArea) {
  const struct {
    int width;
    int height;
    unsigned banner;
  } cases[] = {{384, 333, IDB_BANNER_LARGE},
               {399, 319, IDB_BANNER_SMALL},
               {400, 100, IDB_BANNER_LARGE},
               {300, 320, IDB_BANNER_LARGE},
               {384, 308, IDB_BANNER_SMALL}};
  for (const auto& c : cases) {
    EXPECT_EQ(ChooseBanner(c.width, c.height), c.banner) << c.width << "x" << c.height;
  }
  const BannerPlacement placed = PlaceBanner(384, 308);
  EXPECT_EQ(placed.x, 16);
  EXPECT_EQ(placed.y, 9);
}

}  // namespace
