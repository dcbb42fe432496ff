#include "transport/Atapi.h"
#include "update/EngineTrace.h"
#include "update/ImageCheck.h"

namespace {

constexpr uint32_t kPauseBeforeFirstBlockMs = 2000;
constexpr uint32_t kPauseAfterRetryMs = 20000;
constexpr int64_t kAspiClosingWaitSeconds = 60;  // waits until more than this has passed
constexpr uint32_t kReadyTimeoutSeconds = 120;
constexpr uint32_t kWaitSliceMs = 10;

constexpr uint8_t kModeBlock = 5;
constexpr uint8_t kModeClosingPassThrough = 4;
constexpr uint8_t kModeClosingRetry = 5;
constexpr uint8_t kClosingBlockBase = 0xE0;
constexpr uint8_t kClosingRetryBlockBase = 0xF0;

constexpr uint8_t kSenseNoSense = 0;
constexpr uint8_t kSenseNotReady = 2;
constexpr uint8_t kSenseIllegalRequest = 5;
constexpr uint8_t kAscMediumNotPresent = 0x3A;
constexpr uint8_t kAscParameterListLength = 0x1A;

const char kHardwareError[] =
    "Found hardware error. Your drive cannot be updated to new firmware.\n\n ";

bool WriteBlocks(CAtapi& drive, platform::File file, uint8_t* buffer) {
  const ImageHeader& header = drive.Image();
  for (int block = 0; block < header.BlockCount(); ++block) {
    const uint16_t length = header.BlockLength(block);
    if (length == 0 || drive.Os().ReadFile(file, buffer, length) != length) return false;
    if (header.ScrambleFlag() == kScrambledFlag) CAtapi::Unscramble(buffer, length, 1);
    if (drive.WriteFirmwareBlock(buffer, kModeBlock, static_cast<uint32_t>(block), length, 0) !=
        aspi::SS_COMP) {
      drive.EngineTrace(kHardwareError);
      return false;
    }
  }
  return true;
}

uint16_t ClosingChecksum(const ImageHeader& header) {
  return header.ChecksumSelector() == kAlternateChecksumSelector ? header.AlternateChecksum()
                                                                 : header.Checksum();
}

// The drive needs this long after the closing command on ASPI whatever it
// answers. Sliced sleeps keep the wait off the processor; a machine without a
// performance counter falls back to the tick count instead of dividing by 0.
void WaitAfterAspiClosing(platform::Platform& os) {
  const int64_t frequency = os.PerformanceFrequency();
  if (frequency <= 0) {
    const uint32_t start = os.TickCount();
    while ((os.TickCount() - start) / 1000 <= kAspiClosingWaitSeconds) os.SleepFor(kWaitSliceMs);
    return;
  }
  const int64_t start = os.PerformanceCounter();
  while ((os.PerformanceCounter() - start) / frequency <= kAspiClosingWaitSeconds) {
    os.SleepFor(kWaitSliceMs);
  }
}

struct Closing {
  uint8_t status = 0;
  bool retried = false;
};

Closing SendClosingCommand(CAtapi& drive) {
  const ImageHeader& header = drive.Image();
  const uint16_t checksum = ClosingChecksum(header);
  const auto block = static_cast<uint8_t>(header.BlockCount() + kClosingBlockBase);
  const bool aspi = !drive.IsNtFamily();
  Closing closing;
  closing.status = drive.WriteFirmwareBlock(nullptr, aspi ? kModeBlock : kModeClosingPassThrough,
                                            block, 0, checksum);
  if (aspi) WaitAfterAspiClosing(drive.Os());

  if (closing.status == aspi::SS_COMP || drive.LastSense().key != kSenseIllegalRequest) {
    return closing;
  }
  if (aspi) drive.TestUnitReady();
  closing.retried = true;
  closing.status = drive.WriteFirmwareBlock(nullptr, kModeClosingRetry, block, 0, checksum);
  const SenseTriple sense = drive.LastSense();
  if (closing.status != aspi::SS_COMP && sense.key == kSenseIllegalRequest &&
      sense.asc == kAscParameterListLength && sense.ascq == 0) {
    drive.TestUnitReady();
    const auto retryBlock = static_cast<uint8_t>(header.BlockCount() + kClosingRetryBlockBase);
    closing.status = drive.WriteFirmwareBlock(nullptr, kModeClosingRetry, retryBlock, 0, checksum);
  }
  return closing;
}

// A restarting drive is briefly gone from the bus: a pass-through call that
// failed, whatever the error, means "not ready yet", never ready.
bool AnsweredReady(CAtapi& drive) {
  return drive.TestUnitReady() == aspi::SS_COMP && !drive.LastCallFailed();
}

// A drive without a disc answers "medium not present" once it is back.
bool PollUntilReady(CAtapi& drive) {
  platform::Platform& os = drive.Os();
  const uint32_t start = os.TickCount();
  for (;;) {
    if (AnsweredReady(drive)) return true;
    const SenseTriple sense = drive.LastSense();
    if (!drive.LastCallFailed() && sense.key == kSenseNotReady &&
        sense.asc == kAscMediumNotPresent) {
      return true;
    }
    if (AnsweredReady(drive)) return true;
    if (AnsweredReady(drive)) return true;
    if ((os.TickCount() - start) / 1000 > kReadyTimeoutSeconds) return false;
  }
}

// From the closing command to the last TEST UNIT READY the drive commits and
// restarts its firmware: the procedure's rules judge every answer, and a box
// would stop the worker while the ready time-out runs on.
class DriveRestarting {
 public:
  explicit DriveRestarting(CAtapi& drive) : drive_(drive) { drive_.SetDriveRestarting(true); }
  ~DriveRestarting() { drive_.SetDriveRestarting(false); }
  DriveRestarting(const DriveRestarting&) = delete;
  DriveRestarting& operator=(const DriveRestarting&) = delete;

 private:
  CAtapi& drive_;
};

}  // namespace

bool CAtapi::FlashFirmware() {
  if (!image::BlockCountInRange(image_)) return false;
  auto* buffer = static_cast<uint8_t*>(os_.AllocateBuffer(image::kWorkingBufferSize));
  if (buffer == nullptr) {
    EngineTrace("Err:Memory allocation");
    return false;
  }
  platform::File file = os_.OpenFileForReading(kImageFileName);
  if (file == nullptr) {
    os_.FreeBuffer(buffer);
    return false;
  }

  bool flashed = false;
  if (os_.SeekFile(file, kImageHeaderSize)) {
    os_.SleepFor(kPauseBeforeFirstBlockMs);
    flashed = WriteBlocks(*this, file, buffer);
  }
  os_.CloseFile(file);
  os_.FreeBuffer(buffer);
  if (!flashed) return false;

  // ASPI leaves the sense of the last failed command in the request block, so
  // a closing command that completed is not judged by an older command's sense.
  const DriveRestarting restarting(*this);
  const Closing closing = SendClosingCommand(*this);
  const SenseTriple sense = LastSense();
  if (closing.status != aspi::SS_COMP && sense.key != kSenseNoSense &&
      sense.key != kSenseNotReady) {
    TraceFormatted(*this, "Status:%x;SenseCode:%x : %x : %x;", closing.status, sense.key, sense.asc,
                   sense.ascq);
    EngineTrace(kHardwareError);
    return false;
  }
  if (closing.retried) os_.SleepFor(kPauseAfterRetryMs);

  if (!PollUntilReady(*this)) {
    const SenseTriple last = LastSense();
    if (ntFamily_) {
      TraceFormatted(*this, "Time Out Status:%x;Debug:Trigger_SenseCode:%x : %x : %x;",
                     closing.status, last.key, last.asc, last.ascq);
    } else {
      const uint8_t targetStatus = request_ != nullptr ? request_->SRB_TargStat : 0;
      TraceFormatted(*this, "Time Out Status:%x;Status:%x;Debug:Trigger_SenseCode:%x : %x : %x;",
                     targetStatus, closing.status, last.key, last.asc, last.ascq);
    }
    TraceFormatted(*this, "Err:Flash error,time out %d Sec",
                   static_cast<int>(kReadyTimeoutSeconds));
    return false;
  }
  TestUnitReady();
  return true;
}
