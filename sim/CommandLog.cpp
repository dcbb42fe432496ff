#include "sim/CommandLog.h"

namespace sim {

void CommandLog::Clear() {
  commands_.clear();
  aborts_.clear();
  devTypes_.clear();
}

std::vector<CommandRecord> CommandLog::OfKind(CommandKind kind) const {
  std::vector<CommandRecord> found;
  for (const CommandRecord& record : commands_) {
    if (kind == CommandKind::kAny || ClassifyCommand(record.cdb) == kind) found.push_back(record);
  }
  return found;
}

size_t CommandLog::CountOfKind(CommandKind kind) const {
  return OfKind(kind).size();
}

}  // namespace sim
