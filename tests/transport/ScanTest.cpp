// Discovery on both transports: which drives are recorded, which counted,
// with which identification, revision and letter.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "sim/SimPc.h"
#include "tests/transport/Drives.h"
#include "transport/Atapi.h"

namespace {

using testing_drives::Foreign;
using testing_drives::K818r;

struct ExpectedRow {
  std::string identification;
  std::string revision;
  std::string letter;
};

struct ScanCase {
  const char* name;
  sim::WindowsVersion windows;
  std::function<void(sim::SimPc&)> setup;
  int count;
  std::vector<ExpectedRow> rows;  // rows 0.. (may include one recorded past the count)
};

const ScanCase kScanCases[] = {
    {"TwoDrivesOnXp",
     sim::WindowsVersion::kWinXp,
     [](sim::SimPc& pc) {
       pc.AttachCdrom('E', K818r("1.01"));
       pc.AttachCdrom('G', K818r("2.03"));
     },
     2,
     {{"QUAV    OD-K818R", "1.01", "E:"}, {"QUAV    OD-K818R", "2.03", "G:"}}},
    {"UnknownRevisionOverwrittenByNextDrive",
     sim::WindowsVersion::kWinXp,
     [](sim::SimPc& pc) {
       pc.AttachCdrom('E', K818r("1.16"));
       pc.AttachCdrom('G', K818r("1.01"));
     },
     1,
     {{"QUAV    OD-K818R", "1.01", "G:"}}},
    {"UnknownRevisionRecordedButNotCounted",
     sim::WindowsVersion::kWinXp,
     [](sim::SimPc& pc) { pc.AttachCdrom('E', K818r("1.16")); },
     0,
     {{"QUAV    OD-K818R", "1.16", "E:"}}},
    {"FifthDriveNotCountedOnPassThrough",
     sim::WindowsVersion::kWinXp,
     [](sim::SimPc& pc) {
       for (char letter : {'D', 'E', 'F', 'G', 'H'}) pc.AttachCdrom(letter, K818r("1.05"));
     },
     4,
     {{"QUAV    OD-K818R", "1.05", "D:"},
      {"QUAV    OD-K818R", "1.05", "E:"},
      {"QUAV    OD-K818R", "1.05", "F:"},
      {"QUAV    OD-K818R", "1.05", "G:"},
      {"QUAV    OD-K818R", "1.05", "H:"}}},
    {"LongerProductTrimmed",
     sim::WindowsVersion::kWinXp,
     [](sim::SimPc& pc) { pc.AttachCdrom('E', K818r("1.01", "OD-K818R-EXTRA  ")); },
     1,
     {{"QUAV    OD-K818R-EXTRA", "1.01", "E:"}}},
    {"LowerCaseVendorRejected",
     sim::WindowsVersion::kWinXp,
     [](sim::SimPc& pc) { pc.AttachCdrom('E', K818r("1.01", "OD-K818R", "quav")); },
     0,
     {}},
    {"ForeignCdromIgnored",
     sim::WindowsVersion::kWinXp,
     [](sim::SimPc& pc) {
       pc.AttachCdrom('D', Foreign());
       pc.AttachCdrom('E', K818r());
     },
     1,
     {{"QUAV    OD-K818R", "1.01", "E:"}}},
    {"ZNeverExamined",
     sim::WindowsVersion::kWinXp,
     [](sim::SimPc& pc) { pc.AttachCdrom('Z', K818r()); },
     0,
     {}},
    {"UnopenableLetterSkipped",
     sim::WindowsVersion::kWinXp,
     [](sim::SimPc& pc) {
       pc.AttachCdrom('D', K818r("1.00"));
       pc.FailOpen('D');
       pc.AttachCdrom('E', K818r("1.02"));
     },
     1,
     {{"QUAV    OD-K818R", "1.02", "E:"}}},
    {"Windows98LetterFollowsForeignDevice",
     sim::WindowsVersion::kWin98,
     [](sim::SimPc& pc) {
       pc.SetDriveType('D', platform::kDriveCdrom);
       pc.SetDriveType('E', platform::kDriveCdrom);
       pc.Aspi().Attach(0, 0, 0, Foreign());
       pc.Aspi().Attach(0, 1, 0, K818r("1.10"));
     },
     1,
     {{"QUAV    OD-K818R", "1.10", "E:"}}},
    {"Windows98DiskPassedBy",
     sim::WindowsVersion::kWin98,
     [](sim::SimPc& pc) {
       pc.SetDriveType('D', platform::kDriveCdrom);
       pc.Aspi().Attach(0, 0, 0, std::make_shared<sim::DiskDevice>());
       pc.Aspi().Attach(1, 3, 1, K818r("2.00"));
     },
     1,
     {{"QUAV    OD-K818R", "2.00", "D:"}}},
    {"Windows98WithoutCdromLetterRecordsNoLetter",
     sim::WindowsVersion::kWin98,
     [](sim::SimPc& pc) { pc.Aspi().Attach(0, 1, 0, K818r()); },
     1,
     {{"QUAV    OD-K818R", "1.01", ""}}},
};

void PrintTo(const ScanCase& c, std::ostream* out) {
  *out << c.name;
}

class ScanTable : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanTable, RecordsAndCountsDrives) {
  const ScanCase& c = GetParam();
  sim::SimPc pc(c.windows);
  c.setup(pc);
  CAtapi atapi(pc);

  EXPECT_EQ(atapi.DriveCount(), c.count);
  for (size_t row = 0; row < c.rows.size(); ++row) {
    SCOPED_TRACE("row " + std::to_string(row));
    EXPECT_EQ(atapi.Drive(static_cast<int>(row)).identification, c.rows[row].identification);
    EXPECT_EQ(atapi.Drive(static_cast<int>(row)).revision, c.rows[row].revision);
    EXPECT_EQ(atapi.Drive(static_cast<int>(row)).driveLetter, c.rows[row].letter);
  }
  // Only the counted drives keep their device open; nothing is closed twice.
  if (sim::IsNtFamily(c.windows)) {
    EXPECT_EQ(pc.OpenDeviceHandles(), c.count);
  }
  EXPECT_EQ(pc.BadCloses(), 0);
  EXPECT_TRUE(pc.MessageBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Scans, ScanTable, ::testing::ValuesIn(kScanCases),
                         [](const ::testing::TestParamInfo<ScanCase>& param) {
                           return std::string(param.param.name);
                         });

TEST(Scan, ZIsNeverOpened) {
  sim::SimPc pc(sim::WindowsVersion::kWinXp);
  pc.AttachCdrom('Z', K818r());
  CAtapi atapi(pc);
  EXPECT_EQ(pc.OpenDeviceCalls(), 0);
}

TEST(Scan, CommandsGoToRowZeroAfterConstruction) {
  sim::SimPc pc(sim::WindowsVersion::kWinXp);
  pc.AttachCdrom('E', K818r());
  pc.AttachCdrom('G', K818r());
  CAtapi atapi(pc);
  pc.Log().Clear();

  atapi.TestUnitReady();
  atapi.SelectDrive(1);
  atapi.TestUnitReady();

  ASSERT_EQ(pc.Log().Commands().size(), 2u);
  EXPECT_EQ(pc.Log().Commands()[0].passThrough.driveLetter, 'E');
  EXPECT_EQ(pc.Log().Commands()[1].passThrough.driveLetter, 'G');
}

TEST(Scan, AspiSelectionAddressesTheChosenDrive) {
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  pc.SetDriveType('D', platform::kDriveCdrom);
  pc.Aspi().Attach(0, 2, 0, K818r());
  pc.Aspi().Attach(1, 5, 3, K818r());
  CAtapi atapi(pc);
  ASSERT_EQ(atapi.DriveCount(), 2);
  pc.Log().Clear();

  atapi.SelectDrive(1);
  atapi.TestUnitReady();

  ASSERT_EQ(pc.Log().Commands().size(), 1u);
  const sim::AspiFields& sent = pc.Log().Commands()[0].aspi;
  EXPECT_EQ(sent.haId, 1);
  EXPECT_EQ(sent.target, 5);
  EXPECT_EQ(sent.lun, 3);
}

TEST(Scan, AspiSweepsEveryAddressOfEveryAdapter) {
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  pc.Aspi().SetAdapterCount(2);
  CAtapi atapi(pc);
  const auto& requests = pc.Log().DevTypeRequests();
  ASSERT_EQ(requests.size(), 2u * 8 * 8);
  EXPECT_EQ(requests[1].lun, 1);  // LUN innermost
  EXPECT_EQ(requests[8].target, 1);
  EXPECT_EQ(requests[64].haId, 1);
  EXPECT_EQ(requests[0].flags, 0);
}

TEST(Scan, AspiNeverWritesPastTheTable) {
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  pc.SetDriveType('D', platform::kDriveCdrom);
  for (int ha = 0; ha < 2; ++ha) {
    for (int target = 0; target < 8; ++target) {
      for (int lun = 0; lun < 3; ++lun) pc.Aspi().Attach(ha, target, lun, K818r());
    }
  }
  CAtapi atapi(pc);  // 48 matching drives; ASan reports any write past row 29
  EXPECT_EQ(atapi.DriveCount(), kMaxDrives);
}

TEST(Scan, AspiDeviceTypeThatNeverAnswersIsGivenUpAfterThirtySeconds) {
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  pc.SetDriveType('D', platform::kDriveCdrom);
  pc.Aspi().Attach(0, 0, 0, K818r("1.00"));
  pc.Aspi().SetDevTypePendingPolls(0, 0, 0, sim::AspiManager::kPendingForever);
  pc.Aspi().Attach(0, 1, 0, K818r("1.03"));
  CAtapi atapi(pc);

  ASSERT_EQ(atapi.DriveCount(), 1);
  EXPECT_STREQ(atapi.Drive(0).revision, "1.03");
  EXPECT_GE(pc.Clock().NowUs(), 30'000'000u);
  EXPECT_LT(pc.Clock().NowUs(), 32'000'000u);
  EXPECT_GT(pc.PumpCount(), 0);
}

TEST(Scan, AspiDeviceTypePollNeedsNoPerformanceCounter) {
  // Some Windows 98 machines have no high-resolution counter: its
  // frequency reads 0.
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  pc.Clock().SetPerformanceFrequency(0);
  pc.Aspi().Attach(0, 0, 0, K818r("1.00"));
  pc.Aspi().SetDevTypePendingPolls(0, 0, 0, 3);
  pc.Aspi().Attach(0, 1, 0, Foreign());
  pc.Aspi().SetDevTypePendingPolls(0, 1, 0, sim::AspiManager::kPendingForever);
  CAtapi atapi(pc);
  EXPECT_EQ(atapi.DriveCount(), 1);
  EXPECT_GE(pc.Clock().NowUs(), 30'000'000u);
}

TEST(Scan, AspiDeviceTypeAnsweredAfterSomePollsIsScanned) {
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  pc.Aspi().Attach(0, 4, 0, K818r());
  pc.Aspi().SetDevTypePendingPolls(0, 4, 0, 3);
  CAtapi atapi(pc);
  EXPECT_EQ(atapi.DriveCount(), 1);
  EXPECT_GE(pc.PumpCount(), 3);
}

TEST(Scan, DeviceErrorDuringPassThroughScanShowsItsTextOncePerLetter) {
  sim::SimPc pc(sim::WindowsVersion::kWinXp);
  auto broken = K818r();
  broken->AddFault(sim::Fault::TransportError(sim::CommandKind::kInquiry, 1, 5));
  pc.AttachCdrom('D', broken);
  pc.AttachCdrom('E', K818r());
  CAtapi atapi(pc);

  EXPECT_EQ(atapi.DriveCount(), 1);
  EXPECT_STREQ(atapi.Drive(0).driveLetter, "E:");
  ASSERT_EQ(pc.MessageBoxes().size(), 1u);
  EXPECT_EQ(pc.MessageBoxes()[0].text, "Access is denied.\r\n\n");
}

TEST(IsKnownRevision, PrefixOfAKnownEntry) {
  for (const char* accepted : {"1.00", "1.15", "2.00", "2.03", "1.0", "2", ""}) {
    EXPECT_TRUE(CAtapi::IsKnownRevision(accepted)) << '"' << accepted << '"';
  }
  for (const char* rejected : {"1.16", "1.99", "2.04", "1.05A", "3", "1.0 "}) {
    EXPECT_FALSE(CAtapi::IsKnownRevision(rejected)) << '"' << rejected << '"';
  }
}

TEST(Scan, RevisionWithNulIsComparedUpToIt) {
  // "1.0\0" reads as the prefix "1.0", which the list accepts.
  sim::SimPc pc(sim::WindowsVersion::kWinXp);
  pc.AttachCdrom('E', K818r(std::string("1.0\0", 4)));
  CAtapi atapi(pc);
  EXPECT_EQ(atapi.DriveCount(), 1);
  EXPECT_STREQ(atapi.Drive(0).revision, "1.0");
}

}  // namespace
