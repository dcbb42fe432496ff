// Virtual time of the simulated PC, in microseconds.
//
// Nothing in the simulation sleeps for real: Sleep advances the clock, waits
// jump to the next scheduled action or to their time-out, and every read of
// the performance counter costs a little virtual time, so busy waits over
// the counter end. A three-minute update runs in milliseconds.
//
// Scheduled actions (pending ASPI completions) run, in time order, when the
// clock passes them.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

namespace sim {

class VirtualClock {
 public:
  using Action = std::function<void()>;

  static constexpr int64_t kDefaultPerformanceFrequency = 3579545;  // the ACPI timer rate
  static constexpr uint64_t kDefaultCounterReadCostUs = 100;

  uint64_t NowUs() const { return nowUs_; }
  uint64_t NowMs() const { return nowUs_ / 1000; }

  // Moves time forward, running every action that falls due on the way.
  void Advance(uint64_t us);
  void AdvanceTo(uint64_t timeUs);

  // Moves time forward until `done` holds (checked after each action) or the
  // deadline is reached. Returns done(). With no deadline (UINT64_MAX) and no
  // action left it stops at once instead of running forever.
  bool RunUntil(uint64_t deadlineUs, const std::function<bool()>& done);

  // Runs `action` when time reaches `timeUs` (at once on the next advance if
  // it is already past). Actions at the same time run in scheduling order.
  void ScheduleAt(uint64_t timeUs, Action action);
  size_t PendingActions() const { return actions_.size(); }

  // GetTickCount: milliseconds, wrapping at 32 bits. The offset lets a test
  // start just before the wrap.
  uint32_t TickCount() const;
  void SetTickOffsetMs(uint32_t offset) { tickOffsetMs_ = offset; }

  // QueryPerformanceCounter: reads the time, then charges the read cost.
  int64_t ReadPerformanceCounter();
  int64_t PerformanceFrequency() const { return frequency_; }
  void SetPerformanceFrequency(int64_t frequency) { frequency_ = frequency; }
  void SetCounterReadCostUs(uint64_t cost) { counterReadCostUs_ = cost; }

 private:
  void RunDueActions(uint64_t limitUs);

  uint64_t nowUs_ = 0;
  uint32_t tickOffsetMs_ = 0;
  int64_t frequency_ = kDefaultPerformanceFrequency;
  uint64_t counterReadCostUs_ = kDefaultCounterReadCostUs;
  uint64_t nextSequence_ = 0;
  std::map<std::pair<uint64_t, uint64_t>, Action> actions_;  // (time, sequence) -> action
};

}  // namespace sim
