#include <gtest/gtest.h>

#include <cstring>

#include "sim/AspiManager.h"
#include "sim/GenericDevices.h"
#include "sim/K818rDrive.h"
#include "sim/SimPc.h"
#include "tests/sim/Cdbs.h"

namespace {

using sim::CommandKind;
using sim::Completion;
using sim::Fault;

constexpr uint64_t kMs = 1000;
constexpr uint64_t kSecond = 1'000'000;

class AspiTest : public ::testing::Test {
 protected:
  AspiTest() {
    pc.Aspi().Attach(0, 0, 0, std::make_shared<sim::DiskDevice>());
    pc.Aspi().Attach(0, 1, 0, drive);
  }

  // Fills the block the way the kit's transport does.
  void Prepare(const sim::Cdb& cdb, void* buffer, uint32_t length, uint8_t direction,
               platform::Handle event) {
    srb.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
    srb.SRB_HaId = 0;
    srb.SRB_Flags = static_cast<uint8_t>(direction | aspi::SRB_EVENT_NOTIFY);
    srb.SRB_Target = 1;
    srb.SRB_Lun = 0;
    srb.SRB_BufLen = length;
    srb.SRB_BufPointer = static_cast<uint8_t*>(buffer);
    srb.SRB_SenseLen = aspi::SENSE_LEN;
    srb.SRB_CDBLen = 12;
    srb.SRB_PostProc = event;
    std::memcpy(srb.CDBByte, cdb.data(), 12);
  }
  uint8_t Send() { return static_cast<uint8_t>(pc.Aspi().SendASPI32Command(&srb)); }

  sim::SimPc pc{sim::WindowsVersion::kWin98};
  std::shared_ptr<sim::K818rDrive> drive = std::make_shared<sim::K818rDrive>();
  aspi::SRB_ExecSCSICmd srb{};
};

TEST(AspiSupportInfo, LowByteCountsAdaptersNextByteIsTheStatus) {
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  EXPECT_EQ(pc.Aspi().GetASPI32SupportInfo(), 0xE800u) << "no adapters";
  pc.Aspi().Attach(1, 0, 0, std::make_shared<sim::ForeignCdrom>());
  EXPECT_EQ(pc.Aspi().GetASPI32SupportInfo(), 0x0102u);
}

TEST_F(AspiTest, DeviceTypeScanSeesDevicesEmptySlotsAndBadAdapters) {
  struct Case {
    uint8_t ha, target, lun;
    uint8_t status, type;
  };
  const Case cases[] = {
      {0, 0, 0, aspi::SS_COMP, aspi::DTYPE_DASD}, {0, 1, 0, aspi::SS_COMP, aspi::DTYPE_CDROM},
      {0, 1, 1, aspi::SS_NO_DEVICE, 0xEE},        {0, 7, 7, aspi::SS_NO_DEVICE, 0xEE},
      {1, 0, 0, aspi::SS_INVALID_HA, 0xEE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int{c.ha} << ":" << int{c.target} << ":" << int{c.lun});
    aspi::SRB_GDEVBlock block{aspi::SC_GET_DEV_TYPE, 0xFF, c.ha, 0, 0, c.target, c.lun, 0xEE, 0};
    EXPECT_EQ(pc.Aspi().SendASPI32Command(&block), c.status);
    EXPECT_EQ(block.SRB_Status, c.status);
    if (c.status == aspi::SS_COMP) {
      EXPECT_EQ(block.SRB_DeviceType, c.type);
    }
  }
  ASSERT_EQ(pc.Log().DevTypeRequests().size(), 5u);
  EXPECT_EQ(pc.Log().DevTypeRequests()[1].target, 1);
  EXPECT_EQ(pc.Log().DevTypeRequests()[1].status, aspi::SS_COMP);
  EXPECT_TRUE(pc.Log().Commands().empty()) << "GET_DEV_TYPE is no device command";
}

TEST_F(AspiTest, DeviceTypeStaysPendingForTheScriptedNumberOfPolls) {
  pc.Aspi().SetDevTypePendingPolls(0, 1, 0, 3);
  pc.Aspi().SetDevTypePendingPolls(0, 2, 0, sim::AspiManager::kPendingForever);
  aspi::SRB_GDEVBlock slow{aspi::SC_GET_DEV_TYPE, 0xFF, 0, 0, 0, 1, 0, 0xEE, 0};
  aspi::SRB_GDEVBlock stuck{aspi::SC_GET_DEV_TYPE, 0xFF, 0, 0, 0, 2, 0, 0xEE, 0};
  pc.Aspi().SendASPI32Command(&slow);
  pc.Aspi().SendASPI32Command(&stuck);
  int polls = 0;
  while (slow.SRB_Status == aspi::SS_PENDING && polls < 100) {
    pc.PumpOneMessage();
    ++polls;
  }
  EXPECT_EQ(polls, 3);
  EXPECT_EQ(slow.SRB_Status, aspi::SS_COMP);
  EXPECT_EQ(slow.SRB_DeviceType, aspi::DTYPE_CDROM);
  for (int i = 0; i < 1000; ++i) pc.PumpOneMessage();
  EXPECT_EQ(stuck.SRB_Status, aspi::SS_PENDING);
  EXPECT_EQ(pc.Aspi().PendingRequests(), 1u);
}

TEST_F(AspiTest, SynchronousCommandEndsInsideTheCallAndStillSignalsItsEvent) {
  platform::Handle event = pc.CreateManualEvent();
  uint8_t data[256] = {};
  Prepare(simtest::Inquiry(), data, 50, aspi::SRB_DIR_IN, event);
  EXPECT_EQ(Send(), aspi::SS_COMP);
  EXPECT_EQ(srb.SRB_Status, aspi::SS_COMP);
  EXPECT_EQ(srb.SRB_TargStat, 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 8), 16), "QUAV    OD-K818R");
  EXPECT_EQ(pc.Clock().NowUs(), sim::ScsiDevice::kDefaultLatencyUs);
  EXPECT_EQ(pc.WaitForObject(event, 0), platform::kWaitObject0);

  const sim::CommandRecord& record = pc.Log().Commands().at(0);
  EXPECT_EQ(record.transport, sim::Transport::kAspi);
  EXPECT_EQ(record.cdb, simtest::Inquiry());
  EXPECT_EQ(record.length, 50u);
  EXPECT_EQ(record.direction, sim::kDataIn);
  EXPECT_EQ(record.device, drive.get());
  EXPECT_EQ(record.aspi.cmd, aspi::SC_EXEC_SCSI_CMD);
  EXPECT_EQ(record.aspi.flags, 0x48);
  EXPECT_EQ(record.aspi.target, 1);
  EXPECT_EQ(record.aspi.senseLen, 14);
  EXPECT_EQ(record.aspi.cdbLen, 12);
  EXPECT_EQ(record.aspi.bufLen, 50u);
  EXPECT_TRUE(record.aspi.postProcSet);
  EXPECT_EQ(record.timeUs, 0u);
}

TEST_F(AspiTest, CheckConditionWritesSenseUpToSenseLenAndStaysUntilTheNextSense) {
  drive->AddFault(Fault::Sense(CommandKind::kTestUnitReady, 1, 0x25, 0x1A, 0x00));
  Prepare(simtest::TestUnitReady(), nullptr, 0, 0, nullptr);
  std::memset(srb.SenseArea, 0xEE, sizeof srb.SenseArea);
  EXPECT_EQ(Send(), aspi::SS_ERR);
  EXPECT_EQ(srb.SRB_TargStat, sim::kStatusCheckCondition);
  EXPECT_EQ(srb.SenseArea[2], 0x25) << "sense byte 2 as the device gave it";
  EXPECT_EQ(srb.SenseArea[12], 0x1A);
  EXPECT_EQ(srb.SenseArea[13], 0x00);
  EXPECT_EQ(srb.SenseArea[14], 0xEE) << "SRB_SenseLen is 14";

  // A good command writes no sense: the old one stays in the block.
  EXPECT_EQ(Send(), aspi::SS_COMP);
  EXPECT_EQ(srb.SRB_TargStat, 0);
  EXPECT_EQ(srb.SenseArea[2], 0x25);
}

TEST_F(AspiTest, TransportFailureIsAnErrorWithoutSense) {
  drive->AddFault(Fault::TransportError(CommandKind::kTestUnitReady, 1, 0));
  Prepare(simtest::TestUnitReady(), nullptr, 0, 0, nullptr);
  std::memset(srb.SenseArea, 0xEE, sizeof srb.SenseArea);
  EXPECT_EQ(Send(), aspi::SS_ERR);
  EXPECT_EQ(srb.SRB_TargStat, 0);
  EXPECT_EQ(srb.SenseArea[2], 0xEE);
  EXPECT_TRUE(pc.Log().Commands().at(0).transportFailed);
}

TEST_F(AspiTest, ScriptedAspiStatusReplacesTheDerivedOne) {
  Fault fault = Fault::Status(CommandKind::kInquiry, 1, sim::kStatusGood);
  fault.aspiStatus = aspi::SS_NO_DEVICE;
  drive->AddFault(fault);
  uint8_t data[64];
  Prepare(simtest::Inquiry(), data, 50, aspi::SRB_DIR_IN, nullptr);
  EXPECT_EQ(Send(), aspi::SS_NO_DEVICE);
}

TEST_F(AspiTest, PendingCommandCompletesThroughItsEventAfterTheLatency) {
  pc.Aspi().SetCompletion(0, 1, 0, Completion::kPending);
  drive->SetLatencyUs(5 * kMs);
  pc.Clock().Advance(kSecond);
  platform::Handle event = pc.CreateManualEvent();
  uint8_t data[64] = {};
  Prepare(simtest::Inquiry(), data, 50, aspi::SRB_DIR_IN, event);
  EXPECT_EQ(Send(), aspi::SS_PENDING);
  EXPECT_EQ(srb.SRB_Status, aspi::SS_PENDING);
  EXPECT_EQ(pc.Clock().NowUs(), kSecond) << "the call itself takes no time";
  EXPECT_EQ(pc.WaitForObject(event, 30000), platform::kWaitObject0);
  EXPECT_EQ(pc.Clock().NowUs(), kSecond + 5 * kMs);
  EXPECT_EQ(srb.SRB_Status, aspi::SS_COMP);
  EXPECT_EQ(pc.Aspi().PendingRequests(), 0u);
}

TEST_F(AspiTest, NeverEndingCommandTimesOutAndIsAborted) {
  drive->AddFault(Fault::CompleteAs(CommandKind::kClosing, 1, Completion::kNever));
  platform::Handle event = pc.CreateManualEvent();
  Prepare(simtest::WriteBlock(5, 0xE4, 0, 0x1234), nullptr, 0, aspi::SRB_DIR_OUT, event);
  EXPECT_EQ(Send(), aspi::SS_PENDING);
  EXPECT_EQ(pc.WaitForObject(event, 30000), platform::kWaitTimeout);
  EXPECT_EQ(pc.Clock().NowUs(), 30 * kSecond);
  pc.CloseHandle(event);

  aspi::SRB_Abort abort{aspi::SC_ABORT_SRB, 0xFF, 0, 0, 0, &srb};
  EXPECT_EQ(pc.Aspi().SendASPI32Command(&abort), aspi::SS_COMP);
  EXPECT_EQ(srb.SRB_Status, aspi::SS_ABORTED);
  ASSERT_EQ(pc.Log().Aborts().size(), 1u);
  EXPECT_EQ(pc.Log().Aborts()[0].toAbort, &srb);
  EXPECT_TRUE(pc.Log().Aborts()[0].foundPending);
  EXPECT_EQ(pc.Log().Aborts()[0].timeUs, 30 * kSecond);
  EXPECT_EQ(pc.Aspi().PendingRequests(), 0u);
  EXPECT_EQ(drive->Closings().size(), 1u) << "the drive got the command; the host never heard";
}

TEST_F(AspiTest, SlowCompletionAfterAnAbortChangesNothing) {
  pc.Aspi().SetCompletion(0, 1, 0, Completion::kPending);
  drive->AddFault(Fault::Slow(CommandKind::kTestUnitReady, 1, 40 * kSecond));
  platform::Handle event = pc.CreateManualEvent();
  Prepare(simtest::TestUnitReady(), nullptr, 0, 0, event);
  Send();
  EXPECT_EQ(pc.WaitForObject(event, 30000), platform::kWaitTimeout);
  pc.CloseHandle(event);
  aspi::SRB_Abort abort{aspi::SC_ABORT_SRB, 0xFF, 0, 0, 0, &srb};
  pc.Aspi().SendASPI32Command(&abort);
  pc.SleepFor(20000);
  EXPECT_EQ(srb.SRB_Status, aspi::SS_ABORTED);
  EXPECT_EQ(pc.LateSignals(), 0);
}

TEST_F(AspiTest, AbortOfAnUnknownRequestFails) {
  aspi::SRB_Abort abort{aspi::SC_ABORT_SRB, 0xFF, 0, 0, 0, &srb};
  EXPECT_NE(pc.Aspi().SendASPI32Command(&abort), aspi::SS_COMP);
  ASSERT_EQ(pc.Log().Aborts().size(), 1u);
  EXPECT_FALSE(pc.Log().Aborts()[0].foundPending);
}

TEST_F(AspiTest, BadAddressesAndCommandsAreRefusedWithoutReachingADevice) {
  Prepare(simtest::TestUnitReady(), nullptr, 0, 0, nullptr);
  srb.SRB_Target = 3;
  EXPECT_EQ(Send(), aspi::SS_NO_DEVICE);
  srb.SRB_HaId = 2;
  EXPECT_EQ(Send(), aspi::SS_INVALID_HA);
  srb.SRB_Cmd = 0x07;
  EXPECT_EQ(Send(), aspi::SS_INVALID_CMD);
  EXPECT_TRUE(pc.Log().Commands().empty());
}

TEST_F(AspiTest, AdapterInquiryNamesTheManager) {
  aspi::SRB_HAInquiry inquiry{};
  inquiry.SRB_Cmd = aspi::SC_HA_INQUIRY;
  EXPECT_EQ(pc.Aspi().SendASPI32Command(&inquiry), aspi::SS_COMP);
  EXPECT_EQ(inquiry.HA_Count, 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(inquiry.HA_ManagerId), 14), "ASPI for WIN32");
  inquiry.SRB_HaId = 1;
  EXPECT_EQ(pc.Aspi().SendASPI32Command(&inquiry), aspi::SS_INVALID_HA);
}

}  // namespace
