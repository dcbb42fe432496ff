// Threads of the simulated PC. The PC has one thread of control, so a
// started routine runs to its end before StartThread returns, in virtual
// time: a test sees exactly what the thread did, and when, before the
// caller goes on.
//
//   pc.Threads().FailStart();                    // the next CreateThread fails
//   pc.Threads().Started().at(0).endUs           // when the routine returned
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Platform.h"
#include "sim/VirtualClock.h"

namespace sim {

struct ThreadRecord {
  platform::ThreadRoutine routine = nullptr;
  void* parameter = nullptr;
  uint64_t startUs = 0;
  uint64_t endUs = 0;
  uint32_t exitCode = 0;
};

class SimThreads {
 public:
  explicit SimThreads(VirtualClock& clock) : clock_(clock) {}

  void FailStart(int times = 1) { failures_ = times; }

  // Runs the routine; false when a failure was asked for.
  bool Run(platform::ThreadRoutine routine, void* parameter);

  const std::vector<ThreadRecord>& Started() const { return started_; }

 private:
  VirtualClock& clock_;
  int failures_ = 0;
  std::vector<ThreadRecord> started_;
};

}  // namespace sim
