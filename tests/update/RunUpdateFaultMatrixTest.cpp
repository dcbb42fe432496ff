// Every failure the simulated drive can produce, at every stage of a complete
// update, on both transports: what RunUpdate reports and what it sent.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/update/UpdateRig.h"

namespace {

using enginetest::Link;
using enginetest::LinkName;
using enginetest::UpdateRig;
using sim::CommandKind;
using sim::Fault;

enum class Stage {
  kTypeCodeInquiry,
  kTypeCheckInquiry,
  kBlockWrite,
  kClosing,
  kFirstPoll,
  kFinalTestUnitReady,
  kBankFirstPage,  // holds block data
  kLastPage,       // beyond every block: erased
};

enum class Failure { kMediumError, kIllegalRequest, kNotReady, kTransportFailure, kDroppedWrite };

enum class Outcome {
  kUpdated,
  kDriveRejected,
  kBlockRefused,
  kClosingRefused,
  kChecksumMismatch,
  kReadBackFailed,
  kTimedOut,
};

struct Expectation {
  Stage stage;
  Failure failure;
  Outcome aspi;
  Outcome passThrough;
};

// A pass-through transport failure (error 1117) is tolerated by the
// transport and reads as a good command that moved no data, where ASPI
// reports SS_ERR; only the read-back takes it for the failed read it is.
const Expectation kMatrix[] = {
    {Stage::kTypeCodeInquiry, Failure::kMediumError, Outcome::kUpdated, Outcome::kUpdated},
    {Stage::kTypeCodeInquiry, Failure::kIllegalRequest, Outcome::kUpdated, Outcome::kUpdated},
    {Stage::kTypeCodeInquiry, Failure::kNotReady, Outcome::kUpdated, Outcome::kUpdated},
    {Stage::kTypeCodeInquiry, Failure::kTransportFailure, Outcome::kUpdated, Outcome::kUpdated},

    {Stage::kTypeCheckInquiry, Failure::kMediumError, Outcome::kDriveRejected,
     Outcome::kDriveRejected},
    {Stage::kTypeCheckInquiry, Failure::kIllegalRequest, Outcome::kDriveRejected,
     Outcome::kDriveRejected},
    {Stage::kTypeCheckInquiry, Failure::kNotReady, Outcome::kDriveRejected,
     Outcome::kDriveRejected},
    {Stage::kTypeCheckInquiry, Failure::kTransportFailure, Outcome::kDriveRejected,
     Outcome::kDriveRejected},

    {Stage::kBlockWrite, Failure::kMediumError, Outcome::kBlockRefused, Outcome::kBlockRefused},
    {Stage::kBlockWrite, Failure::kIllegalRequest, Outcome::kBlockRefused, Outcome::kBlockRefused},
    {Stage::kBlockWrite, Failure::kNotReady, Outcome::kBlockRefused, Outcome::kBlockRefused},
    {Stage::kBlockWrite, Failure::kTransportFailure, Outcome::kBlockRefused,
     Outcome::kChecksumMismatch},
    {Stage::kBlockWrite, Failure::kDroppedWrite, Outcome::kChecksumMismatch,
     Outcome::kChecksumMismatch},

    {Stage::kClosing, Failure::kMediumError, Outcome::kClosingRefused, Outcome::kClosingRefused},
    {Stage::kClosing, Failure::kIllegalRequest, Outcome::kUpdated, Outcome::kUpdated},
    {Stage::kClosing, Failure::kNotReady, Outcome::kChecksumMismatch, Outcome::kChecksumMismatch},
    {Stage::kClosing, Failure::kTransportFailure, Outcome::kChecksumMismatch,
     Outcome::kChecksumMismatch},
    {Stage::kClosing, Failure::kDroppedWrite, Outcome::kChecksumMismatch,
     Outcome::kChecksumMismatch},

    {Stage::kFirstPoll, Failure::kMediumError, Outcome::kUpdated, Outcome::kUpdated},
    {Stage::kFirstPoll, Failure::kIllegalRequest, Outcome::kUpdated, Outcome::kUpdated},
    {Stage::kFirstPoll, Failure::kNotReady, Outcome::kUpdated, Outcome::kUpdated},
    // A failed poll is a drive not ready yet, even where the transport
    // tolerates the error: polling goes on until the drive is back.
    {Stage::kFirstPoll, Failure::kTransportFailure, Outcome::kUpdated, Outcome::kUpdated},

    {Stage::kFinalTestUnitReady, Failure::kMediumError, Outcome::kUpdated, Outcome::kUpdated},
    {Stage::kFinalTestUnitReady, Failure::kIllegalRequest, Outcome::kUpdated, Outcome::kUpdated},
    {Stage::kFinalTestUnitReady, Failure::kNotReady, Outcome::kUpdated, Outcome::kUpdated},
    {Stage::kFinalTestUnitReady, Failure::kTransportFailure, Outcome::kUpdated, Outcome::kUpdated},

    {Stage::kBankFirstPage, Failure::kMediumError, Outcome::kReadBackFailed,
     Outcome::kReadBackFailed},
    {Stage::kBankFirstPage, Failure::kIllegalRequest, Outcome::kReadBackFailed,
     Outcome::kReadBackFailed},
    {Stage::kBankFirstPage, Failure::kNotReady, Outcome::kReadBackFailed, Outcome::kReadBackFailed},
    {Stage::kBankFirstPage, Failure::kTransportFailure, Outcome::kReadBackFailed,
     Outcome::kReadBackFailed},

    {Stage::kLastPage, Failure::kMediumError, Outcome::kReadBackFailed, Outcome::kReadBackFailed},
    {Stage::kLastPage, Failure::kIllegalRequest, Outcome::kReadBackFailed,
     Outcome::kReadBackFailed},
    {Stage::kLastPage, Failure::kNotReady, Outcome::kReadBackFailed, Outcome::kReadBackFailed},
    // The page is erased, so the zeros it did not deliver would sum right:
    // only counting the read as failed keeps this from verifying.
    {Stage::kLastPage, Failure::kTransportFailure, Outcome::kReadBackFailed,
     Outcome::kReadBackFailed},
};

const char* StageName(Stage stage) {
  switch (stage) {
    case Stage::kTypeCodeInquiry:
      return "type code INQUIRY";
    case Stage::kTypeCheckInquiry:
      return "type check INQUIRY";
    case Stage::kBlockWrite:
      return "block write";
    case Stage::kClosing:
      return "closing command";
    case Stage::kFirstPoll:
      return "first poll";
    case Stage::kFinalTestUnitReady:
      return "final TEST UNIT READY";
    case Stage::kBankFirstPage:
      return "first page of a bank";
    case Stage::kLastPage:
      return "last page";
  }
  return "?";
}

Fault MakeFault(Failure failure, int position) {
  Fault fault;
  switch (failure) {
    case Failure::kMediumError:
      fault = Fault::Sense(CommandKind::kAny, 1, 0x03, 0x0C, 0x00);
      break;
    case Failure::kIllegalRequest:
      fault = Fault::Sense(CommandKind::kAny, 1, 0x05, 0x24, 0x00);
      break;
    case Failure::kNotReady:
      fault = Fault::Sense(CommandKind::kAny, 1, 0x02, 0x04, 0x01);
      break;
    case Failure::kTransportFailure:
      fault = Fault::TransportError(CommandKind::kAny, 1, platform::kErrorIoDevice);
      break;
    case Failure::kDroppedWrite:
      fault.action = sim::FaultAction::kDropWrite;
      break;
  }
  return fault.AtPosition(position);
}

// Indexes (into the update's own commands) of each stage in a clean run.
std::map<Stage, std::vector<size_t>> StagesOfACleanRun(Link link) {
  UpdateRig rig(link);
  EXPECT_TRUE(rig.Start().RunUpdate());
  const auto commands = rig.Commands();
  std::map<Stage, std::vector<size_t>> stages;
  int inquiries = 0;
  int reads = 0;
  size_t lastTestUnitReady = 0;
  bool closed = false;
  for (size_t i = 0; i < commands.size(); ++i) {
    switch (sim::ClassifyCommand(commands[i].cdb)) {
      case CommandKind::kInquiry:
        stages[++inquiries == 1 ? Stage::kTypeCodeInquiry : Stage::kTypeCheckInquiry].push_back(i);
        break;
      case CommandKind::kWriteBlock:
        stages[Stage::kBlockWrite].push_back(i);
        break;
      case CommandKind::kClosing:
        stages[Stage::kClosing].push_back(i);
        closed = true;
        break;
      case CommandKind::kTestUnitReady:
        if (closed && stages[Stage::kFirstPoll].empty()) stages[Stage::kFirstPoll].push_back(i);
        lastTestUnitReady = i;
        break;
      case CommandKind::kReadFlashPage:
        // Banks start at pages 0, 256, 496 and 736 of the read-back.
        if (reads == 0 || reads == 256 || reads == 496 || reads == 736) {
          stages[Stage::kBankFirstPage].push_back(i);
        }
        ++reads;
        break;
      default:
        break;
    }
  }
  EXPECT_EQ(reads, 992);
  EXPECT_GT(lastTestUnitReady, stages[Stage::kFirstPoll].front());
  stages[Stage::kFinalTestUnitReady].push_back(lastTestUnitReady);
  stages[Stage::kLastPage].push_back(commands.size() - 1);
  return stages;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.rfind(prefix, 0) == 0;
}

const char kUpdating[] =
    "Updating microcode.\r\nDo not stop updating, shut down the PC, or turn off power.";
const char kHardwareError[] =
    "Found hardware error. Your drive cannot be updated to new firmware.\n\n ";

// Checks one finished run against its expected outcome.
void CheckRun(UpdateRig& rig, bool result, Outcome outcome) {
  const auto commands = rig.Commands();
  const auto traces = rig.Traces();
  ASSERT_FALSE(traces.empty());
  const std::string& last = traces.back();

  EXPECT_EQ(result, outcome == Outcome::kUpdated);
  EXPECT_EQ(rig.atapi->UpdateResult(),
            outcome == Outcome::kDriveRejected ? RESULT_DRIVE_REJECTED : RESULT_RUNNING);
  EXPECT_TRUE(rig.ReleasedEverything());

  // Success needs proof: a complete, good read-back of memory that sums right.
  if (result) {
    EXPECT_EQ(rig.drive->ReadBackSum(4), rig.atapi->Image().Checksum());
    EXPECT_EQ(rig.pc.Log().CountOfKind(CommandKind::kReadFlashPage), 992u);
    EXPECT_TRUE(StartsWith(last, "Firmware has been updated successfully"));
  }
  // Nothing is written to a drive that failed a check, and nothing follows a
  // refused block.
  size_t writes = 0;
  for (const auto& command : commands) {
    const CommandKind kind = sim::ClassifyCommand(command.cdb);
    if (kind == CommandKind::kWriteBlock || kind == CommandKind::kClosing) ++writes;
  }
  switch (outcome) {
    case Outcome::kUpdated:
      break;
    case Outcome::kDriveRejected:
      EXPECT_EQ(writes, 0u);
      EXPECT_EQ(last, "Err:The firmware is not support this device!!(4)");
      break;
    case Outcome::kBlockRefused: {
      const auto kind = sim::ClassifyCommand(commands.back().cdb);
      EXPECT_EQ(kind, CommandKind::kWriteBlock) << "the refused block is the last command";
      EXPECT_EQ(last, kHardwareError);
      break;
    }
    case Outcome::kClosingRefused:
      EXPECT_EQ(rig.pc.Log().CountOfKind(CommandKind::kReadFlashPage), 0u);
      ASSERT_GE(traces.size(), 2u);
      EXPECT_TRUE(StartsWith(traces[traces.size() - 2], "Status:"));
      EXPECT_EQ(last, kHardwareError);
      break;
    case Outcome::kChecksumMismatch:
      EXPECT_TRUE(StartsWith(last, "Found CHECKSUM ERR.")) << last;
      break;
    case Outcome::kReadBackFailed:
      EXPECT_TRUE(StartsWith(last, "Err:Flash read back failed;")) << last;
      EXPECT_LE(rig.pc.Log().CountOfKind(CommandKind::kReadFlashPage), 992u);
      break;
    case Outcome::kTimedOut:
      EXPECT_EQ(last, "Err:Flash error,time out 120 Sec");
      EXPECT_EQ(rig.pc.Log().CountOfKind(CommandKind::kReadFlashPage), 0u);
      break;
  }
  if (outcome != Outcome::kDriveRejected) {
    EXPECT_EQ(traces.front(), kUpdating);
  }
}

TEST(RunUpdateFaultMatrix, EveryFailureAtEveryStageOnBothTransports) {
  int cells = 0;
  for (Link link : {Link::kAspi, Link::kPassThrough}) {
    const auto stages = StagesOfACleanRun(link);
    for (const Expectation& row : kMatrix) {
      for (size_t index : stages.at(row.stage)) {
        UpdateRig rig(link);
        CAtapi& atapi = rig.Start();
        rig.drive->AddFault(
            MakeFault(row.failure, rig.CommandsBefore() + static_cast<int>(index) + 1));
        SCOPED_TRACE(std::string(LinkName(link)) + ", " + StageName(row.stage) + " (command " +
                     std::to_string(index) + "), failure " +
                     std::to_string(static_cast<int>(row.failure)));
        const bool result = atapi.RunUpdate();
        CheckRun(rig, result, link == Link::kAspi ? row.aspi : row.passThrough);
        ++cells;
      }
    }
  }
  EXPECT_GT(cells, 100);
}

// Faults of the drive's state rather than of one command.
TEST(RunUpdateFaultMatrix, DriveStateFaultsOnBothTransports) {
  const struct {
    const char* name;
    Fault fault;
    Outcome outcome;
  } rows[] = {
      {"never ready", Fault::NeverReady(), Outcome::kTimedOut},
      {"no disc", Fault::NoDisc(), Outcome::kUpdated},
      {"corrupted byte in bank 1", Fault::CorruptBank(1, 0x10, 0x01), Outcome::kChecksumMismatch},
      {"corrupted byte in bank 3", Fault::CorruptBank(3, 0x00, 0x80), Outcome::kChecksumMismatch},
  };
  for (Link link : {Link::kAspi, Link::kPassThrough}) {
    for (const auto& row : rows) {
      SCOPED_TRACE(std::string(LinkName(link)) + ", " + row.name);
      UpdateRig rig(link);
      rig.drive->AddFault(row.fault);
      CAtapi& atapi = rig.Start();
      CheckRun(rig, atapi.RunUpdate(), row.outcome);
    }
  }
}

// An INQUIRY that failed says nothing about the drive, even when its bytes
// arrived before the ASPI manager gave up on it: no waiver, no passed check.
TEST(RunUpdateFaultMatrix, AFailedInquiryNeitherWaivesNorPassesTheTypeCheck) {
  const struct {
    const char* typeCode;
    int nth;
  } rows[] = {{"WM", 2}, {"W0", 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.typeCode);
    UpdateRig rig(Link::kAspi);
    rig.drive->Config().typeCode = row.typeCode;
    CAtapi& atapi = rig.Start();
    rig.drive->AddFault(Fault::CompleteAs(CommandKind::kInquiry, 1, sim::Completion::kNever)
                            .AtPosition(rig.CommandsBefore() + row.nth));
    CheckRun(rig, atapi.RunUpdate(), Outcome::kDriveRejected);
    EXPECT_EQ(rig.pc.Log().Aborts().size(), 1u);
  }
}

// From the closing command on the drive commits and restarts: a failed call
// there shows no system-error box and the procedure's rules judge it. Before
// (a block) and after (the read-back) the box stays, and the run fails.
TEST(RunUpdateFaultMatrix, SystemErrorBoxesOnlyWhereTheDriveIsNotRestarting) {
  const struct {
    const char* name;
    Fault fault;
    size_t boxes;
    Outcome outcome;
  } rows[] = {
      {"block", Fault::TransportError(CommandKind::kWriteBlock, 2, 21), 1, Outcome::kBlockRefused},
      // The drive never saw the closing command: it keeps its old firmware.
      {"closing", Fault::TransportError(CommandKind::kClosing, 1, 55), 0,
       Outcome::kChecksumMismatch},
      {"closing", Fault::TransportError(CommandKind::kClosing, 1, 5), 0,
       Outcome::kChecksumMismatch},
      {"polls", Fault::TransportError(CommandKind::kTestUnitReady, 1, 5).Times(40), 0,
       Outcome::kUpdated},
      {"final TEST UNIT READY", Fault::TransportError(CommandKind::kTestUnitReady, 2, 21), 0,
       Outcome::kUpdated},
      {"read-back", Fault::TransportError(CommandKind::kReadFlashPage, 9, 21), 1,
       Outcome::kReadBackFailed},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    UpdateRig rig(Link::kPassThrough);
    rig.drive->Config().notReadyAfterCommitUs = 0;  // the first poll answers ready
    rig.drive->AddFault(row.fault);
    CAtapi& atapi = rig.Start();
    CheckRun(rig, atapi.RunUpdate(), row.outcome);
    EXPECT_EQ(rig.pc.MessageBoxes().size(), row.boxes);
  }
}

}  // namespace
