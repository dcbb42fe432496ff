// The test DLL's request log, on the host: the lines the Wine tests match.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "aspi/RequestLog.h"
#include "platform/AspiRecords.h"

namespace {

class RequestLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ::testing::TempDir() + "request-log-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    std::remove(path_.c_str());
  }
  void TearDown() override { std::remove(path_.c_str()); }

  // Sends one request through the log the way the DLL does.
  int Send(wineaspi::RequestLog& log, void* srb, uint8_t statusAfter) {
    std::string line;
    int number = log.Begin(srb, line);
    if (srb) static_cast<aspi::SRB_Header*>(srb)->SRB_Status = statusAfter;
    log.End(1000, srb, number, line);
    return number;
  }

  // The lines without their time stamps.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::ifstream file(path_);
    for (std::string line; std::getline(file, line);)
      lines.push_back(line.substr(line.find(' ') + 1));
    return lines;
  }

  static aspi::SRB_ExecSCSICmd Inquiry() {
    aspi::SRB_ExecSCSICmd srb{};
    srb.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
    srb.SRB_Flags = 0x48;
    srb.SRB_Target = 1;
    srb.SRB_BufLen = 50;
    srb.SRB_BufPointer = buffer_;
    srb.SRB_SenseLen = 14;
    srb.SRB_CDBLen = 12;
    srb.SRB_PostProc = &event_;
    srb.CDBByte[0] = 0x12;
    srb.CDBByte[4] = 0x32;
    return srb;
  }

  std::string path_;
  static uint8_t buffer_[64];
  static int event_;
};

uint8_t RequestLogTest::buffer_[64];
int RequestLogTest::event_;

constexpr char kInquiryLine[] =
    "EXEC ha=0 target=1 lun=0 flags=48 buflen=50 buf=set senselen=14 cdblen=12 postproc=set "
    "cdb=12 00 00 00 32 00 00 00 00 00 00 00";

TEST_F(RequestLogTest, PendingRequestGetsItsEndWithTheEventAndSense) {
  wineaspi::RequestLog log(path_);
  aspi::SRB_ExecSCSICmd srb = Inquiry();
  Send(log, &srb, aspi::SS_PENDING);
  EXPECT_TRUE(log.HasPending());

  log.WriteCompletions(2000);  // still pending: nothing written
  srb.SRB_Status = aspi::SS_ERR;
  srb.SRB_TargStat = 0x02;
  srb.SenseArea[2] = 0x05;
  srb.SenseArea[12] = 0x24;
  log.EventSignalled(srb.SRB_PostProc);
  log.WriteCompletions(3000);

  EXPECT_FALSE(log.HasPending());
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         std::string("#1 ") + kInquiryLine + " -> 00 pending",
                         "#1 done 04 targstat=02 sense=05/24/00 event=set",
                     }));
}

TEST_F(RequestLogTest, SynchronousEndSaysWhetherTheEventWasSet) {
  wineaspi::RequestLog log(path_);
  aspi::SRB_ExecSCSICmd srb = Inquiry();
  Send(log, &srb, aspi::SS_COMP);
  std::string line;
  int number = log.Begin(&srb, line);
  log.EventSignalled(srb.SRB_PostProc);
  log.End(1000, &srb, number, line);

  EXPECT_EQ(Lines(),
            (std::vector<std::string>{
                std::string("#1 ") + kInquiryLine + " -> 01 targstat=00 sense=00/00/00 event=none",
                std::string("#2 ") + kInquiryLine + " -> 01 targstat=00 sense=00/00/00 event=set",
            }));
}

TEST_F(RequestLogTest, AbortNamesTheRequestItsBlockCarried) {
  wineaspi::RequestLog log(path_);
  aspi::SRB_ExecSCSICmd stuck = Inquiry();
  Send(log, &stuck, aspi::SS_PENDING);
  aspi::SRB_Abort abort{};
  abort.SRB_Cmd = aspi::SC_ABORT_SRB;
  abort.SRB_ToAbort = &stuck;
  stuck.SRB_Status = aspi::SS_ABORTED;  // what the manager does while aborting
  Send(log, &abort, aspi::SS_COMP);
  log.WriteCompletions(2000);

  aspi::SRB_ExecSCSICmd stranger = Inquiry();
  abort.SRB_ToAbort = &stranger;
  Send(log, &abort, 0x03);

  std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "#2 ABORT ha=0 flags=00 toabort=#1 -> 01");
  EXPECT_EQ(lines[2], "#1 done 02 targstat=00 sense=00/00/00 event=none");
  EXPECT_EQ(lines[3], "#3 ABORT ha=0 flags=00 toabort=unknown -> 03");
}

TEST_F(RequestLogTest, BlockSentAgainForgetsItsUnfinishedRequest) {
  wineaspi::RequestLog log(path_);
  aspi::SRB_ExecSCSICmd srb = Inquiry();
  Send(log, &srb, aspi::SS_PENDING);
  Send(log, &srb, aspi::SS_COMP);
  EXPECT_FALSE(log.HasPending());
  log.WriteCompletions(2000);
  EXPECT_EQ(Lines().size(), 2u);
}

TEST_F(RequestLogTest, CdbLengthBeyondTheBlockIsNotReadPastIt) {
  wineaspi::RequestLog log(path_);
  aspi::SRB_ExecSCSICmd srb = Inquiry();
  srb.SRB_CDBLen = 200;
  Send(log, &srb, aspi::SS_COMP);
  std::string line = Lines().at(0);
  EXPECT_NE(
      line.find("cdblen=200 postproc=set cdb=12 00 00 00 32 00 00 00 00 00 00 00 00 00 00 00 ->"),
      std::string::npos)
      << line;
}

TEST_F(RequestLogTest, OtherRequestsAreNamedByTheirCommandCode) {
  wineaspi::RequestLog log(path_);
  aspi::SRB_GDEVBlock devType{};
  devType.SRB_Cmd = aspi::SC_GET_DEV_TYPE;
  devType.SRB_HaId = 1;
  devType.SRB_Target = 7;
  devType.SRB_Lun = 3;
  devType.SRB_DeviceType = aspi::DTYPE_CDROM;
  Send(log, &devType, aspi::SS_COMP);
  aspi::SRB_HAInquiry adapter{};
  adapter.HA_Count = 2;
  Send(log, &adapter, aspi::SS_COMP);
  aspi::SRB_Header unknown{};
  unknown.SRB_Cmd = 0x07;
  Send(log, &unknown, aspi::SS_INVALID_CMD);
  Send(log, nullptr, 0);

  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "#1 GET_DEV_TYPE ha=1 target=7 lun=3 flags=00 -> 01 type=05",
                         "#2 HA_INQUIRY ha=0 flags=00 -> 01 count=2",
                         "#3 CMD 07 ha=0 -> 80",
                         "#4 null",
                     }));
}

TEST_F(RequestLogTest, NoPathWritesNothing) {
  wineaspi::RequestLog log("");
  aspi::SRB_ExecSCSICmd srb = Inquiry();
  Send(log, &srb, aspi::SS_PENDING);
  EXPECT_TRUE(log.HasPending());
  EXPECT_TRUE(Lines().empty());
}

}  // namespace
