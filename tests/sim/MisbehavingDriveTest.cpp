// A misbehaving OD-K818R as the scenario text scripts it, seen through both
// transports: what the ASPI manager and the pass-through port report.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/AspiRecords.h"
#include "platform/PassThroughRecords.h"
#include "sim/K818rDrive.h"
#include "sim/Scenario.h"
#include "sim/SimPc.h"
#include "tests/sim/Cdbs.h"

namespace {

constexpr uint64_t kMs = 1000;

struct Seen {
  // ASPI
  uint8_t srbStatus = 0;
  uint8_t haStat = 0;
  uint8_t targStat = 0;
  uint8_t aspiSenseKey = 0;
  // pass-through
  bool callOk = false;
  uint32_t error = 0;
  uint8_t scsiStatus = 0;
  uint32_t transferred = 0;
  uint8_t senseKey = 0;
};

std::shared_ptr<sim::K818rDrive> DriveOf(const std::string& lines) {
  sim::Scenario scenario;
  std::string error;
  EXPECT_TRUE(sim::ParseScenario("aspi ha=0 target=1 lun=0 k818r\n" + lines, scenario, &error))
      << error;
  return std::dynamic_pointer_cast<sim::K818rDrive>(scenario.devices.at(0).device);
}

// One READ FLASH PAGE of bank 0 on each transport, each on a fresh drive.
Seen ReadPageBothWays(const std::string& lines, uint8_t* aspiPage, uint8_t* ptPage) {
  Seen seen;
  {
    sim::SimPc pc(sim::WindowsVersion::kWin98);
    pc.Aspi().Attach(0, 1, 0, DriveOf(lines));
    aspi::SRB_ExecSCSICmd srb{};
    srb.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
    srb.SRB_Target = 1;
    srb.SRB_Flags = aspi::SRB_DIR_IN;
    srb.SRB_BufLen = 256;
    srb.SRB_BufPointer = aspiPage;
    srb.SRB_SenseLen = aspi::SENSE_LEN;
    srb.SRB_CDBLen = 12;
    const sim::Cdb cdb = simtest::ReadPage(0, 0);
    std::memcpy(srb.CDBByte, cdb.data(), 12);
    pc.Aspi().SendASPI32Command(&srb);
    seen.srbStatus = srb.SRB_Status;
    seen.haStat = srb.SRB_HaStat;
    seen.targStat = srb.SRB_TargStat;
    seen.aspiSenseKey = srb.SenseArea[2];
  }
  sim::SimPc pc(sim::WindowsVersion::kWinXp);
  pc.AttachCdrom('E', DriveOf(lines));
  platform::Handle device = pc.OpenDevice("\\\\.\\E:");
  passthrough::PassThroughRecord record{};
  record.sptd.Length = sizeof(passthrough::SCSI_PASS_THROUGH_DIRECT);
  record.sptd.CdbLength = 12;
  record.sptd.SenseInfoLength = 24;
  record.sptd.DataIn = passthrough::SCSI_IOCTL_DATA_IN;
  record.sptd.DataTransferLength = 256;
  record.sptd.TimeOutValue = 60;
  record.sptd.DataBuffer = ptPage;
  record.sptd.SenseInfoOffset = passthrough::kSenseBufferOffset;
  const sim::Cdb cdb = simtest::ReadPage(0, 0);
  std::memcpy(record.sptd.Cdb, cdb.data(), 12);
  uint32_t returned = 0;
  seen.callOk = pc.DeviceControl(device, passthrough::IOCTL_SCSI_PASS_THROUGH_DIRECT, &record,
                                 sizeof record, &record, sizeof record, &returned);
  seen.error = seen.callOk ? 0 : pc.LastError();
  seen.scsiStatus = record.sptd.ScsiStatus;
  seen.transferred = record.sptd.DataTransferLength;
  seen.senseKey = record.SenseBuf[2];
  pc.CloseHandle(device);
  return seen;
}

TEST(MisbehavingDrive, EachCommandBehaviourOnBothTransports) {
  const struct {
    const char* lines;
    Seen expected;
  } rows[] = {
      {"", {0x01, 0, 0, 0, true, 0, 0, 256, 0}},
      {"fault readpage status=8", {0x04, 0, 0x08, 0, true, 0, 0x08, 0, 0}},
      {"fault readpage sense=0B/47/00", {0x04, 0, 0x02, 0x0B, true, 0, 0x02, 0, 0x0B}},
      {"fault readpage hastat=0x11", {0x04, 0x11, 0, 0, false, 1117, 0, 256, 0}},
      {"fault readpage aborted", {0x02, 0, 0, 0, false, 1117, 0, 256, 0}},
      {"fault readpage offbus", {0x82, 0x11, 0, 0, false, 55, 0, 256, 0}},
      {"fault readpage offbus error=21", {0x82, 0x11, 0, 0, false, 21, 0, 256, 0}},
      {"fault readpage transport error=5", {0x04, 0, 0, 0, false, 5, 0, 256, 0}},
      {"fault readpage transport error=121 aspistatus=0x82",
       {0x82, 0, 0, 0, false, 121, 0, 256, 0}},
      {"fault readpage short=100", {0x01, 0, 0, 0, true, 0, 0, 100, 0}},
      {"fault readpage flip=0x01 byte=3", {0x01, 0, 0, 0, true, 0, 0, 256, 0}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.lines);
    uint8_t aspiPage[256], ptPage[256];
    std::memset(aspiPage, 0xEE, sizeof aspiPage);
    std::memset(ptPage, 0xEE, sizeof ptPage);
    const Seen seen = ReadPageBothWays(row.lines, aspiPage, ptPage);
    const Seen& want = row.expected;
    EXPECT_EQ(seen.srbStatus, want.srbStatus);
    EXPECT_EQ(seen.haStat, want.haStat);
    EXPECT_EQ(seen.targStat, want.targStat);
    EXPECT_EQ(seen.aspiSenseKey, want.aspiSenseKey);
    EXPECT_EQ(seen.callOk, want.callOk);
    EXPECT_EQ(seen.error, want.error);
    EXPECT_EQ(seen.scsiStatus, want.scsiStatus);
    if (seen.callOk) {
      EXPECT_EQ(seen.transferred, want.transferred);
    }
    EXPECT_EQ(seen.senseKey, want.senseKey);
    // The old firmware reads as zeros: what arrived, and what did not.
    const std::string lines = row.lines;
    if (lines.find("short") != std::string::npos) {
      EXPECT_EQ(ptPage[99], 0);
      EXPECT_EQ(ptPage[100], 0xEE) << "bytes past the residual are left alone";
    } else if (lines.find("flip") != std::string::npos) {
      EXPECT_EQ(aspiPage[3], 0x01);
      EXPECT_EQ(ptPage[3], 0x01);
      EXPECT_EQ(ptPage[4], 0);
    }
  }
}

// After its closing command the drive restarts: gone, unit attention, not
// ready, ready.
TEST(MisbehavingDrive, RestartsAfterTheClosingCommand) {
  sim::Scenario scenario;
  std::string error;
  ASSERT_TRUE(sim::ParseScenario(
      "letter E: k818r offbus=5000 offbuserror=21 attention notready=8000", scenario, &error))
      << error;
  auto drive = std::dynamic_pointer_cast<sim::K818rDrive>(scenario.devices.at(0).device);
  const uint64_t closedAt = 1000 * kMs;
  ASSERT_EQ(drive
                ->Execute(simtest::Command(simtest::WriteBlock(4, 0xE0, 0, 0), nullptr, 0,
                                           sim::kDataNone, closedAt))
                .status,
            sim::kStatusGood);
  const struct {
    uint64_t afterMs;
    bool gone;
    uint8_t key, asc;
  } steps[] = {
      {1, true, 0, 0},           {4999, true, 0, 0},        {5000, false, 0x06, 0x29},
      {5001, false, 0x02, 0x04}, {7999, false, 0x02, 0x04}, {8000, false, 0, 0},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.afterMs);
    const sim::ScsiResult result = drive->Execute(simtest::Command(
        simtest::TestUnitReady(), nullptr, 0, sim::kDataNone, closedAt + step.afterMs * kMs));
    EXPECT_EQ(result.transportFailed, step.gone);
    if (step.gone) {
      EXPECT_EQ(result.transportError, sim::kErrorNotReady);
      EXPECT_EQ(result.aspiStatus, aspi::SS_NO_DEVICE);
      EXPECT_EQ(result.latencyUs, 250 * kMs) << "a selection time-out";
    } else {
      EXPECT_EQ(result.status, step.key == 0 ? sim::kStatusGood : sim::kStatusCheckCondition);
      EXPECT_EQ(result.sense[2], step.key);
      EXPECT_EQ(result.sense[12], step.asc);
    }
  }
}

TEST(MisbehavingDrive, WritesThatStoreOtherBytesAndContentThatSumsRightByAccident) {
  const std::vector<uint8_t> block(600, 0x21);
  const struct {
    const char* lines;
    uint32_t at;
    uint8_t stored;
    bool sameSum;
  } rows[] = {
      {"fault write flip=0x80 byte=3", 3, 0xA1, false},
      {"fault write short=10", 10, 0x00, false},
      {"fault write drop", 0, 0x00, false},
      {"fault samesum bank=0 offset=0x20", 0x20, 0x22, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.lines);
    auto drive = DriveOf(row.lines);
    std::vector<uint8_t> data = block;
    const sim::ScsiResult written = drive->Execute(
        simtest::Command(simtest::WriteBlock(5, 0, 600, 0), data.data(), 600, sim::kDataOut));
    EXPECT_EQ(written.status, sim::kStatusGood) << "every one reports good";
    EXPECT_EQ(data, block) << "the host's buffer is not touched";
    drive->Execute(
        simtest::Command(simtest::WriteBlock(4, 0xE1, 0, 0), nullptr, 0, sim::kDataNone));
    EXPECT_EQ(drive->Bank(0)[row.at], row.stored);
    EXPECT_EQ(drive->ReadBackSum(1) == uint16_t(600 * 0x21), row.sameSum);
  }
}

}  // namespace
