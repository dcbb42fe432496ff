// The simulated PC's clock and threads role: time read from the virtual
// clock, sleeps that advance it, manual events the ASPI manager signals,
// waits that run the clock up to their time-out, and threads.
//
//   pc.FailEventCreation(2);   // the second CreateEvent from now fails
//   pc.FailWaits();            // the next wait answers WAIT_FAILED
//   ... pc.LateSignals(), pc.WaitsWithoutWaker() ...
#pragma once

#include <cstdint>

#include "platform/Clock.h"
#include "sim/SimHandles.h"
#include "sim/SimThreads.h"
#include "sim/VirtualClock.h"

namespace sim {

class SimClock : public virtual platform::Clock {
 public:
  SimClock(VirtualClock& clock, SimHandles& handles, uint32_t& lastError)
      : clock_(clock), handles_(handles), lastError_(lastError), threads_(clock) {}

  SimThreads& Threads() { return threads_; }

  // CreateManualEvent fails on the nth call from now on (1 = the next), `times` times.
  void FailEventCreation(int nth = 1, int times = 1);
  // WaitForObject answers WAIT_FAILED on the nth wait from now on, `times` times.
  void FailWaits(int nth = 1, int times = 1);

  // What an ASPI completion does to its event.
  void SignalEvent(void* event);

  int LateSignals() const { return lateSignals_; }  // completions signalling a closed event
  int WaitsWithoutWaker() const {
    return waitsWithoutWaker_;
  }  // infinite waits that could never end

  platform::Handle CreateManualEvent() override;
  uint32_t WaitForObject(platform::Handle handle, uint32_t milliseconds) override;
  void SleepFor(uint32_t milliseconds) override;
  uint32_t TickCount() override;
  uint32_t MultimediaTime() override;
  int64_t PerformanceCounter() override;
  int64_t PerformanceFrequency() override;
  platform::Handle StartThread(platform::ThreadRoutine routine, void* parameter) override;

 private:
  VirtualClock& clock_;
  SimHandles& handles_;
  uint32_t& lastError_;
  SimThreads threads_;
  int eventCreations_ = 0;
  int failEventFrom_ = 0;
  int failEventTimes_ = 0;
  int waits_ = 0;
  int failWaitFrom_ = 0;
  int failWaitTimes_ = 0;
  int waitsWithoutWaker_ = 0;
  int lateSignals_ = 0;
};

}  // namespace sim
