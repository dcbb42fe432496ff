// The flasher's start: the single-instance guard, the language rule and the
// operating-system gate with its refusal boxes.
#include <gtest/gtest.h>

#include <cstring>

#include "app/FlashApp.h"
#include "app/Language.h"
#include "app/MessageCatalogue.h"
#include "app/OsGate.h"
#include "sim/SimPc.h"
#include "tests/app/FlasherPc.h"

namespace {

class CountingPages : public CFlashApp::Pages {
 public:
  void RunLicensePage() override { ++runs; }
  int runs = 0;
};

TEST(FlashApp, FirstCopyTakesTheMutexAndRunsTheLicencePage) {
  sim::SimPc pc;
  CountingPages pages;
  EXPECT_FALSE(CFlashApp(pc, pages).InitInstance());
  EXPECT_EQ(pages.runs, 1);
  EXPECT_EQ(pc.Kernel().MutexCreations("PreventSecondInstance"), 1);
}

TEST(FlashApp, SecondCopyEndsWithoutWindowOrBox) {
  sim::SimPc pc;
  pc.Kernel().HoldMutexElsewhere("PreventSecondInstance");
  CountingPages pages;
  EXPECT_FALSE(CFlashApp(pc, pages).InitInstance());
  EXPECT_EQ(pages.runs, 0);
  EXPECT_TRUE(pc.MessageBoxes().empty());
}

TEST(DetectLanguage, OnlyJapaneseSystemLocaleGivesJapanese) {
  const struct {
    const char* identifier;
    Language language;
  } cases[] = {
      {"0411", Language::kJapanese}, {"0409", Language::kEnglish},
      {"0804", Language::kEnglish},  {"040A", Language::kEnglish},  // reads as 40
      {"", Language::kEnglish},                                     // the call fails
  };
  for (const auto& c : cases) {
    sim::SimPc pc;
    pc.Kernel().SetSystemLanguage(c.identifier);
    EXPECT_EQ(DetectLanguage(pc), c.language) << c.identifier;
  }
}

platform::OsVersion Version(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build,
                            const char* servicePack) {
  platform::OsVersion version;
  version.platformId = platformId;
  version.major = major;
  version.minor = minor;
  version.build = build;
  std::strncpy(version.servicePack, servicePack, sizeof version.servicePack - 1);
  return version;
}

constexpr uint32_t k9x = platform::kPlatformWin32Windows;
constexpr uint32_t kNt = platform::kPlatformWin32Nt;

struct GateCase {
  const char* name;
  platform::OsVersion version;
  bool supported;
  bool deviceCheck;
  const char* englishLine;  // of the refusal box; empty when supported
};

const GateCase kGateCases[] = {
    {"95 OSR2", Version(k9x, 4, 0, 0x04000457, " B"), false, false,
     "Win95 or Win98 : 4.0  B (Build 1111)\r\n\r\n"},
    {"98 build 1997", Version(k9x, 4, 10, 0x040A07CD, " "), false, false,
     "Win95 or Win98 : 4.10   (Build 1997)\r\n\r\n"},
    {"98", sim::VersionOf(sim::WindowsVersion::kWin98), true, true, ""},
    {"98 SE", sim::VersionOf(sim::WindowsVersion::kWin98Se), true, true, ""},
    {"ME", sim::VersionOf(sim::WindowsVersion::kWinMe), true, true, ""},
    {"NT 3.51", Version(kNt, 3, 51, 1057, "Service Pack 5"), false, false,
     "NT : 3.51 Service Pack 5 (Build 1057)\r\n\r\n"},
    {"NT 4.0", Version(kNt, 4, 0, 1381, ""), false, false, "NT : 4.0  (Build 1381)\r\n\r\n"},
    {"NT 4.0 SP5", sim::VersionOf(sim::WindowsVersion::kNt4Sp5), false, false,
     "NT : 4.0 Service Pack 5 (Build 1381)\r\n\r\n"},
    {"NT 4.0 SP6", sim::VersionOf(sim::WindowsVersion::kNt4Sp6), true, false, ""},
    {"NT 4.0 SP6a", Version(kNt, 4, 0, 1381, "Service Pack 6a"), true, false, ""},
    {"NT 4.0 high byte", Version(kNt, 4, 0, 1381, "Service Pack \xB6"), false, false,
     "NT : 4.0 Service Pack \xB6 (Build 1381)\r\n\r\n"},
    {"2000", sim::VersionOf(sim::WindowsVersion::kWin2000), true, false, ""},
    {"XP", sim::VersionOf(sim::WindowsVersion::kWinXp), true, false, ""},
    {"7 SP1", Version(kNt, 6, 1, 7601, "Service Pack 1"), true, false, ""},
    // Windows 8.1 and later tell a program whose manifest does not name them
    // that they are 8, without a service pack; no service-pack check there.
    {"10 as 8", Version(kNt, 6, 2, 9200, ""), true, false, ""},
    {"10", Version(kNt, 10, 0, 19045, ""), true, false, ""},
    {"Win32s", Version(platform::kPlatformWin32s, 3, 10, 0, ""), false, false,
     "NT : 3.10  (Build 0)\r\n\r\n"},
};

class Gate : public testing::Test {
 protected:
  void SetUp() override {
    flasher_pc::InstallFlasherResources(pc_);
    flasher_pc::AddHarmlessDeviceTree(pc_);
  }
  std::string Text(unsigned id) { return LoadMessage(pc_, id); }
  sim::SimPc pc_;
};

TEST_F(Gate, DecidesByTheTableAndShowsTheVersionLine) {
  for (const GateCase& c : kGateCases) {
    SCOPED_TRACE(c.name);
    pc_.SetVersion(c.version);
    const size_t boxesBefore = pc_.MessageBoxes().size();
    OsRecord record;
    EXPECT_EQ(CheckOsSupport(pc_, Language::kEnglish, record), c.supported);
    EXPECT_EQ(record.deviceCheckRun, c.deviceCheck);
    EXPECT_EQ(record.windows9x, c.version.platformId == k9x);
    EXPECT_EQ(record.build, c.version.build & 0xFFFF);
    if (c.supported) {
      EXPECT_EQ(pc_.MessageBoxes().size(), boxesBefore);
      continue;
    }
    ASSERT_EQ(pc_.MessageBoxes().size(), boxesBefore + 1);
    const sim::MessageBoxRecord& box = pc_.MessageBoxes().back();
    EXPECT_EQ(box.text, c.englishLine + Text(119));
    EXPECT_EQ(box.caption, "FlashK818R");
    EXPECT_EQ(box.style, platform::kMbOk | platform::kMbIconQuestion);
    EXPECT_TRUE(box.owned);
  }
}

TEST_F(Gate, JapaneseRefusalUsesItsOwnWindows95Line) {
  pc_.SetWindows(sim::WindowsVersion::kWin95);
  OsRecord record;
  EXPECT_FALSE(CheckOsSupport(pc_, Language::kJapanese, record));
  EXPECT_EQ(pc_.MessageBoxes().back().text, "Win95 : 4.0  (Build 950)\r\n\r\n" + Text(118));

  pc_.SetWindows(sim::WindowsVersion::kNt4Sp5);
  EXPECT_FALSE(CheckOsSupport(pc_, Language::kJapanese, record));
  EXPECT_EQ(pc_.MessageBoxes().back().text,
            "NT : 4.0 Service Pack 5 (Build 1381)\r\n\r\n" + Text(118));
}

TEST_F(Gate, DeviceRefusalShowsTheVersionLineAlone) {
  pc_.SetWindows(sim::WindowsVersion::kWin98Se);
  pc_.Registry().SetString("HKDD\\Config Manager\\Enum\\C29A3B10", "HardWareKey",
                           "SCSI\\QUAV____OD-J207P_______1.00\\PNP0600&1");
  for (Language language : {Language::kEnglish, Language::kJapanese}) {
    OsRecord record;
    EXPECT_FALSE(CheckOsSupport(pc_, language, record));
    EXPECT_TRUE(record.deviceCheckRun);
    EXPECT_EQ(pc_.MessageBoxes().back().text, "Win98SE : 4.10  A  (Build 2222)\r\n\r\n");
  }
}

TEST_F(Gate, FailedVersionQueriesCountAsRefusedWithAZeroLine) {
  pc_.FailVersionQuery();
  OsRecord record;
  EXPECT_FALSE(CheckOsSupport(pc_, Language::kEnglish, record));
  EXPECT_EQ(pc_.MessageBoxes().back().text, "NT : 0.0  (Build 0)\r\n\r\n" + Text(119));
}

TEST_F(Gate, SmallerRecordIsAskedForWhenTheLargerFails) {
  pc_.SetWindows(sim::WindowsVersion::kWin2000);
  pc_.FailExtendedVersionQuery();
  const OsRecord record = ReadOsRecord(pc_);
  EXPECT_EQ(record.major, 5u);
  EXPECT_EQ(record.build, 2195u);
  EXPECT_STREQ(record.servicePack, "Service Pack 4");
}

}  // namespace
