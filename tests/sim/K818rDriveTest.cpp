#include <gtest/gtest.h>

#include <cstring>

#include "sim/K818rDrive.h"
#include "tests/sim/Cdbs.h"

namespace {

using sim::CommandKind;
using sim::Fault;
using sim::K818rDrive;
using sim::ScsiResult;
using simtest::Command;

constexpr uint64_t kSecond = 1'000'000;

struct Sense {
  uint8_t status, key, asc, ascq;
  bool operator==(const Sense& other) const {
    return status == other.status && key == other.key && asc == other.asc && ascq == other.ascq;
  }
};
std::ostream& operator<<(std::ostream& out, const Sense& sense) {
  return out << "status " << int{sense.status} << " sense " << std::hex << int{sense.key} << "/"
             << int{sense.asc} << "/" << int{sense.ascq};
}

Sense SenseOf(const ScsiResult& result) {
  return Sense{result.status, result.sense[2], result.sense[12], result.sense[13]};
}

const Sense kGood{0, 0, 0, 0};
const Sense kBecomingReady{2, 2, 0x04, 0x01};
const Sense kNoDisc{2, 2, 0x3A, 0x00};
const Sense kInvalidOpcode{2, 5, 0x20, 0x00};

// Sends what a good update sends, from the blocks to the read-back.
class UpdateSequence : public ::testing::Test {
 protected:
  ScsiResult Write(int block, uint64_t at = 0) {
    std::vector<uint8_t>& data = image.blocks[static_cast<size_t>(block)];
    const auto length = static_cast<uint16_t>(data.size());
    return drive.Execute(Command(simtest::WriteBlock(5, static_cast<uint8_t>(block), length, 0),
                                 data.data(), length, sim::kDataOut, at));
  }
  ScsiResult WriteAll() {
    ScsiResult last;
    for (size_t i = 0; i < image.blocks.size(); ++i) last = Write(static_cast<int>(i));
    return last;
  }
  ScsiResult Close(uint8_t mode = 5, uint8_t base = 0xE0, uint64_t at = 10 * kSecond) {
    const auto block = static_cast<uint8_t>(base + image.blocks.size());
    return drive.Execute(
        Command(simtest::WriteBlock(mode, block, 0, image.checksum), nullptr, 0, 0, at));
  }
  ScsiResult Tur(uint64_t at) {
    return drive.Execute(Command(simtest::TestUnitReady(), nullptr, 0, 0, at));
  }
  // The read-back: every page of every flashed bank, banks 1 and 2 up to 0xEFFF.
  // Returns -1 when a read fails.
  int ReadBackSum(uint64_t at) {
    uint32_t sum = 0;
    for (int bank = 0; bank < static_cast<int>(image.blocks.size()); ++bank) {
      for (uint32_t address = 0; address < 0x10000; address += 0x100) {
        if ((bank == 1 || bank == 2) && address == 0xF000) break;
        uint8_t page[256] = {};
        const ScsiResult result = drive.Execute(
            Command(simtest::ReadPage(static_cast<uint8_t>(bank), static_cast<uint16_t>(address)),
                    page, sizeof page, sim::kDataIn, at));
        if (result.status != 0 || result.transferred != 256) return -1;
        for (uint8_t byte : page) sum += byte;
      }
    }
    return static_cast<int>(sum & 0xFFFF);
  }

  simtest::Image image = simtest::MakeImage({0xFFFF, 0xF000, 0xE800, 0x8000});
  K818rDrive drive;
};

TEST_F(UpdateSequence, GoodUpdateReadsBackToTheImageChecksum) {
  ASSERT_NE(image.checksum, 0);
  EXPECT_EQ(SenseOf(WriteAll()), kGood);
  EXPECT_EQ(SenseOf(Close()), kGood);

  ASSERT_EQ(drive.Closings().size(), 1u);
  EXPECT_EQ(drive.Closings()[0].block, 0xE4);
  EXPECT_EQ(drive.Closings()[0].mode, 5);
  EXPECT_EQ(drive.Closings()[0].value, image.checksum);
  EXPECT_EQ(drive.Closings()[0].banksCommitted, 4);

  // Not ready for 15 s after the commit, then ready.
  EXPECT_EQ(SenseOf(Tur(10 * kSecond + 1000)), kBecomingReady);
  EXPECT_EQ(SenseOf(Tur(25 * kSecond - 1)), kBecomingReady);
  EXPECT_EQ(SenseOf(Tur(25 * kSecond)), kGood);

  EXPECT_EQ(ReadBackSum(26 * kSecond), image.checksum);
  EXPECT_EQ(drive.ReadBackSum(4), image.checksum);
  // A bank holds its block followed by zeros.
  EXPECT_EQ(0, std::memcmp(drive.Bank(3).data(), image.blocks[3].data(), 0x8000));
  EXPECT_EQ(drive.Bank(3)[0x8000], 0);
}

TEST_F(UpdateSequence, ClosingVariantsTheProcedureMaySendAllCommit) {
  struct Case {
    uint8_t mode;
    uint8_t base;
  };
  for (const Case c : {Case{4, 0xE0}, Case{5, 0xE0}, Case{5, 0xF0}}) {
    SCOPED_TRACE(testing::Message()
                 << "mode " << int{c.mode} << " base " << std::hex << int{c.base});
    drive = K818rDrive();
    WriteAll();
    EXPECT_EQ(SenseOf(Close(c.mode, c.base)), kGood);
    EXPECT_EQ(drive.ReadBackSum(4), image.checksum);
  }
}

TEST_F(UpdateSequence, OldFirmwareStaysUntilTheClosingCommand) {
  drive.Config().oldFirmwareFill = 0x11;
  drive.ResetFlash();
  WriteAll();
  EXPECT_EQ(drive.Bank(0)[0], 0x11);
  EXPECT_TRUE(drive.Staged(0));
  EXPECT_EQ(ReadBackSum(0), static_cast<uint16_t>(0x11 * (0x10000 * 2 + 0xF000 * 2)));
}

TEST_F(UpdateSequence, CommandsOtherThanInquiryWaitForTheDriveAfterTheCommit) {
  WriteAll();
  Close();
  EXPECT_EQ(SenseOf(Write(0, 11 * kSecond)), kBecomingReady);
  EXPECT_EQ(ReadBackSum(11 * kSecond), -1);
  uint8_t inquiry[96] = {};
  EXPECT_EQ(
      SenseOf(drive.Execute(Command(simtest::Inquiry(), inquiry, 50, sim::kDataIn, 11 * kSecond))),
      kGood);
}

TEST_F(UpdateSequence, MalformedFirmwareCommandsAreRefused) {
  uint8_t data[16] = {};
  struct Case {
    const char* what;
    sim::Cdb cdb;
    uint32_t length;
    uint8_t direction;
    Sense expected;
  };
  const Case cases[] = {
      {"block mode 4", simtest::WriteBlock(4, 0, 16, 0), 16, sim::kDataOut, {2, 5, 0x24, 0}},
      {"block beyond bank 7", simtest::WriteBlock(5, 8, 16, 0), 16, sim::kDataOut, {2, 5, 0x24, 0}},
      {"short data phase", simtest::WriteBlock(5, 0, 16, 0), 8, sim::kDataOut, {2, 5, 0x24, 0}},
      {"closing block 0xD4", simtest::WriteBlock(5, 0xD4, 0, 0), 0, 0, {2, 5, 0x24, 0}},
      {"closing mode 3", simtest::WriteBlock(3, 0xE4, 0, 0), 0, 0, {2, 5, 0x24, 0}},
      {"bank 8", simtest::ReadPage(8, 0), 16, sim::kDataIn, {2, 5, 0x24, 0}},
      {"page past the bank", simtest::ReadPage(0, 0xFF80), 16, sim::kDataIn, {2, 5, 0x21, 0}},
      {"READ CAPACITY", sim::Cdb{0x25}, 8, sim::kDataIn, kInvalidOpcode},
      {"unknown vendor sub-code", sim::Cdb{0x5A, 0, 0x38, 0x41, 0x53, 0x99}, 0, 0, kInvalidOpcode},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SenseOf(drive.Execute(Command(c.cdb, data, c.length, c.direction))), c.expected);
  }
  EXPECT_TRUE(drive.Closings().empty());
}

TEST(K818rInquiry, ReportsIdentityAndTypeCodeWhereTheScanReadsThem) {
  K818rDrive drive;
  drive.Config().revision = std::string("1.0\0", 4);
  drive.Config().typeCode = "W0";
  uint8_t data[256];
  std::memset(data, 0xEE, sizeof data);
  const ScsiResult result = drive.Execute(Command(simtest::Inquiry(50), data, 50, sim::kDataIn));
  EXPECT_EQ(SenseOf(result), kGood);
  EXPECT_EQ(result.transferred, 50u);
  EXPECT_EQ(data[0], 0x05);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 8), 24), "QUAV    OD-K818R        ");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 32), 4), std::string("1.0\0", 4));
  EXPECT_EQ(data[38], 'W');
  EXPECT_EQ(data[39], '0');
  EXPECT_EQ(data[50], 0xEE) << "only the allocation length is written";
}

TEST(K818rInquiry, ShortAnswerLeavesTheRestOfTheBufferAlone) {
  K818rDrive drive;
  drive.Config().inquiryLength = 36;
  uint8_t data[64] = {};
  const ScsiResult result = drive.Execute(Command(simtest::Inquiry(50), data, 50, sim::kDataIn));
  EXPECT_EQ(result.transferred, 36u);
  EXPECT_EQ(data[35], '1');
  EXPECT_EQ(data[38], 0);
  EXPECT_EQ(data[39], 0);
}

// ---- Faults ----------------------------------------------------------------

TEST_F(UpdateSequence, ClosingRefusedTwiceIsNotCarriedOutUntilTheThirdTime) {
  drive.AddFault(Fault::Sense(CommandKind::kClosing, 1, 0x05, 0x1A, 0x00).Times(2));
  WriteAll();
  const Sense refused{2, 5, 0x1A, 0};
  EXPECT_EQ(SenseOf(Close()), refused);
  EXPECT_EQ(SenseOf(Tur(10 * kSecond + 10)), kGood) << "a refused closing commits nothing";
  EXPECT_EQ(SenseOf(Close(5)), refused);
  EXPECT_EQ(SenseOf(Close(5, 0xF0, 11 * kSecond)), kGood);
  ASSERT_EQ(drive.Closings().size(), 1u);
  EXPECT_EQ(drive.Closings()[0].block, 0xF4);
  EXPECT_EQ(drive.ReadBackSum(4), image.checksum);
}

TEST_F(UpdateSequence, DroppedWriteClaimsSuccessAndStoresNothing) {
  drive.AddFault(Fault::DropWrite(2));
  EXPECT_EQ(SenseOf(Write(0)), kGood);
  const ScsiResult dropped = Write(1);
  EXPECT_EQ(SenseOf(dropped), kGood);
  EXPECT_EQ(dropped.transferred, 0xF000u);
  EXPECT_FALSE(drive.Staged(1));
  Write(2);
  Write(3);
  Close();
  EXPECT_EQ(drive.Bank(1), std::vector<uint8_t>(0x10000, 0)) << "old firmware left";
  EXPECT_NE(drive.ReadBackSum(4), image.checksum);
}

TEST_F(UpdateSequence, NeverReadyDriveAnswersBecomingReadyForever) {
  drive.AddFault(Fault::NeverReady());
  WriteAll();
  EXPECT_EQ(SenseOf(Close()), kGood);
  EXPECT_EQ(SenseOf(Tur(3600 * kSecond)), kBecomingReady);
}

TEST_F(UpdateSequence, NoDiscShowsOnceTheDriveIsBackAfterTheCommit) {
  drive.AddFault(Fault::NoDisc());
  EXPECT_EQ(SenseOf(Tur(0)), kGood) << "before the update the drive is as it was";
  WriteAll();
  Close();
  EXPECT_EQ(SenseOf(Tur(12 * kSecond)), kBecomingReady);
  EXPECT_EQ(SenseOf(Tur(26 * kSecond)), kNoDisc);
}

TEST_F(UpdateSequence, CorruptedByteSpoilsTheReadBackOnce) {
  drive.AddFault(Fault::CorruptBank(2, 0x10, 0x01));
  WriteAll();
  Close();
  EXPECT_EQ(drive.Bank(2)[0x10], image.blocks[2][0x10] ^ 0x01);
  Close(5, 0xE0, 40 * kSecond);  // a repeated closing must not flip it back
  EXPECT_EQ(drive.Bank(2)[0x10], image.blocks[2][0x10] ^ 0x01);
  EXPECT_NE(drive.ReadBackSum(4), image.checksum);
}

TEST_F(UpdateSequence, TransportFailureReachesTheDriveOnlyWhenTheRecordIsFilled) {
  drive.AddFault(Fault::TransportError(CommandKind::kWriteBlock, 1, 1117));
  drive.AddFault(Fault::TransportError(CommandKind::kWriteBlock, 2, 121, true));
  const ScsiResult lost = Write(0);
  EXPECT_TRUE(lost.transportFailed);
  EXPECT_EQ(lost.transportError, 1117u);
  EXPECT_FALSE(drive.Staged(0));
  const ScsiResult filled = Write(1);
  EXPECT_TRUE(filled.transportFailed);
  EXPECT_TRUE(filled.fillRecordOnFailure);
  EXPECT_EQ(filled.transportError, 121u);
  EXPECT_TRUE(drive.Staged(1));
}

TEST_F(UpdateSequence, FaultsSelectByPositionByOrdinalOrEveryOne) {
  drive.AddFault(Fault::Status(CommandKind::kAny, 1, sim::kStatusBusy).AtPosition(3));
  drive.AddFault(Fault::Sense(CommandKind::kTestUnitReady, 2, 0x02, 0x3A, 0x00).Every());
  std::vector<uint8_t> statuses;
  for (int i = 0; i < 5; ++i) statuses.push_back(Tur(0).status);
  EXPECT_EQ(statuses, (std::vector<uint8_t>{0, 2, 8, 2, 2}));
  EXPECT_EQ(drive.CommandsReceived(), 5);
  EXPECT_EQ(drive.CommandsOfKind(CommandKind::kTestUnitReady), 5);
}

TEST_F(UpdateSequence, CompletionAndLatencyFaultsLeaveTheAnswerAlone) {
  drive.AddFault(Fault::CompleteAs(CommandKind::kClosing, 1, sim::Completion::kNever));
  drive.AddFault(Fault::Slow(CommandKind::kClosing, 1, 40 * kSecond));
  WriteAll();
  const ScsiResult result = Close();
  EXPECT_EQ(SenseOf(result), kGood);
  EXPECT_EQ(result.completion, sim::Completion::kNever);
  EXPECT_EQ(result.latencyUs, 40 * kSecond);
  EXPECT_EQ(Write(0, 30 * kSecond).latencyUs, K818rDrive::kDefaultLatencyUs);
}

}  // namespace
