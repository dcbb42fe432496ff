// A simulated SCSI/ATAPI device: executes one 12-byte command at a virtual
// time and answers with a SCSI status, fixed-format sense data and the bytes
// moved, the way a target answers its host adapter.
//
// Every device carries a list of scripted faults, which the transports and
// the drive model consult; a test names a fault in one line:
//
//   drive->AddFault(sim::Fault::Sense(sim::CommandKind::kClosing, 1, 0x05, 0x1A, 0x00));
//   drive->AddFault(sim::Fault::TransportError(sim::CommandKind::kTestUnitReady, 0, 1117));
//   drive->AddFault(sim::Fault::FlipBits(sim::CommandKind::kReadFlashPage, 7, 17, 0x01));
//
// A test may also send commands straight to a device with Execute() to check
// the device model itself; the transports do the same.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/AspiRecords.h"
#include "sim/SimErrors.h"

namespace sim {

constexpr uint8_t kStatusGood = 0x00;
constexpr uint8_t kStatusCheckCondition = 0x02;
constexpr uint8_t kStatusBusy = 0x08;

constexpr uint8_t kSenseNotReady = 0x02;
constexpr uint8_t kSenseIllegalRequest = 0x05;
constexpr uint8_t kSenseUnitAttention = 0x06;

// What a host adapter reports for a target that does not answer selection.
constexpr uint8_t kHaSelectionTimeout = 0x11;

constexpr size_t kSenseLength = 18;  // fixed format: key at 2, ASC at 12, ASCQ at 13
using SenseData = std::array<uint8_t, kSenseLength>;
SenseData MakeSense(uint8_t key, uint8_t asc, uint8_t ascq);

using Cdb = std::array<uint8_t, 12>;

// The data phase as the device sees it: the transports map their own codes
// (SRB_Flags, DataIn) onto the ASPI direction bits.
constexpr uint8_t kDataNone = 0x00;  // also "not specified"
constexpr uint8_t kDataIn = 0x08;
constexpr uint8_t kDataOut = 0x10;

struct ScsiCommand {
  Cdb cdb{};
  uint8_t* data = nullptr;  // caller's buffer; may be null when length is 0
  uint32_t length = 0;      // transfer length the host allows
  uint8_t direction = kDataNone;
  uint64_t timeUs = 0;  // virtual time of delivery
};

// How an ASPI request ends, per device or per command through a fault.
enum class Completion {
  kDefault,      // what the attachment says
  kSynchronous,  // SRB_Status set inside SendASPI32Command
  kPending,      // SS_PENDING, completed (and the event signalled) after the latency
  kNever,        // stays SS_PENDING until aborted
};

struct ScsiResult {
  uint8_t status = kStatusGood;
  SenseData sense{};  // meaningful when status is CHECK CONDITION
  uint32_t transferred = 0;
  // A failure of the path to the device rather than of the command: the
  // ASPI manager answers SS_ERR without sense, the pass-through port makes
  // DeviceIoControl fail with `transportError`.
  bool transportFailed = false;
  uint32_t transportError = 0;
  bool fillRecordOnFailure = false;  // pass-through: the record is filled all the same
  uint8_t aspiStatus = 0;            // nonzero: the ASPI manager reports this SRB_Status
  uint8_t hostAdapterStatus = 0;     // SRB_HaStat
  Completion completion = Completion::kDefault;
  uint64_t latencyUs = 0;  // how long the command takes
};

// What a command is, for matching faults.
enum class CommandKind {
  kAny,
  kTestUnitReady,
  kInquiry,
  kWriteBlock,     // vendor write firmware block with data
  kClosing,        // vendor write firmware block with length 0
  kReadFlashPage,  // vendor read flash page
  kOther,
};
CommandKind ClassifyCommand(const Cdb& cdb);
const char* CommandKindName(CommandKind kind);

enum class FaultAction {
  kStatus,          // answer `status` (with sense when CHECK CONDITION); not executed
  kTransportError,  // path failure; executed only when fillRecord is set
  kDropWrite,       // status good, nothing executed or stored
  kCompletion,      // executed normally, completes as `completion` says
  kLatency,         // executed normally, takes `latencyUs`
  kNeverReady,      // drive model: never ready again after the commit
  kNoDisc,          // drive model: once ready again, no disc (2/3A/00)
  kCorruptBank,     // drive model: bank[offset] ^= xorMask after the commit
  kFlipBits,        // executed; byte `byteIndex` of the data moved is xored with xorMask
  kShortTransfer,   // executed; only `shortLength` bytes of the data phase move
  kSameSum,         // drive model: after the commit, bytes near bank[offset] change, sum kept
};

struct Fault {
  CommandKind kind = CommandKind::kAny;
  int position = 0;  // > 0: only the position-th command the device receives (1-based)
  int nth = 1;       // first matching command of `kind` (1-based) ...
  int count = 1;     // ... and how many in a row; 0 means every one from nth on
  FaultAction action = FaultAction::kStatus;

  uint8_t status = kStatusCheckCondition;
  uint8_t senseKey = 0;  // sense byte 2, taken whole (flag bits allowed)
  uint8_t asc = 0;
  uint8_t ascq = 0;
  uint8_t aspiStatus = 0;  // optional SRB_Status to report instead of the derived one
  uint8_t hostAdapterStatus = 0;
  uint32_t transportError = 1117;
  bool fillRecord = false;
  Completion completion = Completion::kPending;
  uint64_t latencyUs = 0;
  int bank = 0;
  uint32_t offset = 0;
  uint8_t xorMask = 0xFF;
  uint32_t byteIndex = 0;
  uint32_t shortLength = 0;

  // One-line constructors for test tables. nth counts commands of `kind`.
  static Fault Sense(CommandKind kind, int nth, uint8_t key, uint8_t asc, uint8_t ascq);
  static Fault Status(CommandKind kind, int nth, uint8_t status);
  static Fault TransportError(CommandKind kind, int nth, uint32_t error, bool fillRecord = false);
  static Fault DropWrite(int nth);
  static Fault CompleteAs(CommandKind kind, int nth, Completion completion);
  static Fault Slow(CommandKind kind, int nth, uint64_t latencyUs);
  static Fault NeverReady();
  static Fault NoDisc();
  static Fault CorruptBank(int bank, uint32_t offset, uint8_t xorMask = 0xFF);
  // Gone from the bus: ASPI SS_NO_DEVICE after a selection time-out, the
  // pass-through call failing with `error` (55 or 21).
  static Fault OffBus(CommandKind kind, int nth, uint32_t error = kErrorDeviceGone);
  // ASPI SS_ERR with this SRB_HaStat and no sense; pass-through error 1117.
  static Fault HostAdapterError(CommandKind kind, int nth, uint8_t hostAdapterStatus);
  static Fault Aborted(CommandKind kind, int nth);  // SS_ABORTED; pass-through 1117
  static Fault FlipBits(CommandKind kind, int nth, uint32_t byteIndex, uint8_t mask);
  static Fault ShortTransfer(CommandKind kind, int nth, uint32_t bytes);
  static Fault SameSum(int bank, uint32_t offset);
  Fault& Every() { return Times(0); }
  Fault& Times(int n) {
    count = n;
    return *this;
  }
  Fault& AtPosition(int n) {
    position = n;
    return *this;
  }
};

class ScsiDevice {
 public:
  static constexpr uint64_t kDefaultLatencyUs = 1000;

  virtual ~ScsiDevice() = default;

  // Peripheral device type (INQUIRY byte 0): 5 CD-ROM, 0 disk.
  virtual uint8_t DeviceType() const = 0;
  virtual std::string Name() const = 0;

  // Applies the command faults, then the device model. Counts the command.
  ScsiResult Execute(const ScsiCommand& command);

  void AddFault(const Fault& fault) { faults_.push_back(fault); }
  const std::vector<Fault>& Faults() const { return faults_; }

  // Every command costs this much virtual time. Keep it above zero where the
  // caller polls without sleeping: only the commands move the clock there.
  void SetLatencyUs(uint64_t latency) { latencyUs_ = latency; }
  uint64_t LatencyUs() const { return latencyUs_; }

  int CommandsReceived() const { return commandsReceived_; }
  int CommandsOfKind(CommandKind kind) const;

 protected:
  // The device model proper.
  virtual ScsiResult Run(const ScsiCommand& command) = 0;
  bool HasFault(FaultAction action) const;

  static ScsiResult Good(uint32_t transferred = 0);
  static ScsiResult Check(uint8_t key, uint8_t asc, uint8_t ascq);

 private:
  ScsiResult RunAltered(const ScsiCommand& command, const Fault& fault);

  std::vector<Fault> faults_;
  uint64_t latencyUs_ = kDefaultLatencyUs;
  int commandsReceived_ = 0;
  std::array<int, 7> kindCounts_{};
};

}  // namespace sim
