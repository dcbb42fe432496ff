// The pass-through library's core on the host: requests shaped the way
// Wine's CD-ROM code builds them from the kit's pass-through record.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "passthrough/SgBridge.h"
#include "sim/K818rDrive.h"

namespace {

using passthrough::PassThroughRecord;

// The record as the kit's drive object fills it in.
PassThroughRecord KitRecord(const std::vector<uint8_t>& cdb, void* buffer, uint32_t length,
                            uint8_t dataIn) {
  PassThroughRecord record{};
  record.sptd.Length = sizeof record.sptd;
  record.sptd.CdbLength = 12;
  record.sptd.SenseInfoLength = 24;
  record.sptd.DataIn = dataIn;
  record.sptd.DataTransferLength = length;
  record.sptd.TimeOutValue = 60;
  record.sptd.DataBuffer = buffer;
  record.sptd.SenseInfoOffset = passthrough::kSenseBufferOffset;
  std::memcpy(record.sptd.Cdb, cdb.data(), cdb.size());
  return record;
}

// What Wine hands to SG_IO for that record.
sg_io_hdr WineRequest(PassThroughRecord& record) {
  sg_io_hdr request{};
  request.interface_id = 'S';
  request.cmd_len = record.sptd.CdbLength;
  request.mx_sb_len = record.sptd.SenseInfoLength;
  request.dxfer_len = record.sptd.DataTransferLength;
  request.dxferp = record.sptd.DataBuffer;
  request.cmdp = record.sptd.Cdb;
  request.sbp = reinterpret_cast<unsigned char*>(&record) + record.sptd.SenseInfoOffset;
  request.timeout = record.sptd.TimeOutValue * 1000;
  request.dxfer_direction =
      record.sptd.DataIn == passthrough::SCSI_IOCTL_DATA_IN    ? SG_DXFER_FROM_DEV
      : record.sptd.DataIn == passthrough::SCSI_IOCTL_DATA_OUT ? SG_DXFER_TO_DEV
                                                               : SG_DXFER_NONE;
  return request;
}

const std::vector<uint8_t> kInquiry = {0x12, 0, 0, 0, 0x32, 0, 0, 0, 0, 0, 0, 0};
const std::vector<uint8_t> kTestUnitReady(12, 0);

std::string RecordText(uint8_t dataIn, uint32_t length) {
  return "Length=" + std::to_string(sizeof(passthrough::SCSI_PASS_THROUGH_DIRECT)) +
         " CdbLength=12 SenseInfoLength=24 DataIn=" + std::to_string(dataIn) +
         " DataTransferLength=" + std::to_string(length) +
         " TimeOutValue=60 SenseInfoOffset=" + std::to_string(passthrough::kSenseBufferOffset);
}

TEST(SgBridge, InquiryFillsTheBufferAndLogsTheRecordAsTheProgramFilledItIn) {
  sim::K818rDrive drive;
  uint8_t data[256] = {};
  PassThroughRecord record = KitRecord(kInquiry, data, 50, passthrough::SCSI_IOCTL_DATA_IN);
  sg_io_hdr request = WineRequest(record);

  ASSERT_EQ(winept::RecordBehind(request), &record.sptd);
  winept::SgAnswer answer = winept::AnswerRequest(request, drive, 'E', 0);

  EXPECT_EQ(answer.result, 0);
  EXPECT_EQ(request.status, 0);
  EXPECT_EQ(request.resid, 0);
  EXPECT_EQ(request.sb_len_wr, 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 8), 16), "QUAV    OD-K818R");
  EXPECT_EQ(data[50], 0) << "more than the allocation length was written";
  EXPECT_EQ(answer.waitUs, drive.LatencyUs());
  EXPECT_EQ(answer.line, "E: " + RecordText(1, 50) +
                             " DataBuffer=set cdb=12 00 00 00 32 00 00 00 00 00 00 00"
                             " -> status=00 sense=00/00/00 resid=0");
}

// The data phase's direction reaches the drive: a firmware block goes out
// of the program's own buffer, and the same block sent as data in is refused.
TEST(SgBridge, FirmwareBlockGoesOutOfTheProgramsBuffer) {
  const std::vector<uint8_t> writeBlock = {0x5A, 0, 0x38, 0x41, 0x53, 0xA0, 5, 0, 0x80, 0, 0, 0};
  const struct {
    uint8_t dataIn;
    bool staged;
    const char* ending;
  } cases[] = {{passthrough::SCSI_IOCTL_DATA_OUT, true, "-> status=00 sense=00/00/00 resid=0"},
               {passthrough::SCSI_IOCTL_DATA_IN, false, "-> status=02 sense=05/24/00 resid=32768"}};
  for (const auto& c : cases) {
    sim::K818rDrive drive;
    std::vector<uint8_t> block(0x8000, 0xA5);
    PassThroughRecord record = KitRecord(writeBlock, block.data(), 0x8000, c.dataIn);
    sg_io_hdr request = WineRequest(record);

    winept::SgAnswer answer = winept::AnswerRequest(request, drive, 'E', 0);

    EXPECT_EQ(drive.Staged(0), c.staged) << answer.line;
    const std::string ending = c.ending;
    EXPECT_EQ(answer.line.substr(answer.line.size() - ending.size()), ending) << answer.line;
  }
}

struct OutcomeCase {
  const char* name;
  sim::Fault fault;
  int result;
  int error;
  uint8_t status;
  uint8_t senseWritten;
  const char* ending;  // the log line after the CDB
};

class SgBridgeOutcome : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(SgBridgeOutcome, ReachesTheProgramThroughTheRequest) {
  const OutcomeCase& c = GetParam();
  sim::K818rDrive drive;
  drive.AddFault(c.fault);
  PassThroughRecord record = KitRecord(kTestUnitReady, nullptr, 0, 2);
  sg_io_hdr request = WineRequest(record);

  winept::SgAnswer answer = winept::AnswerRequest(request, drive, 'G', 0);

  EXPECT_EQ(answer.result, c.result);
  EXPECT_EQ(answer.error, c.error);
  EXPECT_EQ(request.status, c.status);
  EXPECT_EQ(request.sb_len_wr, c.senseWritten);
  if (c.senseWritten > 0) {
    EXPECT_EQ(record.SenseBuf[0], 0x70);
    EXPECT_EQ(record.SenseBuf[2], c.fault.senseKey);
    EXPECT_EQ(record.SenseBuf[12], c.fault.asc);
  }
  const std::string line = answer.line;
  const std::string ending = c.ending;
  ASSERT_GE(line.size(), ending.size()) << line;
  EXPECT_EQ(line.substr(line.size() - ending.size()), ending) << line;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SgBridgeOutcome,
    ::testing::Values(
        // Sense goes into the record's own buffer, 18 of the 24 bytes allowed.
        OutcomeCase{"check_condition",
                    sim::Fault::Sense(sim::CommandKind::kTestUnitReady, 1, 0x02, 0x04, 0x01), 0, 0,
                    2, 18, " -> status=02 sense=02/04/01 resid=0"},
        OutcomeCase{"busy", sim::Fault::Status(sim::CommandKind::kTestUnitReady, 1, 0x08), 0, 0, 8,
                    0, " -> status=08 sense=00/00/00 resid=0"},
        // No errno becomes 1117 under Wine: the other tolerated error stands in.
        OutcomeCase{"tolerated_error",
                    sim::Fault::TransportError(sim::CommandKind::kTestUnitReady, 1, 1117), -1,
                    ETIME, 0, 0, " -> error=1117 errno=ETIME"},
        OutcomeCase{"access_denied_with_the_record_filled",
                    sim::Fault::TransportError(sim::CommandKind::kTestUnitReady, 1, 5, true), -1,
                    EACCES, 0, 0, " -> error=5 errno=EACCES status=00"},
        // The kernel's time-out shows only in host_status, which Wine ignores.
        OutcomeCase{"slower_than_the_time_out",
                    sim::Fault::Slow(sim::CommandKind::kTestUnitReady, 1, 61'000'000), 0, 0, 0, 0,
                    " -> timed out"}),
    [](const ::testing::TestParamInfo<OutcomeCase>& param) { return param.param.name; });

TEST(SgBridge, TimedOutCommandWaitsOnlyTheTimeOutAndMovesNoData) {
  sim::K818rDrive drive;
  drive.AddFault(sim::Fault::Slow(sim::CommandKind::kInquiry, 1, 90'000'000));
  uint8_t data[64] = {};
  PassThroughRecord record = KitRecord(kInquiry, data, 50, passthrough::SCSI_IOCTL_DATA_IN);
  sg_io_hdr request = WineRequest(record);

  winept::SgAnswer answer = winept::AnswerRequest(request, drive, 'E', 0);

  EXPECT_EQ(answer.waitUs, 60'000'000u);
  EXPECT_EQ(request.host_status, 0x03);
  EXPECT_EQ(request.resid, 50);
}

TEST(SgBridge, RequestNotMadeFromARecordIsLoggedByItsOwnFields) {
  sim::K818rDrive drive;
  // A sense buffer ahead of the Cdb: nothing before the Cdb is a record.
  struct {
    uint8_t sense[32];
    uint8_t cdb[16];
  } own = {};
  sg_io_hdr request{};
  request.interface_id = 'S';
  request.cmd_len = 6;
  request.mx_sb_len = 32;
  request.cmdp = own.cdb;
  request.sbp = own.sense;
  request.timeout = 5000;
  request.dxfer_direction = SG_DXFER_NONE;

  EXPECT_EQ(winept::RecordBehind(request), nullptr);
  winept::SgAnswer answer = winept::AnswerRequest(request, drive, 'F', 0);
  EXPECT_EQ(answer.line,
            "F: record=unknown cmd_len=6 mx_sb_len=32 dxfer_direction=-1 dxfer_len=0 "
            "timeout=5000 cdb=00 00 00 00 00 00 -> status=00 sense=00/00/00 resid=0");
}

TEST(SgBridge, WindowsErrorsBecomeTheErrnoWineTurnsBackIntoThem) {
  const struct {
    uint32_t windowsError;
    int error;
  } cases[] = {{121, ETIME}, {1117, ETIME}, {5, EACCES}, {6, EBADF}, {87, EINVAL},
               {50, ENOTTY}, {170, EBUSY},  {21, EIO},   {55, EIO},  {31, EIO}};
  for (const auto& c : cases) {
    EXPECT_EQ(winept::ErrnoForWindowsError(c.windowsError), c.error) << c.windowsError;
  }
}

}  // namespace
