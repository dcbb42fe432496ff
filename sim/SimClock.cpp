#include "sim/SimClock.h"

#include <limits>

#include "sim/SimErrors.h"

namespace sim {

namespace {

// Counts calls and says whether this one falls inside a scripted failure window.
bool InFailureWindow(int call, int from, int times) {
  if (times == 0 || from <= 0 || call < from) return false;
  return times == kAlways || call < from + times;
}

}  // namespace

void SimClock::FailEventCreation(int nth, int times) {
  failEventFrom_ = eventCreations_ + nth;
  failEventTimes_ = times;
}

void SimClock::FailWaits(int nth, int times) {
  failWaitFrom_ = waits_ + nth;
  failWaitTimes_ = times;
}

platform::Handle SimClock::CreateManualEvent() {
  const int call = ++eventCreations_;
  if (InFailureWindow(call, failEventFrom_, failEventTimes_)) {
    lastError_ = kErrorNotEnoughMemory;
    return nullptr;
  }
  return handles_.NewHandle(HandleState{HandleKind::kEvent, true, false, 0});
}

platform::Handle SimClock::StartThread(platform::ThreadRoutine routine, void* parameter) {
  if (!threads_.Run(routine, parameter)) {
    lastError_ = kErrorNotEnoughMemory;
    return nullptr;
  }
  return handles_.NewHandle(HandleState{HandleKind::kThread, true, false, 0});
}

void SimClock::SignalEvent(void* event) {
  HandleState* state = handles_.FindHandle(event, HandleKind::kEvent);
  if (state == nullptr) {
    ++lateSignals_;
    return;
  }
  state->signalled = true;
}

uint32_t SimClock::WaitForObject(platform::Handle handle, uint32_t milliseconds) {
  const int call = ++waits_;
  if (InFailureWindow(call, failWaitFrom_, failWaitTimes_)) {
    lastError_ = kErrorInvalidHandle;
    return platform::kWaitFailed;
  }
  if (handles_.FindHandle(handle, HandleKind::kEvent) == nullptr) {
    lastError_ = kErrorInvalidHandle;
    return platform::kWaitFailed;
  }
  const bool infinite = milliseconds == kInfinite;
  const uint64_t deadline = infinite ? std::numeric_limits<uint64_t>::max()
                                     : clock_.NowUs() + uint64_t{milliseconds} * 1000;
  const bool signalled =
      clock_.RunUntil(deadline, [this, handle]() { return handles_.WasSignalled(handle); });
  if (signalled) return platform::kWaitObject0;
  if (infinite) {
    // Nothing left that could ever signal it: a real program would hang here.
    ++waitsWithoutWaker_;
    lastError_ = kErrorInvalidHandle;
    return platform::kWaitFailed;
  }
  return platform::kWaitTimeout;
}

void SimClock::SleepFor(uint32_t milliseconds) {
  clock_.Advance(uint64_t{milliseconds} * 1000);
}

uint32_t SimClock::TickCount() {
  return clock_.TickCount();
}

uint32_t SimClock::MultimediaTime() {
  return static_cast<uint32_t>(clock_.NowMs());
}

int64_t SimClock::PerformanceCounter() {
  return clock_.ReadPerformanceCounter();
}

int64_t SimClock::PerformanceFrequency() {
  return clock_.PerformanceFrequency();
}

}  // namespace sim
