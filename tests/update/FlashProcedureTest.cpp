#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/update/UpdateRig.h"

namespace {

using enginetest::Build;
using enginetest::DemoPlan;
using enginetest::Link;
using enginetest::LinkName;
using enginetest::UpdateRig;
using sim::CommandKind;
using sim::CommandRecord;

constexpr uint64_t kSecond = 1'000'000;

std::string NameOf(const ::testing::TestParamInfo<Link>& p) {
  return LinkName(p.param);
}

// Index of the nth (1-based) command of a kind in the log; -1 if absent.
long IndexOf(const std::vector<CommandRecord>& commands, CommandKind kind, int nth = 1) {
  for (size_t i = 0; i < commands.size(); ++i) {
    if (sim::ClassifyCommand(commands[i].cdb) == kind && --nth == 0) return static_cast<long>(i);
  }
  return -1;
}

std::vector<CommandRecord> OfKind(const std::vector<CommandRecord>& commands, CommandKind kind) {
  std::vector<CommandRecord> matching;
  for (const auto& command : commands) {
    if (sim::ClassifyCommand(command.cdb) == kind) matching.push_back(command);
  }
  return matching;
}

class FlashTiming : public ::testing::TestWithParam<Link> {};

TEST_P(FlashTiming, TwoSecondsBeforeTheFirstBlockAndTheClosingWaitOnAspiOnly) {
  UpdateRig rig(GetParam());
  ASSERT_TRUE(rig.Start().RunUpdate());
  const auto commands = rig.Commands();

  const long firstBlock = IndexOf(commands, CommandKind::kWriteBlock);
  ASSERT_GT(firstBlock, 0);
  const uint64_t pause = commands[firstBlock].timeUs - commands[firstBlock - 1].timeUs;
  EXPECT_GE(pause, 2 * kSecond);
  EXPECT_LT(pause, 2 * kSecond + kSecond / 10);

  const long closing = IndexOf(commands, CommandKind::kClosing);
  ASSERT_GE(closing, 0);
  const uint64_t gap = commands[closing + 1].timeUs - commands[closing].timeUs;
  if (GetParam() == Link::kAspi) {
    EXPECT_GE(gap, 61 * kSecond) << "more than 60 whole seconds";
    EXPECT_LT(gap, 62 * kSecond);
  } else {
    EXPECT_LT(gap, kSecond / 10);
  }
}

TEST_P(FlashTiming, TwentySecondsAfterARetriedClosingCommand) {
  UpdateRig rig(GetParam());
  rig.drive->AddFault(sim::Fault::Sense(CommandKind::kClosing, 1, 0x05, 0x24, 0x00));
  ASSERT_TRUE(rig.Start().RunUpdate());
  const auto commands = rig.Commands();

  const long retry = IndexOf(commands, CommandKind::kClosing, 2);
  ASSERT_GE(retry, 0);
  EXPECT_EQ(IndexOf(commands, CommandKind::kClosing, 3), -1);
  const uint64_t gap = commands[retry + 1].timeUs - commands[retry].timeUs;
  EXPECT_GE(gap, 20 * kSecond);
  EXPECT_LT(gap, 20 * kSecond + kSecond / 10);
  // ASPI asks TEST UNIT READY before the retry; pass-through does not.
  const CommandKind beforeRetry = sim::ClassifyCommand(commands[retry - 1].cdb);
  EXPECT_EQ(beforeRetry,
            GetParam() == Link::kAspi ? CommandKind::kTestUnitReady : CommandKind::kClosing);
}

TEST_P(FlashTiming, NeverReadyTimesOutAfterALittleMoreThan120Seconds) {
  UpdateRig rig(GetParam());
  rig.drive->AddFault(sim::Fault::NeverReady());
  CAtapi& atapi = rig.Start();
  EXPECT_FALSE(atapi.RunUpdate());
  EXPECT_EQ(atapi.UpdateResult(), RESULT_RUNNING);

  const auto commands = rig.Commands();
  const long closing = IndexOf(commands, CommandKind::kClosing);
  ASSERT_GE(closing, 0);
  const long firstPoll = closing + 1;
  const uint64_t polled = commands.back().timeUs - commands[firstPoll].timeUs;
  EXPECT_GT(polled, 120 * kSecond);
  EXPECT_LT(polled, 122 * kSecond);
  EXPECT_EQ(IndexOf(commands, CommandKind::kReadFlashPage), -1);

  const auto traces = rig.Traces();
  ASSERT_GE(traces.size(), 2u);
  EXPECT_EQ(traces.back(), "Err:Flash error,time out 120 Sec");
  const std::string timeOut = traces[traces.size() - 2];
  if (GetParam() == Link::kAspi) {
    EXPECT_EQ(timeOut, "Time Out Status:2;Status:1;Debug:Trigger_SenseCode:2 : 4 : 1;");
  } else {
    EXPECT_EQ(timeOut, "Time Out Status:1;Debug:Trigger_SenseCode:2 : 4 : 1;");
  }
  EXPECT_TRUE(rig.ReleasedEverything());
}

TEST_P(FlashTiming, NoDiscEndsPollingAsReady) {
  UpdateRig rig(GetParam());
  rig.drive->Config().notReadyAfterCommitUs = 30 * kSecond;
  rig.drive->AddFault(sim::Fault::NoDisc());
  EXPECT_TRUE(rig.Start().RunUpdate());
  const auto commands = rig.Commands();
  const long closing = IndexOf(commands, CommandKind::kClosing);
  const long firstRead = IndexOf(commands, CommandKind::kReadFlashPage);
  ASSERT_GE(closing, 0);
  ASSERT_GT(firstRead, closing);
  EXPECT_LT(commands[firstRead].timeUs - commands[closing].timeUs, 95 * kSecond);
}

// Some Windows 9x machines have no high-resolution counter (frequency 0);
// the wait after the closing command falls back to the tick count.
TEST(FlashTimingWithoutCounter, AspiClosingWaitStillLastsMoreThanSixtySeconds) {
  UpdateRig rig(Link::kAspi);
  rig.pc.Clock().SetPerformanceFrequency(0);
  ASSERT_TRUE(rig.Start().RunUpdate());
  const auto commands = rig.Commands();
  const long closing = IndexOf(commands, CommandKind::kClosing);
  ASSERT_GE(closing, 0);
  const uint64_t gap = commands[closing + 1].timeUs - commands[closing].timeUs;
  EXPECT_GE(gap, 61 * kSecond);
  EXPECT_LT(gap, 62 * kSecond);
}

TEST(FlashFirmwareResources, NoMemoryOrNoImageSendsNothingAndReleasesEverything) {
  UpdateRig rig(Link::kPassThrough);
  CAtapi& atapi = rig.Start();
  ASSERT_TRUE(atapi.CheckImageFile(kImageFileName));

  rig.pc.FailAllocation(rig.pc.AllocationCalls() + 1);
  EXPECT_FALSE(atapi.FlashFirmware());
  EXPECT_EQ(rig.Traces().back(), "Err:Memory allocation");

  rig.pc.RemoveFile(kImageFileName);
  EXPECT_FALSE(atapi.FlashFirmware());

  EXPECT_TRUE(rig.Commands().empty());
  EXPECT_TRUE(rig.ReleasedEverything());
}

// An image that lost bytes after it was checked stops at the short block.
TEST(FlashFirmwareResources, ABlockThatNoLongerReadsWholeStopsTheFlash) {
  UpdateRig rig(Link::kAspi);
  CAtapi& atapi = rig.Start();
  ASSERT_TRUE(atapi.CheckImageFile(kImageFileName));
  image::Bytes truncated = Build(DemoPlan());
  truncated.resize(truncated.size() - 10);
  rig.pc.AddFile(kImageFileName, truncated);

  EXPECT_FALSE(atapi.FlashFirmware());
  EXPECT_EQ(rig.pc.Log().CountOfKind(CommandKind::kWriteBlock), 3u);
  EXPECT_EQ(rig.pc.Log().CountOfKind(CommandKind::kClosing), 0u);
  EXPECT_TRUE(rig.ReleasedEverything());
}

// A polling pass is three TEST UNIT READY commands; "medium not present"
// means the drive is back only when it answers the first of them. The drive
// here never becomes ready, so one such answer in the wrong place must not
// end the polling.
TEST(PollingPass, MediumNotPresentCountsOnlyOnThePassesFirstCommand) {
  const struct {
    int testUnitReady;  // which TEST UNIT READY after the closing command says 2/3A/00
    bool endsPolling;
  } rows[] = {{1, true}, {2, false}, {3, false}, {4, true}, {5, false}};
  for (Link link : {Link::kAspi, Link::kPassThrough}) {
    for (const auto& row : rows) {
      SCOPED_TRACE(std::string(LinkName(link)) + ", answer on poll " +
                   std::to_string(row.testUnitReady));
      UpdateRig rig(link);
      rig.drive->AddFault(sim::Fault::NeverReady());
      rig.drive->AddFault(
          sim::Fault::Sense(CommandKind::kTestUnitReady, row.testUnitReady, 0x02, 0x3A, 0x00));
      EXPECT_FALSE(rig.Start().RunUpdate());
      const auto polls = OfKind(rig.Commands(), CommandKind::kTestUnitReady);
      if (row.endsPolling) {
        // The pass ends there; the final TEST UNIT READY follows and the
        // read-back then meets the busy drive.
        EXPECT_EQ(polls.size(), static_cast<size_t>(row.testUnitReady) + 1);
        EXPECT_EQ(rig.Traces().back().rfind("Err:Flash read back failed;", 0), 0u);
      } else {
        EXPECT_GT(polls.size(), 5u);
        EXPECT_EQ(polls.size() % 3, 0u) << "every pass is three commands";
        EXPECT_EQ(rig.Traces().back(), "Err:Flash error,time out 120 Sec");
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothTransports, FlashTiming,
                         ::testing::Values(Link::kAspi, Link::kPassThrough), NameOf);

// ---- Closing command --------------------------------------------------------

struct ClosingCase {
  Link link;
  int blocks;
  std::vector<uint8_t> blockNumbers;
  std::vector<uint8_t> modes;
};

class ClosingRetries : public ::testing::TestWithParam<ClosingCase> {};

// The drive asks twice for the parameter list: the third send carries the
// 0xF0-based number and follows a TEST UNIT READY.
TEST_P(ClosingRetries, BlockNumbersAndModesOfEachSend) {
  const ClosingCase& c = GetParam();
  UpdateRig rig(c.link, Build(DemoPlan(c.blocks)));
  rig.drive->AddFault(sim::Fault::Sense(CommandKind::kClosing, 1, 0x05, 0x1A, 0x00).Times(2));
  CAtapi& atapi = rig.Start();
  EXPECT_TRUE(atapi.RunUpdate());

  const auto closings = OfKind(rig.Commands(), CommandKind::kClosing);
  std::vector<uint8_t> blockNumbers;
  std::vector<uint8_t> modes;
  for (const auto& closing : closings) {
    blockNumbers.push_back(closing.cdb[7]);
    modes.push_back(closing.cdb[6]);
    EXPECT_EQ(closing.length, 0u);
    EXPECT_EQ(closing.cdb[10] << 8 | closing.cdb[11], atapi.Image().Checksum());
  }
  EXPECT_EQ(blockNumbers, c.blockNumbers);
  EXPECT_EQ(modes, c.modes);
  const auto commands = rig.Commands();
  EXPECT_EQ(sim::ClassifyCommand(commands[IndexOf(commands, CommandKind::kClosing, 3) - 1].cdb),
            CommandKind::kTestUnitReady);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClosingRetries,
    ::testing::Values(ClosingCase{Link::kAspi, 4, {0xE4, 0xE4, 0xF4}, {5, 5, 5}},
                      ClosingCase{Link::kPassThrough, 4, {0xE4, 0xE4, 0xF4}, {4, 5, 5}},
                      ClosingCase{Link::kAspi, 8, {0xE8, 0xE8, 0xF8}, {5, 5, 5}},
                      ClosingCase{Link::kPassThrough, 8, {0xE8, 0xE8, 0xF8}, {4, 5, 5}}),
    [](const auto& p) {
      return std::string(LinkName(p.param.link)) + std::to_string(p.param.blocks);
    });

TEST(ClosingCommand, AnyOtherSenseAfterTheFirstRetryEndsTheRetriesAsAHardwareError) {
  for (Link link : {Link::kAspi, Link::kPassThrough}) {
    UpdateRig rig(link);
    rig.drive->AddFault(sim::Fault::Sense(CommandKind::kClosing, 1, 0x05, 0x24, 0x00).Times(2));
    EXPECT_FALSE(rig.Start().RunUpdate());
    EXPECT_EQ(rig.pc.Log().CountOfKind(CommandKind::kClosing), 2u) << LinkName(link);
    const auto traces = rig.Traces();
    ASSERT_GE(traces.size(), 2u);
    EXPECT_EQ(traces[traces.size() - 2], link == Link::kAspi ? "Status:4;SenseCode:5 : 24 : 0;"
                                                             : "Status:2;SenseCode:5 : 24 : 0;");
    EXPECT_EQ(rig.pc.Log().CountOfKind(CommandKind::kReadFlashPage), 0u);
  }
}

// Only 5/1A/00 after the first retry earns the third send; a neighbour of it
// is a hardware error like any other sense.
TEST(ClosingCommand, TheThirdSendFollowsOnlyParameterListLengthWithQualifierZero) {
  const struct {
    uint8_t asc;
    uint8_t ascq;
    size_t closings;
    bool updated;
  } rows[] = {
      {0x1A, 0x00, 3, true},
      {0x1A, 0x01, 2, false},
      {0x1B, 0x00, 2, false},
  };
  for (Link link : {Link::kAspi, Link::kPassThrough}) {
    for (const auto& row : rows) {
      SCOPED_TRACE(std::string(LinkName(link)) + ", retry answers 5/" + std::to_string(row.asc) +
                   "/" + std::to_string(row.ascq));
      UpdateRig rig(link);
      rig.drive->AddFault(sim::Fault::Sense(CommandKind::kClosing, 1, 0x05, 0x1A, 0x00));
      rig.drive->AddFault(sim::Fault::Sense(CommandKind::kClosing, 2, 0x05, row.asc, row.ascq));
      EXPECT_EQ(rig.Start().RunUpdate(), row.updated);
      EXPECT_EQ(rig.pc.Log().CountOfKind(CommandKind::kClosing), row.closings);
      if (!row.updated) {
        EXPECT_EQ(rig.pc.Log().CountOfKind(CommandKind::kReadFlashPage), 0u);
      }
    }
  }
}

// ASPI keeps the sense of the last failed command: a retry that completed
// must not be taken for one that failed again.
TEST(ClosingCommand, ARetryThatCompletedIsNotJudgedByTheFirstSendsSense) {
  for (Link link : {Link::kAspi, Link::kPassThrough}) {
    UpdateRig rig(link);
    rig.drive->AddFault(sim::Fault::Sense(CommandKind::kClosing, 1, 0x05, 0x1A, 0x00));
    EXPECT_TRUE(rig.Start().RunUpdate()) << LinkName(link);
    EXPECT_EQ(rig.pc.Log().CountOfKind(CommandKind::kClosing), 2u) << LinkName(link);
    EXPECT_EQ(rig.drive->Closings().size(), 1u) << "committed once";
  }
}

TEST(ClosingCommand, SelectorSendsTheAlternateChecksumWhileVerificationUsesTheImageChecksum) {
  auto plan = DemoPlan();
  plan.checksumSelector = 0x10;
  plan.alternateChecksum = 0x1234;
  UpdateRig rig(Link::kPassThrough, Build(plan));
  CAtapi& atapi = rig.Start();
  EXPECT_TRUE(atapi.RunUpdate());
  ASSERT_EQ(rig.drive->Closings().size(), 1u);
  EXPECT_EQ(rig.drive->Closings()[0].value, 0x1234);
  EXPECT_NE(atapi.Image().Checksum(), 0x1234);
  EXPECT_EQ(rig.drive->ReadBackSum(4), atapi.Image().Checksum());
}

// ---- Read-back --------------------------------------------------------------

struct ReadBackCase {
  int blocks;
  size_t pages;
};

class ReadBack : public ::testing::TestWithParam<ReadBackCase> {};

TEST_P(ReadBack, PagesPerBankWithBanksOneAndTwoShort) {
  UpdateRig rig(Link::kPassThrough, Build(DemoPlan(GetParam().blocks)));
  EXPECT_TRUE(rig.Start().RunUpdate());
  const auto reads = OfKind(rig.Commands(), CommandKind::kReadFlashPage);
  EXPECT_EQ(reads.size(), GetParam().pages);
  for (const auto& read : reads) {
    const int bank = read.cdb[9];
    const int address = read.cdb[6] << 8 | read.cdb[7];
    EXPECT_LT(address, (bank == 1 || bank == 2) ? 0xF000 : 0x10000);
  }
}

INSTANTIATE_TEST_SUITE_P(Counts, ReadBack,
                         ::testing::Values(ReadBackCase{1, 256}, ReadBackCase{3, 736},
                                           ReadBackCase{4, 992}, ReadBackCase{8, 2016}),
                         [](const auto& p) { return std::to_string(p.param.blocks); });

// Bytes summing to `sum` plus 65536, to show that only the sum modulo 65536
// counts.
std::vector<uint8_t> BytesSummingTo(uint16_t sum) {
  std::vector<uint8_t> bytes(257, 0xFF);  // 65535
  bytes.push_back(1);
  for (uint32_t missing = sum; missing > 0;) {
    const auto step = static_cast<uint8_t>(missing > 0xFE ? 0xFE : missing);
    bytes.push_back(step);
    missing -= step;
  }
  return bytes;
}

TEST(VerifyFlash, AnyMemoryThatSumsToTheChecksumVerifies) {
  UpdateRig rig(Link::kPassThrough);
  CAtapi& atapi = rig.Start();
  ASSERT_TRUE(atapi.CheckImageFile(kImageFileName));
  rig.drive->ResetFlash();
  rig.drive->SetBank(0, BytesSummingTo(atapi.Image().Checksum()));
  EXPECT_TRUE(atapi.VerifyFlash());
  rig.drive->SetBank(3, {1});
  EXPECT_FALSE(atapi.VerifyFlash());
  EXPECT_EQ(rig.Traces().back().rfind("Found CHECKSUM ERR.", 0), 0u);
}

// With a checksum of 0, a read-back that never happened would sum to the
// same 0; it must not pass.
TEST(VerifyFlash, AFailedReadNeverMatchesEvenAChecksumOfZero) {
  image::ImagePlan plan;
  plan.blocks.push_back(image::Bytes(256, 0));
  plan.scrambled = false;
  UpdateRig rig(Link::kAspi, Build(plan));
  rig.drive->AddFault(sim::Fault::Sense(CommandKind::kReadFlashPage, 1, 0x03, 0x11, 0x00));
  CAtapi& atapi = rig.Start();
  EXPECT_FALSE(atapi.RunUpdate());
  EXPECT_EQ(atapi.Image().Checksum(), 0);
  EXPECT_EQ(rig.Traces().back(), "Err:Flash read back failed;Bank:0;Address:0;");
  EXPECT_EQ(rig.pc.Log().CountOfKind(CommandKind::kReadFlashPage), 1u);

  rig.drive->AddFault(sim::Fault::Sense(CommandKind::kReadFlashPage, 2, 0x03, 0x11, 0x00));
  EXPECT_EQ(atapi.SumFlashContents(), 0);
}

// The errors the pass-through transport tolerates for other commands do not
// make a read-back page good: the erased last page would otherwise sum as
// the zeros the drive never sent.
TEST(VerifyFlash, APassThroughReadWhoseCallFailedIsAFailedReadWhateverTheError) {
  for (uint32_t error : {platform::kErrorSemTimeout, platform::kErrorIoDevice}) {
    for (bool fillRecord : {false, true}) {
      SCOPED_TRACE("error " + std::to_string(error) + (fillRecord ? ", record filled" : ""));
      UpdateRig rig(Link::kPassThrough);
      rig.drive->AddFault(
          sim::Fault::TransportError(CommandKind::kReadFlashPage, 992, error, fillRecord));
      CAtapi& atapi = rig.Start();
      EXPECT_FALSE(atapi.RunUpdate());
      EXPECT_EQ(atapi.UpdateResult(), RESULT_RUNNING);
      EXPECT_EQ(rig.Traces().back(), "Err:Flash read back failed;Bank:3;Address:ff00;");
      EXPECT_TRUE(rig.pc.MessageBoxes().empty()) << "tolerated errors show no system box";
    }
  }
}

// ---- Drive and image gates ------------------------------------------------------

struct TypeCodeCase {
  const char* code;
  bool updated;
  size_t inquiries;
};

class TypeCode : public ::testing::TestWithParam<TypeCodeCase> {};

TEST_P(TypeCode, DecidesWhetherTheDriveIsFlashed) {
  UpdateRig rig(Link::kPassThrough);
  rig.drive->Config().typeCode = std::string(GetParam().code, 2);
  CAtapi& atapi = rig.Start();
  EXPECT_EQ(atapi.RunUpdate(), GetParam().updated);
  EXPECT_EQ(atapi.UpdateResult(), GetParam().updated ? RESULT_RUNNING : RESULT_DRIVE_REJECTED);
  EXPECT_EQ(rig.pc.Log().CountOfKind(CommandKind::kInquiry) - 1, GetParam().inquiries);
  EXPECT_EQ(rig.pc.Log().CountOfKind(CommandKind::kWriteBlock), GetParam().updated ? 4u : 0u);
  if (!GetParam().updated) {
    EXPECT_EQ(rig.Traces().back(), "Err:The firmware is not support this device!!(4)");
  }
}

INSTANTIATE_TEST_SUITE_P(Codes, TypeCode,
                         ::testing::Values(TypeCodeCase{"W0", true, 1}, TypeCodeCase{"WM", true, 2},
                                           TypeCodeCase{"WN", false, 2},
                                           TypeCodeCase{"w0", false, 2},
                                           TypeCodeCase{"\0\0", false, 2}),
                         [](const auto& p) { return "Case" + std::to_string(p.index); });

TEST(RunUpdateRejectsImage, BeforeAnyFirmwareCommand) {
  auto noBlocks = DemoPlan(0);
  noBlocks.checksum = 0;
  auto nineBlocks = DemoPlan(8);
  nineBlocks.blockCount = 9;
  auto drivesModel = DemoPlan();
  drivesModel.tag = "QUAV OD-K818R";
  auto wrongSum = DemoPlan();
  wrongSum.checksum = 1;
  for (const auto& plan : {noBlocks, nineBlocks, drivesModel, wrongSum}) {
    for (Link link : {Link::kAspi, Link::kPassThrough}) {
      UpdateRig rig(link, Build(plan));
      CAtapi& atapi = rig.Start();
      EXPECT_FALSE(atapi.RunUpdate());
      EXPECT_EQ(atapi.UpdateResult(), RESULT_IMAGE_REJECTED);
      const auto commands = rig.Commands();
      ASSERT_EQ(commands.size(), 1u) << "only the type code INQUIRY";
      EXPECT_EQ(sim::ClassifyCommand(commands[0].cdb), CommandKind::kInquiry);
      EXPECT_TRUE(rig.ReleasedEverything());
    }
  }
  UpdateRig missing(Link::kAspi);
  missing.pc.RemoveFile(kImageFileName);
  EXPECT_FALSE(missing.Start().RunUpdate());
  EXPECT_EQ(missing.atapi->UpdateResult(), RESULT_IMAGE_REJECTED);
}

}  // namespace
