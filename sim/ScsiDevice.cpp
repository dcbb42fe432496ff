#include "sim/ScsiDevice.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace sim {

namespace {

constexpr uint8_t kVendorSignature[] = {0x5A, 0x00, 0x38, 0x41, 0x53};
constexpr uint8_t kSubWriteBlock = 0xA0;
constexpr uint8_t kSubReadPage = 0x11;

bool IsVendorCommand(const Cdb& cdb) {
  return std::equal(std::begin(kVendorSignature), std::end(kVendorSignature), cdb.begin());
}

bool IsCommandFault(FaultAction action) {
  return action == FaultAction::kStatus || action == FaultAction::kTransportError ||
         action == FaultAction::kDropWrite;
}

bool IsDataFault(FaultAction action) {
  return action == FaultAction::kFlipBits || action == FaultAction::kShortTransfer;
}

Fault Make(FaultAction action, CommandKind kind = CommandKind::kAny, int nth = 1) {
  Fault fault;
  fault.kind = kind;
  fault.nth = nth;
  fault.action = action;
  return fault;
}

bool Selects(const Fault& fault, CommandKind kind, int ordinal, int position) {
  if (fault.position > 0) {
    return fault.position == position && (fault.kind == CommandKind::kAny || fault.kind == kind);
  }
  if (fault.kind != CommandKind::kAny && fault.kind != kind) return false;
  if (ordinal < fault.nth) return false;
  return fault.count == 0 || ordinal < fault.nth + fault.count;
}

}  // namespace

SenseData MakeSense(uint8_t key, uint8_t asc, uint8_t ascq) {
  SenseData sense{};
  sense[0] = 0x70;  // current error, fixed format
  sense[2] = key;
  sense[7] = static_cast<uint8_t>(kSenseLength - 8);
  sense[12] = asc;
  sense[13] = ascq;
  return sense;
}

CommandKind ClassifyCommand(const Cdb& cdb) {
  if (cdb[0] == 0x00) return CommandKind::kTestUnitReady;
  if (cdb[0] == 0x12) return CommandKind::kInquiry;
  if (IsVendorCommand(cdb)) {
    if (cdb[5] == kSubWriteBlock) {
      const bool noData = cdb[8] == 0 && cdb[9] == 0;
      return noData ? CommandKind::kClosing : CommandKind::kWriteBlock;
    }
    if (cdb[5] == kSubReadPage) return CommandKind::kReadFlashPage;
  }
  return CommandKind::kOther;
}

const char* CommandKindName(CommandKind kind) {
  // In CommandKind's order.
  static const char* const kNames[] = {"any",     "tur",      "inquiry", "write",
                                       "closing", "readpage", "other"};
  const auto index = static_cast<size_t>(kind);
  return index < std::size(kNames) ? kNames[index] : "?";
}

Fault Fault::Sense(CommandKind kind, int nth, uint8_t key, uint8_t senseAsc, uint8_t senseAscq) {
  Fault fault = Make(FaultAction::kStatus, kind, nth);  // CHECK CONDITION
  fault.senseKey = key;
  fault.asc = senseAsc;
  fault.ascq = senseAscq;
  return fault;
}

Fault Fault::Status(CommandKind kind, int nth, uint8_t statusByte) {
  Fault fault = Make(FaultAction::kStatus, kind, nth);
  fault.status = statusByte;
  return fault;
}

Fault Fault::TransportError(CommandKind kind, int nth, uint32_t error, bool fill) {
  Fault fault = Make(FaultAction::kTransportError, kind, nth);
  fault.transportError = error;
  fault.fillRecord = fill;
  return fault;
}

Fault Fault::DropWrite(int nth) {
  return Make(FaultAction::kDropWrite, CommandKind::kWriteBlock, nth);
}

Fault Fault::CompleteAs(CommandKind kind, int nth, Completion how) {
  Fault fault = Make(FaultAction::kCompletion, kind, nth);
  fault.completion = how;
  return fault;
}

Fault Fault::Slow(CommandKind kind, int nth, uint64_t latency) {
  Fault fault = Make(FaultAction::kLatency, kind, nth);
  fault.latencyUs = latency;
  return fault;
}

Fault Fault::NeverReady() {
  return Make(FaultAction::kNeverReady);
}

Fault Fault::NoDisc() {
  return Make(FaultAction::kNoDisc);
}

Fault Fault::CorruptBank(int bankNumber, uint32_t byteOffset, uint8_t mask) {
  Fault fault = Make(FaultAction::kCorruptBank);
  fault.bank = bankNumber;
  fault.offset = byteOffset;
  fault.xorMask = mask;
  return fault;
}

Fault Fault::OffBus(CommandKind kind, int nth, uint32_t error) {
  Fault fault = TransportError(kind, nth, error);
  fault.aspiStatus = aspi::SS_NO_DEVICE;
  fault.hostAdapterStatus = kHaSelectionTimeout;
  return fault;
}

Fault Fault::HostAdapterError(CommandKind kind, int nth, uint8_t hostAdapterStatusByte) {
  Fault fault = TransportError(kind, nth, 1117);
  fault.hostAdapterStatus = hostAdapterStatusByte;
  return fault;
}

Fault Fault::Aborted(CommandKind kind, int nth) {
  Fault fault = TransportError(kind, nth, 1117);
  fault.aspiStatus = aspi::SS_ABORTED;
  return fault;
}

Fault Fault::FlipBits(CommandKind kind, int nth, uint32_t byte, uint8_t mask) {
  Fault fault = Make(FaultAction::kFlipBits, kind, nth);
  fault.byteIndex = byte;
  fault.xorMask = mask;
  return fault;
}

Fault Fault::ShortTransfer(CommandKind kind, int nth, uint32_t bytes) {
  Fault fault = Make(FaultAction::kShortTransfer, kind, nth);
  fault.shortLength = bytes;
  return fault;
}

Fault Fault::SameSum(int bankNumber, uint32_t byteOffset) {
  Fault fault = Make(FaultAction::kSameSum);
  fault.bank = bankNumber;
  fault.offset = byteOffset;
  return fault;
}

ScsiResult ScsiDevice::Execute(const ScsiCommand& command) {
  const CommandKind kind = ClassifyCommand(command.cdb);
  const int position = ++commandsReceived_;
  const int ordinal = ++kindCounts_[static_cast<size_t>(kind)];

  const Fault* commandFault = nullptr;
  const Fault* dataFault = nullptr;
  Completion completion = Completion::kDefault;
  uint64_t latency = latencyUs_;
  bool slowed = false;
  for (const Fault& fault : faults_) {
    if (!Selects(fault, kind, ordinal, position)) continue;
    if (IsCommandFault(fault.action)) {
      if (commandFault == nullptr) commandFault = &fault;
    } else if (IsDataFault(fault.action)) {
      if (dataFault == nullptr) dataFault = &fault;
    } else if (fault.action == FaultAction::kCompletion) {
      completion = fault.completion;
    } else if (fault.action == FaultAction::kLatency) {
      latency = fault.latencyUs;
      slowed = true;
    }
  }

  ScsiResult result;
  if (commandFault == nullptr) {
    result = dataFault == nullptr ? Run(command) : RunAltered(command, *dataFault);
  } else if (commandFault->action == FaultAction::kStatus) {
    result.status = commandFault->status;
    if (result.status == kStatusCheckCondition) {
      result.sense = MakeSense(commandFault->senseKey, commandFault->asc, commandFault->ascq);
    }
    result.aspiStatus = commandFault->aspiStatus;
  } else if (commandFault->action == FaultAction::kTransportError) {
    if (commandFault->fillRecord) result = Run(command);
    result.transportFailed = true;
    result.transportError = commandFault->transportError;
    result.fillRecordOnFailure = commandFault->fillRecord;
    result.aspiStatus = commandFault->aspiStatus;
    result.hostAdapterStatus = commandFault->hostAdapterStatus;
  } else {  // kDropWrite: claims success, stores nothing
    result = Good(command.direction == kDataOut ? command.length : 0);
  }
  result.completion = completion;
  // The model may take its own time (a selection time-out); a fault's wins.
  if (slowed || result.latencyUs == 0) result.latencyUs = latency;
  return result;
}

// The device runs on what actually crossed the bus: a copy of the host's
// bytes for data out, a scratch buffer for a short data in.
ScsiResult ScsiDevice::RunAltered(const ScsiCommand& command, const Fault& fault) {
  if (command.data == nullptr || command.length == 0 || command.direction == kDataNone) {
    return Run(command);
  }
  const bool shortened = fault.action == FaultAction::kShortTransfer;
  ScsiCommand altered = command;
  std::vector<uint8_t> bytes(command.data, command.data + command.length);
  altered.data = bytes.data();
  if (command.direction == kDataOut && shortened) {
    std::fill(bytes.begin() + std::min(fault.shortLength, command.length), bytes.end(), 0);
  } else if (command.direction == kDataOut && fault.byteIndex < command.length) {
    bytes[fault.byteIndex] ^= fault.xorMask;
  }
  ScsiResult result = Run(altered);
  if (shortened) result.transferred = std::min(result.transferred, fault.shortLength);
  if (command.direction == kDataOut) return result;
  std::memcpy(command.data, bytes.data(), result.transferred);
  if (!shortened && fault.byteIndex < result.transferred) {
    command.data[fault.byteIndex] ^= fault.xorMask;
  }
  return result;
}

int ScsiDevice::CommandsOfKind(CommandKind kind) const {
  if (kind == CommandKind::kAny) return commandsReceived_;
  return kindCounts_[static_cast<size_t>(kind)];
}

bool ScsiDevice::HasFault(FaultAction action) const {
  return std::any_of(faults_.begin(), faults_.end(),
                     [action](const Fault& fault) { return fault.action == action; });
}

ScsiResult ScsiDevice::Good(uint32_t transferred) {
  ScsiResult result;
  result.transferred = transferred;
  return result;
}

ScsiResult ScsiDevice::Check(uint8_t key, uint8_t senseAsc, uint8_t senseAscq) {
  ScsiResult result;
  result.status = kStatusCheckCondition;
  result.sense = MakeSense(key, senseAsc, senseAscq);
  return result;
}

}  // namespace sim
