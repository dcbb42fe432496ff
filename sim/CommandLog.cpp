#include "sim/CommandLog.h"

#include <algorithm>

namespace sim {

std::vector<CommandRecord> CommandLog::OfKind(CommandKind kind) const {
  std::vector<CommandRecord> found;
  for (const CommandRecord& record : commands_) {
    if (kind == CommandKind::kAny || ClassifyCommand(record.cdb) == kind) found.push_back(record);
  }
  return found;
}

CommandRecord RecordOf(const ScsiDevice& device, const ScsiCommand& command,
                       const ScsiResult& result, Transport transport) {
  CommandRecord record;
  record.timeUs = command.timeUs;
  record.device = &device;
  record.deviceName = device.Name();
  record.transport = transport;
  record.cdb = command.cdb;
  record.length = command.length;
  record.direction = command.direction;
  record.status = result.status;
  if (result.status == kStatusCheckCondition) {
    record.senseKey = result.sense[2];
    record.asc = result.sense[12];
    record.ascq = result.sense[13];
  }
  record.transportFailed = result.transportFailed;
  record.transportError = result.transportError;
  record.transferred = result.transferred;
  if (command.direction == kDataIn && command.data != nullptr) {
    const uint32_t count = std::min(result.transferred, command.length);
    for (uint32_t i = 0; i < count; ++i) record.dataSum += command.data[i];
  }
  return record;
}

}  // namespace sim
