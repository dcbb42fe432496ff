// The seam's clock and threads role: time, sleeps, events and the waits on
// them, and worker threads.
#pragma once

#include "platform/Handles.h"

namespace platform {

// A thread's start routine; what it returns is the thread's exit code.
using ThreadRoutine = uint32_t (*)(void* parameter);

constexpr uint32_t kWaitObject0 = 0;
constexpr uint32_t kWaitTimeout = 0x102;
constexpr uint32_t kWaitFailed = 0xFFFFFFFF;

class Clock {
 public:
  virtual ~Clock() = default;

  virtual uint32_t TickCount() = 0;
  virtual int64_t PerformanceCounter() = 0;
  virtual int64_t PerformanceFrequency() = 0;
  virtual uint32_t MultimediaTime() = 0;  // timeGetTime
  virtual void SleepFor(uint32_t milliseconds) = 0;

  virtual Handle CreateManualEvent() = 0;  // manual reset, not signalled; null on failure
  virtual uint32_t WaitForObject(Handle handle, uint32_t milliseconds) = 0;
  // CreateThread with default security and stack, running at once. The
  // handle is the caller's to close; null on failure.
  virtual Handle StartThread(ThreadRoutine routine, void* parameter) = 0;
  virtual void CloseHandle(Handle handle) = 0;
};

}  // namespace platform
