// The catalogue: which id of a pair is which language, the texts as
// stored, and the insert rule of the formatting.
#include <gtest/gtest.h>

#include <set>

#include "app/CatalogueTexts.h"
#include "app/MessageCatalogue.h"
#include "sim/SimPc.h"
#include "tests/app/FlasherPc.h"

namespace {

struct PairCase {
  Message message;
  unsigned english;
  unsigned japanese;
};

// Written out by hand: the lower id is English in only some of the pairs.
const PairCase kPairs[] = {
    {Message::ConfirmQuestion, 102, 103},
    {Message::UpdateFinished, 105, 104},
    {Message::FoundCaution, 107, 106},
    {Message::LicencePrompt, 109, 108},
    {Message::FoundIntro, 111, 110},
    {Message::DriveListLabel, 113, 112},
    {Message::Updating, 115, 114},
    {Message::UpdateStatement, 116, 117},
    {Message::OsRequirements, 119, 118},
    {Message::NoDrive, 121, 120},
    {Message::NoDriveNotice, 125, 124},
    {Message::DriveUpToDate, 127, 126},
    {Message::ExitHint, 135, 134},
    {Message::RestartNeeded, 141, 140},
    {Message::UpdateFailed, 145, 144},
    {Message::ImageFileMissing, 149, 148},
    {Message::ImageFileMissingForDrive, 151, 150},
    {Message::DeviceRefusal, 153, 152},
    {Message::ChecksumError, 155, 154},
    {Message::HardwareError, 157, 156},
    {Message::ConfirmNotices, 158, 159},
    {Message::Notices, 162, 163},
    {Message::RemoveDisc, 164, 165},
    {Message::RetryQuestion, 167, 166},
    {Message::DiscRemovedQuestion, 170, 171},
    {Message::AdministratorNeeded, 172, 173},
    {Message::AspiNeeded, 175, 174},
    {Message::NothingSent, 177, 176},
};

TEST(MessageCatalogue, PickFollowsThePairTableNotTheIds) {
  for (const PairCase& pair : kPairs) {
    EXPECT_EQ(Pick(pair.message, Language::kEnglish), pair.english) << pair.english;
    EXPECT_EQ(Pick(pair.message, Language::kJapanese), pair.japanese) << pair.english;
  }
}

TEST(MessageCatalogue, DataHoldsEveryIdOnceWithinTheRange) {
  std::set<unsigned> ids;
  for (const CatalogueText& entry : CatalogueTexts()) {
    EXPECT_TRUE(ids.insert(entry.id).second) << "twice: " << entry.id;
    EXPECT_GE(entry.id, 101u);
    EXPECT_LE(entry.id, 177u);
  }
  EXPECT_EQ(ids.size(), 1u + 2 * std::size(kPairs));
}

class LoadedCatalogue : public testing::Test {
 protected:
  void SetUp() override { flasher_pc::InstallFlasherResources(pc_); }
  std::string Load(unsigned id) { return LoadMessage(pc_, id); }
  sim::SimPc pc_{sim::WindowsVersion::kWin98};
};

TEST_F(LoadedCatalogue, TextsComeBackExactlyAsStored) {
  struct Case {
    unsigned id;
    const char* text;
  };
  const Case cases[] = {
      {101, "UpdaterK818R Version Information(&A)..."},
      // A blank on each side of the button's name in English, none in Japanese.
      {135, "\r\n\r\nPlease click \" Exit \" to exit this program."},
      {134, "\r\n\r\n\"Exit\"をクリックして、プログラムを終了して下さい。"},
      // Bare line feeds and a trailing blank.
      {105, "Firmware has been updated successfully.\nYour computer will be restarted. "},
      {121, "No drive found."},
      {120, "ドライブが見つかりません。"},
      {113, "TARGET DRIVE  : "},
      {157, "Found hardware error. Your drive cannot be updated to new firmware.\n\n "},
  };
  for (const Case& c : cases) EXPECT_EQ(Load(c.id), c.text) << c.id;
  EXPECT_EQ(Load(107).substr(0, 9), "Caution:\n");
  EXPECT_EQ(Load(107).substr(Load(107).size() - 9), "system. \n");
}

TEST_F(LoadedCatalogue, IdsWithoutTextLoadEmpty) {
  for (unsigned id : {152u, 153u, 100u, 122u, 130u, 178u}) EXPECT_EQ(Load(id), "") << id;
}

TEST_F(LoadedCatalogue, FormattingFillsTheInsertsAndIgnoresUnusedArguments) {
  EXPECT_EQ(FormatMessageText(Load(102), "OD-K818R", "1.01"),
            "Update your OD-K818R's firmware to version 1.01 ?");
  EXPECT_EQ(FormatMessageText(Load(103), "OD-K818R", "1.01"),
            "OD-K818Rのファームウェアを1.01に更新します。宜しいですか？");
  // 159 has no insert; 121 none either.
  EXPECT_EQ(FormatMessageText(Load(159), "OD-K818R"), Load(159));
  EXPECT_EQ(FormatMessageText(Load(121), "OD-K818R", "1.01"), "No drive found.");
  // 107 uses %1 twice.
  const std::string caution = FormatMessageText(Load(107), "OD-K818R");
  EXPECT_NE(caution.find("the OD-K818R's firmware"), std::string::npos);
  EXPECT_NE(caution.find("disks from the OD-K818R."), std::string::npos);
}

TEST(FormatMessageText, InsertRule) {
  struct Case {
    const char* text;
    const char* first;
    const char* second;
    const char* expected;
  };
  const Case cases[] = {
      {"%2 before %1", "a", "b", "b before a"},
      {"missing %2.", "a", "", "missing ."},  // an insert without argument stays empty
      {"%3 and %12", "a", "b", " and "},      // inserts without arguments
      {"100%% sure", "", "", "100% sure"},
      {"cut%0 here", "", "", "cut"},
      {"line%nbreak", "", "", "line\r\nbreak"},
      {"dot%. bang%! blank% end", "", "", "dot. bang! blank end"},
      {"trailing %", "", "", "trailing %"},
      {"", "a", "b", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatMessageText(c.text, c.first, c.second), c.expected) << c.text;
  }
}

}  // namespace
