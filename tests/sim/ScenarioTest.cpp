#include <gtest/gtest.h>

#include "sim/GenericDevices.h"
#include "sim/K818rDrive.h"
#include "sim/Scenario.h"
#include "sim/SimPc.h"

namespace {

using sim::CommandKind;
using sim::FaultAction;

TEST(Scenario, BuildsAPcFromDeviceAndFaultLines) {
  const std::string text = R"(
# a Windows 98 machine: a foreign drive first, then the K818R
os win98
aspi ha=0 target=0 lun=0 cdrom vendor=OTHERCO product="CD-ROM 52X"
aspi ha=0 target=1 lun=0 k818r name=drive1 revision="1.0\0" typecode=W0 completion=pending
fault closing nth=1 count=2 sense=05/1A/00
aspi ha=1 target=2 lun=0 disk latency=3
fault tur every transport error=1117 fill   # goes to the disk
letter D: device=drive1 target=1
letter C: fixed
fault device=drive1 neverready
)";
  sim::Scenario scenario;
  std::string error;
  ASSERT_TRUE(sim::ParseScenario(text, scenario, &error)) << error;
  sim::SimPc pc;
  sim::ApplyScenario(scenario, pc);

  platform::OsVersion version;
  pc.QueryVersion(version);
  EXPECT_EQ(version.platformId, platform::kPlatformWin32Windows);
  EXPECT_EQ(pc.Aspi().AdapterCount(), 2);

  auto* cdrom = dynamic_cast<sim::ForeignCdrom*>(pc.Aspi().DeviceAt(0, 0, 0));
  ASSERT_NE(cdrom, nullptr);
  EXPECT_EQ(cdrom->Identity().product, "CD-ROM 52X");

  auto* drive = dynamic_cast<sim::K818rDrive*>(pc.Aspi().DeviceAt(0, 1, 0));
  ASSERT_NE(drive, nullptr);
  EXPECT_EQ(drive->Config().revision, std::string("1.0\0", 4));
  EXPECT_EQ(drive->Config().typeCode, "W0");
  ASSERT_EQ(drive->Faults().size(), 2u);
  EXPECT_EQ(drive->Faults()[0].kind, CommandKind::kClosing);
  EXPECT_EQ(drive->Faults()[0].count, 2);
  EXPECT_EQ(drive->Faults()[0].senseKey, 0x05);
  EXPECT_EQ(drive->Faults()[0].asc, 0x1A);
  EXPECT_EQ(drive->Faults()[1].action, FaultAction::kNeverReady);

  sim::ScsiDevice* disk = pc.Aspi().DeviceAt(1, 2, 0);
  ASSERT_NE(disk, nullptr);
  EXPECT_EQ(disk->DeviceType(), 0);
  EXPECT_EQ(disk->LatencyUs(), 3000u);
  ASSERT_EQ(disk->Faults().size(), 1u);
  EXPECT_EQ(disk->Faults()[0].action, FaultAction::kTransportError);
  EXPECT_EQ(disk->Faults()[0].count, 0);
  EXPECT_TRUE(disk->Faults()[0].fillRecord);

  EXPECT_EQ(pc.DriveType("D:\\"), platform::kDriveCdrom);
  EXPECT_EQ(pc.DriveType("C:\\"), platform::kDriveFixed);

  // The pending completion chosen for the K818R holds: the request is left pending.
  aspi::SRB_ExecSCSICmd srb{};
  srb.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
  srb.SRB_Target = 1;
  srb.SRB_CDBLen = 12;
  EXPECT_EQ(pc.Aspi().SendASPI32Command(&srb), aspi::SS_PENDING);
}

TEST(Scenario, FaultLines) {
  struct Case {
    const char* line;
    CommandKind kind;
    FaultAction action;
    int nth, count, position;
  };
  const Case cases[] = {
      {"closing nth=1 status=2 sense=05/1A/00", CommandKind::kClosing, FaultAction::kStatus, 1, 1,
       0},
      {"tur status=8", CommandKind::kTestUnitReady, FaultAction::kStatus, 1, 1, 0},
      {"inquiry every transport error=121", CommandKind::kInquiry, FaultAction::kTransportError, 1,
       0, 0},
      {"write nth=3 drop", CommandKind::kWriteBlock, FaultAction::kDropWrite, 3, 1, 0},
      {"at=7 sense=02/04/01", CommandKind::kAny, FaultAction::kStatus, 1, 1, 7},
      {"readpage nth=0x10 count=4 completion=never", CommandKind::kReadFlashPage,
       FaultAction::kCompletion, 16, 4, 0},
      {"closing latency=40000", CommandKind::kClosing, FaultAction::kLatency, 1, 1, 0},
      {"nodisc", CommandKind::kAny, FaultAction::kNoDisc, 1, 1, 0},
      {"corrupt bank=1 offset=0x100 xor=0x01", CommandKind::kAny, FaultAction::kCorruptBank, 1, 1,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    sim::Fault fault;
    std::string error;
    ASSERT_TRUE(sim::ParseFault(c.line, fault, &error)) << error;
    EXPECT_EQ(fault.kind, c.kind);
    EXPECT_EQ(fault.action, c.action);
    EXPECT_EQ(fault.nth, c.nth);
    EXPECT_EQ(fault.count, c.count);
    EXPECT_EQ(fault.position, c.position);
  }

  sim::Fault fault;
  ASSERT_TRUE(sim::ParseFault("closing sense=05/1A/00", fault, nullptr));
  EXPECT_EQ(fault.status, 2) << "sense alone means CHECK CONDITION";
  ASSERT_TRUE(sim::ParseFault("closing latency=40000", fault, nullptr));
  EXPECT_EQ(fault.latencyUs, 40'000'000u);
  ASSERT_TRUE(sim::ParseFault("corrupt bank=1 offset=0x100 xor=0x01", fault, nullptr));
  EXPECT_EQ(fault.bank, 1);
  EXPECT_EQ(fault.offset, 0x100u);
  EXPECT_EQ(fault.xorMask, 0x01);
}

TEST(Scenario, ErrorsNameTheLine) {
  const char* bad[] = {
      "fault closing",                                 // no action
      "fault closing sense=5/1A",                      // two parts
      "fault closing sense=05/1A/00 drop",             // two actions
      "fault closing nth=x status=2",                  // not a number
      "fault tur status=2",                            // no device yet
      "aspi ha=0 target=8 lun=0 k818r",                // target out of range
      "aspi ha=0 lun=0 k818r",                         // no target
      "aspi ha=0 target=1 lun=0 floppy",               // unknown model
      "letter EE: k818r",                              // not a letter
      "letter E: device=nobody",                       // unknown name
      "os win31",                                      // unknown system
      "aspi ha=0 target=1 lun=0 cdrom vendor=\"QUAV",  // open quote
  };
  for (const char* line : bad) {
    sim::Scenario scenario;
    std::string error;
    EXPECT_FALSE(sim::ParseScenario(std::string("# first\n") + line, scenario, &error)) << line;
    EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
  }
}

TEST(Scenario, QuotedValuesKeepBlanksAndEscapes) {
  sim::Scenario scenario;
  std::string error;
  ASSERT_TRUE(sim::ParseScenario(
      "letter E: k818r vendor=\"QUAV    \" product=\"OD-K818R-EXTRA  \" revision=1.\\x300\n",
      scenario, &error))
      << error;
  auto* drive = dynamic_cast<sim::K818rDrive*>(scenario.devices.at(0).device.get());
  ASSERT_NE(drive, nullptr);
  EXPECT_EQ(drive->Config().vendor, "QUAV    ");
  EXPECT_EQ(drive->Config().product, "OD-K818R-EXTRA  ");
  EXPECT_EQ(drive->Config().revision, "1.00");
  EXPECT_EQ(scenario.devices.at(0).letter, 'E');
}

}  // namespace
