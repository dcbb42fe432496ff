// SendCommand on both transports: the fields each request carries, how
// completion is awaited, and what each failure returns and shows.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/SimPc.h"
#include "tests/transport/Drives.h"
#include "transport/Atapi.h"

namespace {

using testing_drives::K818r;

constexpr uint8_t kTestUnitReadyCdb[kCdbLength] = {};

struct AspiBench {
  sim::SimPc pc{sim::WindowsVersion::kWin98};
  std::shared_ptr<sim::K818rDrive> drive = K818r();
  std::unique_ptr<CAtapi> atapi;

  explicit AspiBench(sim::Completion completion = sim::Completion::kSynchronous) {
    pc.AttachDrive(drive, completion);
    atapi = std::make_unique<CAtapi>(pc);
    pc.Log().Clear();
  }
};

struct PassThroughBench {
  sim::SimPc pc{sim::WindowsVersion::kWinXp};
  std::shared_ptr<sim::K818rDrive> drive = K818r();
  std::unique_ptr<CAtapi> atapi;

  PassThroughBench() {
    pc.AttachDrive(drive);
    atapi = std::make_unique<CAtapi>(pc);
    pc.Log().Clear();
  }
};

TEST(Commands, InquiryAndTestUnitReadyOnBothTransports) {
  AspiBench aspi;
  uint8_t buffer[kInquiryBufferSize] = {};
  EXPECT_EQ(aspi.atapi->Inquiry(buffer), aspi::SS_COMP);
  EXPECT_EQ(aspi.atapi->TestUnitReady(), aspi::SS_COMP);
  PassThroughBench nt;
  EXPECT_EQ(nt.atapi->Inquiry(buffer), aspi::SS_COMP);
  EXPECT_EQ(nt.atapi->TestUnitReady(), aspi::SS_COMP);

  for (const sim::CommandLog* log : {&aspi.pc.Log(), &nt.pc.Log()}) {
    ASSERT_EQ(log->Commands().size(), 2u);
    const sim::CommandRecord& inquiry = log->Commands()[0];
    EXPECT_EQ(inquiry.cdb, (sim::Cdb{0x12, 0, 0, 0, 0x32, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(inquiry.length, 50u);
    EXPECT_EQ(inquiry.direction, sim::kDataIn);
    const sim::CommandRecord& ready = log->Commands()[1];
    EXPECT_EQ(ready.cdb, sim::Cdb{});
    EXPECT_EQ(ready.length, 0u);
    EXPECT_EQ(ready.direction, sim::kDataNone);
  }
  const sim::AspiFields& srb = aspi.pc.Log().Commands()[0].aspi;
  EXPECT_EQ(srb.cmd, aspi::SC_EXEC_SCSI_CMD);
  EXPECT_EQ(srb.flags, 0x48);
  EXPECT_EQ(srb.target, 1);
  EXPECT_EQ(srb.senseLen, 14);
  EXPECT_EQ(srb.cdbLen, 12);  // a six-byte command travels as twelve bytes
  EXPECT_EQ(srb.bufLen, 50u);
  EXPECT_TRUE(srb.postProcSet);
  EXPECT_EQ(aspi.pc.Log().Commands()[1].aspi.flags, 0x40);

  const sim::PassThroughFields& sptd = nt.pc.Log().Commands()[1].passThrough;
  EXPECT_EQ(sptd.length, sizeof(passthrough::SCSI_PASS_THROUGH_DIRECT));
  EXPECT_EQ(sptd.cdbLength, 12);
  EXPECT_EQ(sptd.senseInfoLength, 24);
  EXPECT_EQ(sptd.timeOutValue, 60u);
  EXPECT_EQ(sptd.senseInfoOffset, passthrough::kSenseBufferOffset);
  EXPECT_EQ(sptd.dataIn, passthrough::SCSI_IOCTL_DATA_UNSPECIFIED);
}

TEST(Commands, ShortInquiryLeavesTheRestOfTheBufferZero) {
  PassThroughBench nt;
  nt.drive->Config().inquiryLength = 36;
  uint8_t buffer[kInquiryBufferSize] = {};
  nt.atapi->Inquiry(buffer);
  EXPECT_EQ(std::memcmp(buffer + 8, "QUAV    OD-K818R", 16), 0);
  for (int i = 36; i < kInquiryBufferSize; ++i) ASSERT_EQ(buffer[i], 0) << "byte " << i;
}

TEST(PassThrough, DirectionMapsToDataIn) {
  const struct {
    uint8_t direction;
    uint8_t dataIn;
  } cases[] = {{kDirectionIn, passthrough::SCSI_IOCTL_DATA_IN},
               {kDirectionOut, passthrough::SCSI_IOCTL_DATA_OUT},
               {kDirectionNone, passthrough::SCSI_IOCTL_DATA_UNSPECIFIED},
               {0x18, passthrough::SCSI_IOCTL_DATA_UNSPECIFIED}};
  PassThroughBench nt;
  uint8_t buffer[16] = {};
  for (const auto& c : cases) {
    nt.atapi->SendCommand(kTestUnitReadyCdb, buffer, 0, c.direction);
    EXPECT_EQ(nt.pc.Log().Commands().back().passThrough.dataIn, c.dataIn)
        << "direction " << int{c.direction};
  }
}

TEST(PassThrough, ToleratedErrorsAreSilent) {
  for (uint32_t error : {platform::kErrorSemTimeout, platform::kErrorIoDevice}) {
    PassThroughBench nt;
    nt.drive->AddFault(sim::Fault::TransportError(sim::CommandKind::kTestUnitReady, 1, error));
    EXPECT_EQ(nt.atapi->TestUnitReady(), aspi::SS_COMP) << error;
    EXPECT_TRUE(nt.pc.MessageBoxes().empty()) << error;
  }
}

TEST(PassThrough, ToleratedErrorStillReportsTheScsiStatus) {
  PassThroughBench nt;
  nt.drive->AddFault(sim::Fault::TransportError(sim::CommandKind::kTestUnitReady, 1,
                                                platform::kErrorIoDevice, /*fillRecord=*/true));
  nt.drive->Config().discPresent = false;
  EXPECT_EQ(nt.atapi->TestUnitReady(), 2);
  EXPECT_EQ(nt.atapi->LastSense().key, sim::kSenseNotReady);
}

// Every status byte the drive may answer is a failure but 0; a stray 1 must
// not read as SS_COMP.
TEST(PassThrough, EveryNonZeroScsiStatusIsAFailure) {
  for (int status : {0x01, 0x02, 0x08, 0x18, 0xFF}) {
    PassThroughBench nt;
    nt.drive->AddFault(
        sim::Fault::Status(sim::CommandKind::kTestUnitReady, 1, static_cast<uint8_t>(status)));
    const uint8_t result = nt.atapi->TestUnitReady();
    EXPECT_NE(result, aspi::SS_COMP) << status;
    if (status != 0x01) {
      EXPECT_EQ(result, status);
    }
  }
}

TEST(PassThrough, OtherErrorsShowTheSystemTextAndReturnZero) {
  PassThroughBench nt;
  nt.drive->AddFault(sim::Fault::TransportError(sim::CommandKind::kTestUnitReady, 1,
                                                platform::kErrorAccessDenied));
  EXPECT_EQ(nt.atapi->TestUnitReady(), 0);
  ASSERT_EQ(nt.pc.MessageBoxes().size(), 1u);
  EXPECT_EQ(nt.pc.MessageBoxes()[0].text, "Access is denied.\r\n\n");
  EXPECT_EQ(nt.pc.MessageBoxes()[0].style & 0x0F, platform::kMbOk);
}

TEST(PassThrough, ErrorWithoutSystemTextSaysFormattingFailed) {
  PassThroughBench nt;
  nt.drive->AddFault(sim::Fault::TransportError(sim::CommandKind::kTestUnitReady, 1, 31));
  EXPECT_EQ(nt.atapi->TestUnitReady(), 0);
  ASSERT_EQ(nt.pc.MessageBoxes().size(), 1u);
  EXPECT_EQ(nt.pc.MessageBoxes()[0].text,
            "Format message failed.  Error: " + std::to_string(sim::kErrorMrMidNotFound) + "\n");
}

TEST(PassThrough, SenseIsClearedByEveryCommand) {
  PassThroughBench nt;
  nt.drive->AddFault(sim::Fault::Sense(sim::CommandKind::kTestUnitReady, 1, 0x25, 0x24, 0x01));
  EXPECT_EQ(nt.atapi->TestUnitReady(), 2);
  const SenseTriple sense = nt.atapi->LastSense();
  EXPECT_EQ(sense.key, 0x25);  // flag bits stay: this is not ILLEGAL REQUEST (5)
  EXPECT_EQ(sense.asc, 0x24);
  EXPECT_EQ(sense.ascq, 0x01);

  EXPECT_EQ(nt.atapi->TestUnitReady(), aspi::SS_COMP);
  EXPECT_EQ(nt.atapi->LastSense().key, 0);
  EXPECT_EQ(nt.atapi->LastSense().asc, 0);
}

TEST(Aspi, CheckConditionLeavesSenseUntilTheNextSense) {
  AspiBench bench;
  bench.drive->AddFault(sim::Fault::Sense(sim::CommandKind::kTestUnitReady, 1, 5, 0x1A, 0));
  EXPECT_EQ(bench.atapi->TestUnitReady(), aspi::SS_ERR);
  EXPECT_EQ(bench.atapi->TestUnitReady(), aspi::SS_COMP);
  const SenseTriple sense = bench.atapi->LastSense();
  EXPECT_EQ(sense.key, 5);
  EXPECT_EQ(sense.asc, 0x1A);
}

TEST(Aspi, CompletionInsideTheCallNeedsNoWait) {
  AspiBench bench(sim::Completion::kSynchronous);
  bench.pc.FailWaits(1, sim::kAlways);  // any wait would turn into a failure
  EXPECT_EQ(bench.atapi->TestUnitReady(), aspi::SS_COMP);
  EXPECT_TRUE(bench.pc.Log().Aborts().empty());
  EXPECT_EQ(bench.pc.OpenEvents(), 0);
}

TEST(Aspi, PendingRequestCompletesThroughItsEvent) {
  AspiBench bench(sim::Completion::kPending);
  uint8_t buffer[kInquiryBufferSize] = {};
  EXPECT_EQ(bench.atapi->Inquiry(buffer), aspi::SS_COMP);
  EXPECT_EQ(std::memcmp(buffer + 8, "QUAV    OD-K818R", 16), 0);
  EXPECT_EQ(bench.pc.OpenEvents(), 0);
  EXPECT_EQ(bench.pc.LateSignals(), 0);
}

TEST(Aspi, RequestThatNeverCompletesIsAbortedAfterThirtySeconds) {
  AspiBench bench(sim::Completion::kNever);
  const uint64_t start = bench.pc.Clock().NowUs();
  EXPECT_EQ(bench.atapi->TestUnitReady(), aspi::SS_ERR);
  EXPECT_GE(bench.pc.Clock().NowUs() - start, 30'000'000u);
  EXPECT_LT(bench.pc.Clock().NowUs() - start, 31'000'000u);
  ASSERT_EQ(bench.pc.Log().Aborts().size(), 1u);
  EXPECT_TRUE(bench.pc.Log().Aborts()[0].foundPending);  // it named the pending request
  EXPECT_EQ(bench.pc.OpenEvents(), 0);
}

TEST(Aspi, FailedWaitAbortsToo) {
  AspiBench bench(sim::Completion::kPending);
  bench.pc.FailWaits(1);
  EXPECT_EQ(bench.atapi->TestUnitReady(), aspi::SS_ERR);
  EXPECT_EQ(bench.pc.Log().Aborts().size(), 1u);
}

TEST(Aspi, NoEventMeansNothingIsSent) {
  AspiBench bench;
  bench.pc.FailEventCreation(1);
  EXPECT_EQ(bench.atapi->TestUnitReady(), aspi::SS_ERR);
  EXPECT_TRUE(bench.pc.Log().Commands().empty());
}

TEST(Aspi, ReportsTheManagersStatus) {
  AspiBench bench;
  bench.pc.Aspi().Detach(0, 1, 0);
  EXPECT_EQ(bench.atapi->TestUnitReady(), aspi::SS_NO_DEVICE);
}

}  // namespace
