#include "sim/SimThreads.h"

namespace sim {

bool SimThreads::Run(platform::ThreadRoutine routine, void* parameter) {
  if (failures_ > 0) {
    --failures_;
    return false;
  }
  ThreadRecord record;
  record.routine = routine;
  record.parameter = parameter;
  record.startUs = clock_.NowUs();
  // Recorded before the routine runs, so a routine that starts another
  // thread keeps the order of the starts.
  const size_t index = started_.size();
  started_.push_back(record);
  const uint32_t exitCode = routine(parameter);
  started_[index].exitCode = exitCode;
  started_[index].endUs = clock_.NowUs();
  return true;
}

}  // namespace sim
