#include "sim/VirtualClock.h"

#include <limits>

namespace sim {

void VirtualClock::Advance(uint64_t us) {
  AdvanceTo(nowUs_ + us);
}

void VirtualClock::AdvanceTo(uint64_t timeUs) {
  if (timeUs < nowUs_) return;
  RunDueActions(timeUs);
  nowUs_ = timeUs;
}

void VirtualClock::RunDueActions(uint64_t limitUs) {
  while (!actions_.empty()) {
    auto first = actions_.begin();
    if (first->first.first > limitUs) break;
    if (first->first.first > nowUs_) nowUs_ = first->first.first;
    Action action = std::move(first->second);
    actions_.erase(first);
    action();  // may schedule more
  }
}

bool VirtualClock::RunUntil(uint64_t deadlineUs, const std::function<bool()>& done) {
  while (!done()) {
    if (actions_.empty() || actions_.begin()->first.first > deadlineUs) {
      if (deadlineUs != std::numeric_limits<uint64_t>::max() && deadlineUs > nowUs_) {
        nowUs_ = deadlineUs;
      }
      return done();
    }
    auto first = actions_.begin();
    if (first->first.first > nowUs_) nowUs_ = first->first.first;
    Action action = std::move(first->second);
    actions_.erase(first);
    action();
  }
  return true;
}

void VirtualClock::ScheduleAt(uint64_t timeUs, Action action) {
  actions_.emplace(std::make_pair(timeUs, nextSequence_++), std::move(action));
}

uint32_t VirtualClock::TickCount() const {
  return static_cast<uint32_t>(nowUs_ / 1000) + tickOffsetMs_;
}

int64_t VirtualClock::ReadPerformanceCounter() {
  // Split to keep the product in range for long virtual runs.
  const uint64_t seconds = nowUs_ / 1'000'000;
  const uint64_t rest = nowUs_ % 1'000'000;
  const auto frequency = static_cast<uint64_t>(frequency_);
  const auto counter = static_cast<int64_t>(seconds * frequency + rest * frequency / 1'000'000);
  Advance(counterReadCostUs_);
  return counter;
}

}  // namespace sim
