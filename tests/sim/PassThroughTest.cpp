#include <gtest/gtest.h>

#include <cstring>

#include "platform/PassThroughRecords.h"
#include "sim/K818rDrive.h"
#include "sim/SimPc.h"
#include "tests/sim/Cdbs.h"

namespace {

using passthrough::PassThroughRecord;
using sim::CommandKind;
using sim::Fault;

constexpr uint64_t kSecond = 1'000'000;

class PassThroughTest : public ::testing::Test {
 protected:
  PassThroughTest() {
    pc.AttachCdrom('E', drive, 1, 0);
    device = pc.OpenDevice("\\\\.\\E:");
  }

  // The record as the kit's transport fills it.
  void Prepare(const sim::Cdb& cdb, void* buffer, uint32_t length, uint8_t dataIn) {
    std::memset(&record, 0, sizeof record);
    record.sptd.Length = sizeof(passthrough::SCSI_PASS_THROUGH_DIRECT);
    record.sptd.CdbLength = 12;
    record.sptd.SenseInfoLength = 24;
    record.sptd.DataIn = dataIn;
    record.sptd.DataTransferLength = length;
    record.sptd.TimeOutValue = 60;
    record.sptd.DataBuffer = buffer;
    record.sptd.SenseInfoOffset = passthrough::kSenseBufferOffset;
    std::memcpy(record.sptd.Cdb, cdb.data(), 12);
  }
  bool Send() {
    returned = 0xFFFFFFFF;
    return pc.DeviceControl(device, passthrough::IOCTL_SCSI_PASS_THROUGH_DIRECT, &record,
                            sizeof record, &record, sizeof record, &returned);
  }

  sim::SimPc pc{sim::WindowsVersion::kWinXp};
  std::shared_ptr<sim::K818rDrive> drive = std::make_shared<sim::K818rDrive>();
  platform::Handle device = nullptr;
  PassThroughRecord record{};
  uint32_t returned = 0;
};

TEST_F(PassThroughTest, GoodCommandFillsStatusAddressAndDataAndIsLoggedAsSent) {
  ASSERT_NE(device, platform::InvalidHandle());
  uint8_t data[256] = {};
  Prepare(simtest::Inquiry(), data, 50, passthrough::SCSI_IOCTL_DATA_IN);
  ASSERT_TRUE(Send());
  EXPECT_EQ(record.sptd.ScsiStatus, 0);
  EXPECT_EQ(record.sptd.TargetId, 1);
  EXPECT_EQ(record.sptd.Lun, 0);
  EXPECT_EQ(record.SenseBuf[2], 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 8), 16), "QUAV    OD-K818R");

  const sim::CommandRecord& logged = pc.Log().Commands().at(0);
  EXPECT_EQ(logged.transport, sim::Transport::kPassThrough);
  EXPECT_EQ(logged.cdb, simtest::Inquiry());
  EXPECT_EQ(logged.direction, sim::kDataIn);
  EXPECT_EQ(logged.passThrough.driveLetter, 'E');
  EXPECT_EQ(logged.passThrough.length, sizeof(passthrough::SCSI_PASS_THROUGH_DIRECT));
  EXPECT_EQ(logged.passThrough.cdbLength, 12);
  EXPECT_EQ(logged.passThrough.senseInfoLength, 24);
  EXPECT_EQ(logged.passThrough.dataIn, passthrough::SCSI_IOCTL_DATA_IN);
  EXPECT_EQ(logged.passThrough.dataTransferLength, 50u);
  EXPECT_EQ(logged.passThrough.timeOutValue, 60u);
  EXPECT_EQ(logged.passThrough.senseInfoOffset, passthrough::kSenseBufferOffset);
  EXPECT_EQ(pc.Clock().NowUs(), sim::ScsiDevice::kDefaultLatencyUs);
}

TEST_F(PassThroughTest, DirectionComesFromDataIn) {
  uint8_t data[16] = {};
  struct Case {
    uint8_t dataIn;
    uint32_t length;
    uint8_t expected;
  };
  for (const Case c : {Case{0, 16, sim::kDataOut}, Case{1, 16, sim::kDataIn},
                       Case{2, 0, sim::kDataNone}, Case{2, 16, sim::kDataNone}}) {
    Prepare(simtest::TestUnitReady(), data, c.length, c.dataIn);
    Send();
    EXPECT_EQ(pc.Log().Commands().back().direction, c.expected) << int{c.dataIn};
  }
}

TEST_F(PassThroughTest, CheckConditionPutsSenseAtTheOffsetUpToTheLengthAsked) {
  drive->AddFault(Fault::Sense(CommandKind::kTestUnitReady, 1, 0x05, 0x1A, 0x00).Times(2));
  Prepare(simtest::TestUnitReady(), nullptr, 0, 2);
  ASSERT_TRUE(Send());
  EXPECT_EQ(record.sptd.ScsiStatus, sim::kStatusCheckCondition);
  EXPECT_EQ(record.SenseBuf[0], 0x70);
  EXPECT_EQ(record.SenseBuf[2], 0x05);
  EXPECT_EQ(record.SenseBuf[12], 0x1A);
  EXPECT_EQ(record.SenseBuf[13], 0x00);
  EXPECT_EQ(returned, passthrough::kSenseBufferOffset + sim::kSenseLength);

  Prepare(simtest::TestUnitReady(), nullptr, 0, 2);
  record.sptd.SenseInfoLength = 8;
  ASSERT_TRUE(Send());
  EXPECT_EQ(record.SenseBuf[2], 0x05);
  EXPECT_EQ(record.SenseBuf[12], 0x00) << "only 8 sense bytes were asked for";
}

TEST_F(PassThroughTest, ScriptedIoctlFailureLeavesOrFillsTheRecord) {
  drive->AddFault(Fault::TransportError(CommandKind::kTestUnitReady, 1, 1117));
  drive->AddFault(Fault::TransportError(CommandKind::kTestUnitReady, 2, 121, true));

  Prepare(simtest::TestUnitReady(), nullptr, 0, 2);
  EXPECT_FALSE(Send());
  EXPECT_EQ(pc.LastError(), 1117u);
  EXPECT_EQ(record.sptd.ScsiStatus, 0);
  EXPECT_EQ(record.sptd.TargetId, 0) << "nothing came back";

  // Filled: the drive answered, the call still fails.
  Prepare(simtest::TestUnitReady(), nullptr, 0, 2);
  EXPECT_FALSE(Send());
  EXPECT_EQ(pc.LastError(), 121u);
  EXPECT_EQ(record.sptd.TargetId, 1);

  Prepare(simtest::TestUnitReady(), nullptr, 0, 2);
  EXPECT_TRUE(Send()) << "both faults were for one command each";
}

TEST_F(PassThroughTest, FailureOnEveryCommand) {
  drive->AddFault(Fault::TransportError(CommandKind::kAny, 1, 5).Every());
  for (int i = 0; i < 3; ++i) {
    Prepare(simtest::TestUnitReady(), nullptr, 0, 2);
    EXPECT_FALSE(Send());
    EXPECT_EQ(pc.LastError(), 5u);
  }
}

TEST_F(PassThroughTest, PortDriverRefusesBadRecordsBeforeTheDevice) {
  uint8_t storage[64];
  struct Case {
    const char* what;
    void (*spoil)(PassThroughRecord&, uint8_t*);
  };
  const Case cases[] = {
      {"wrong Length", [](PassThroughRecord& r, uint8_t*) { r.sptd.Length = 40; }},
      {"sense beyond the buffer",
       [](PassThroughRecord& r, uint8_t*) { r.sptd.SenseInfoOffset = sizeof r - 8; }},
      {"no data buffer", [](PassThroughRecord& r, uint8_t*) { r.sptd.DataBuffer = nullptr; }},
      {"misaligned buffer", [](PassThroughRecord& r, uint8_t* s) { r.sptd.DataBuffer = s + 1; }},
  };
  pc.SetPassThroughAlignmentMask(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    uint8_t* aligned = storage + (reinterpret_cast<uintptr_t>(storage) & 1);
    Prepare(simtest::Inquiry(), aligned, 50, 1);
    c.spoil(record, aligned);
    EXPECT_FALSE(Send());
    EXPECT_EQ(pc.LastError(), sim::kErrorInvalidParameter);
  }
  EXPECT_EQ(drive->CommandsReceived(), 0);
}

TEST_F(PassThroughTest, CommandSlowerThanItsTimeOutFailsWithSemaphoreTimeout) {
  drive->AddFault(Fault::Slow(CommandKind::kTestUnitReady, 1, 70 * kSecond));
  Prepare(simtest::TestUnitReady(), nullptr, 0, 2);
  EXPECT_FALSE(Send());
  EXPECT_EQ(pc.LastError(), platform::kErrorSemTimeout);
  EXPECT_EQ(pc.Clock().NowUs(), 60 * kSecond);
}

TEST_F(PassThroughTest, WrongHandleOrCodeFails) {
  Prepare(simtest::TestUnitReady(), nullptr, 0, 2);
  uint32_t bytes = 0;
  EXPECT_FALSE(
      pc.DeviceControl(device, 0x2D1400, &record, sizeof record, &record, sizeof record, &bytes));
  EXPECT_EQ(pc.LastError(), sim::kErrorInvalidFunction);
  pc.CloseHandle(device);
  EXPECT_FALSE(Send());
  EXPECT_EQ(pc.LastError(), sim::kErrorInvalidHandle);
  EXPECT_EQ(drive->CommandsReceived(), 0);
}

TEST(DeviceHandles, OpensFollowLettersScriptedFailuresAndAreCounted) {
  sim::SimPc pc(sim::WindowsVersion::kWinXp);
  auto drive = std::make_shared<sim::K818rDrive>();
  pc.AttachCdrom('E', drive);
  pc.AttachCdrom('G', drive);
  pc.FailOpen('G', platform::kErrorAccessDenied, 1);

  EXPECT_EQ(pc.DriveType("E:\\"), platform::kDriveCdrom);
  EXPECT_EQ(pc.DriveType("C:\\"), platform::kDriveFixed);
  EXPECT_EQ(pc.DriveType("Q:\\"), platform::kDriveNoRootDir);
  EXPECT_EQ(pc.DriveType("E:"), platform::kDriveNoRootDir) << "a root path ends in a backslash";

  EXPECT_EQ(pc.OpenDevice("\\\\.\\C:"), platform::InvalidHandle()) << "no device behind C:";
  EXPECT_EQ(pc.OpenDevice("\\\\.\\E:\\"), platform::InvalidHandle());
  EXPECT_EQ(pc.OpenDevice("\\\\.\\G:"), platform::InvalidHandle());
  EXPECT_EQ(pc.LastError(), platform::kErrorAccessDenied);
  platform::Handle g = pc.OpenDevice("\\\\.\\G:");
  platform::Handle e = pc.OpenDevice("\\\\.\\e:");
  EXPECT_NE(g, platform::InvalidHandle());
  EXPECT_NE(e, platform::InvalidHandle());
  EXPECT_NE(g, e);
  EXPECT_EQ(pc.OpenedLetters(), (std::vector<char>{'G', 'E'}));
  EXPECT_EQ(pc.OpenDeviceHandles(), 2);
  pc.CloseHandle(g);
  pc.CloseHandle(g);
  EXPECT_EQ(pc.OpenDeviceHandles(), 1);
  EXPECT_EQ(pc.BadCloses(), 1);
  EXPECT_EQ(pc.OpenDeviceCalls(), 5);
}

}  // namespace
