#include <gtest/gtest.h>

#include <string>

#include "sim/VirtualClock.h"

namespace {

TEST(VirtualClock, ActionsRunInTimeOrderAtTheirTime) {
  sim::VirtualClock clock;
  std::string order;
  std::vector<uint64_t> times;
  clock.ScheduleAt(300, [&]() {
    order += "c";
    times.push_back(clock.NowUs());
  });
  clock.ScheduleAt(100, [&]() {
    order += "a";
    times.push_back(clock.NowUs());
    clock.ScheduleAt(150, [&]() {
      order += "b";
      times.push_back(clock.NowUs());
    });
  });
  clock.ScheduleAt(300, [&]() { order += "d"; });
  clock.Advance(250);
  EXPECT_EQ(order, "ab");
  EXPECT_EQ(clock.NowUs(), 250u);
  clock.Advance(50);
  EXPECT_EQ(order, "abcd") << "same time: scheduling order";
  EXPECT_EQ(times, (std::vector<uint64_t>{100, 150, 300}));
}

TEST(VirtualClock, RunUntilStopsAtTheConditionOrTheDeadline) {
  sim::VirtualClock clock;
  bool done = false;
  clock.ScheduleAt(40, []() {});
  clock.ScheduleAt(70, [&done]() { done = true; });
  clock.ScheduleAt(90, []() {});
  EXPECT_TRUE(clock.RunUntil(1000, [&done]() { return done; }));
  EXPECT_EQ(clock.NowUs(), 70u);
  EXPECT_EQ(clock.PendingActions(), 1u);
  done = false;
  EXPECT_FALSE(clock.RunUntil(500, [&done]() { return done; }));
  EXPECT_EQ(clock.NowUs(), 500u);
  EXPECT_FALSE(clock.RunUntil(UINT64_MAX, [&done]() { return done; }))
      << "nothing left to run: no endless wait";
  EXPECT_EQ(clock.NowUs(), 500u);
}

TEST(VirtualClock, PerformanceCounterAdvancesByItsReadCost) {
  sim::VirtualClock clock;
  clock.SetPerformanceFrequency(1'000'000);
  EXPECT_EQ(clock.ReadPerformanceCounter(), 0);
  EXPECT_EQ(clock.ReadPerformanceCounter(), 100);
  clock.SetCounterReadCostUs(0);
  clock.Advance(3'000'000'000'000ull);  // long virtual runs stay exact
  EXPECT_EQ(clock.ReadPerformanceCounter(), 3'000'000'000'200ll);
}

}  // namespace
