// The traffic the simulated PC saw, in order, as plain records a test can
// compare field by field:
//
//   const sim::CommandRecord& r = pc.Log().Commands().at(0);
//   EXPECT_EQ(r.cdb, (sim::Cdb{0x12, 0, 0, 0, 0x32, 0, 0, 0, 0, 0, 0, 0}));
//   EXPECT_EQ(r.aspi.flags, 0x48);
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/ScsiDevice.h"

namespace sim {

enum class Transport { kAspi, kPassThrough };

// The SRB_ExecSCSICmd fields as the caller set them.
struct AspiFields {
  uint8_t cmd = 0;
  uint8_t haId = 0;
  uint8_t flags = 0;
  uint8_t target = 0;
  uint8_t lun = 0;
  uint8_t senseLen = 0;
  uint8_t cdbLen = 0;
  uint32_t bufLen = 0;
  bool bufPointerSet = false;
  bool postProcSet = false;
};

// The SCSI_PASS_THROUGH_DIRECT fields as the caller set them.
struct PassThroughFields {
  char driveLetter = 0;
  uint16_t length = 0;
  uint8_t cdbLength = 0;
  uint8_t senseInfoLength = 0;
  uint8_t dataIn = 0;
  uint32_t dataTransferLength = 0;
  uint32_t timeOutValue = 0;
  uint32_t senseInfoOffset = 0;
  bool dataBufferSet = false;
};

struct CommandRecord {
  uint64_t timeUs = 0;
  const ScsiDevice* device = nullptr;
  std::string deviceName;
  Transport transport = Transport::kAspi;
  Cdb cdb{};
  uint32_t length = 0;            // transfer length handed to the device
  uint8_t direction = 0;          // kDataIn / kDataOut / kDataNone
  AspiFields aspi;                // when transport is kAspi
  PassThroughFields passThrough;  // when transport is kPassThrough
  // What the device answered (transportFailed: the path failed instead).
  uint8_t status = 0;
  uint8_t senseKey = 0;
  uint8_t asc = 0;
  uint8_t ascq = 0;
  bool transportFailed = false;
  uint32_t transportError = 0;  // when transportFailed: the pass-through error
  // The bytes the device put into the host's buffer (data in), summed.
  uint32_t dataSum = 0;
  uint32_t transferred = 0;
};

struct AbortRecord {
  uint64_t timeUs = 0;
  uint8_t haId = 0;
  const void* toAbort = nullptr;  // the request block named by SRB_ToAbort
  bool foundPending = false;      // it was a pending request of this manager
};

struct DevTypeRecord {
  uint64_t timeUs = 0;
  uint8_t haId = 0;
  uint8_t target = 0;
  uint8_t lun = 0;
  uint8_t flags = 0;
  uint8_t status = 0;  // SRB_Status right after the call (0: left pending)
};

// The transport-independent part of a record: the device, what it was sent
// and what it answered. The transport fills in its own fields.
CommandRecord RecordOf(const ScsiDevice& device, const ScsiCommand& command,
                       const ScsiResult& result, Transport transport);

class CommandLog {
 public:
  void Add(const CommandRecord& record) { commands_.push_back(record); }
  void Add(const AbortRecord& record) { aborts_.push_back(record); }
  void Add(const DevTypeRecord& record) { devTypes_.push_back(record); }
  void Clear() { *this = CommandLog(); }

  const std::vector<CommandRecord>& Commands() const { return commands_; }
  const std::vector<AbortRecord>& Aborts() const { return aborts_; }
  const std::vector<DevTypeRecord>& DevTypeRequests() const { return devTypes_; }

  // Commands of one kind, in order (for "the closing command carried ...").
  std::vector<CommandRecord> OfKind(CommandKind kind) const;
  size_t CountOfKind(CommandKind kind) const { return OfKind(kind).size(); }

 private:
  std::vector<CommandRecord> commands_;
  std::vector<AbortRecord> aborts_;
  std::vector<DevTypeRecord> devTypes_;
};

}  // namespace sim
