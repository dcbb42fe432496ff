// The time-based progress of an update run, in virtual time, with a worker
// whose result arrives when the test says.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/ProgressSchedule.h"
#include "sim/SimPc.h"
#include "tests/app/RecordingProgressWindow.h"

namespace {

constexpr uint64_t kSecond = 1'000'000;
constexpr uint64_t kStep = 500'000;
// The pumps cost a little virtual time; steps count as waited when this
// close to half a second after the one before.
constexpr uint64_t kSlack = 10'000;

using apptest::RecordingProgressWindow;
using apptest::WindowLife;

// The worker of these tests does nothing on the drive: its result lands
// after the given virtual time.
struct Script {
  uint64_t doneAfterUs = 0;
  uint8_t result = RESULT_FINISHED;
  int runs = 0;
  sim::VirtualClock* clock = nullptr;  // of the run's simulated PC
} g_script;

uint32_t ResultLater(void* parameter) {
  auto* atapi = static_cast<CAtapi*>(parameter);
  ++g_script.runs;
  sim::VirtualClock& clock = *g_script.clock;
  const uint8_t result = g_script.result;
  clock.ScheduleAt(clock.NowUs() + g_script.doneAfterUs,
                   [atapi, result]() { atapi->SetUpdateResult(result); });
  return 0;
}

struct ScheduledRun {
  explicit ScheduledRun(uint64_t doneAfterUs) : atapi(pc), window(pc) {
    g_script = Script{doneAfterUs, RESULT_FINISHED, 0, &pc.Clock()};
  }
  uint8_t Go() {
    startUs = pc.Clock().NowUs();
    return RunUpdateWithProgress(pc, atapi, window, "Updating microcode.", ResultLater);
  }
  // Steps shown more than a hair after the one before, that is after a wait.
  static int WaitedSteps(const WindowLife& life) {
    int waited = 0;
    uint64_t before = life.createdUs;
    for (uint64_t time : life.stepTimesUs) {
      if (time - before + kSlack >= kStep) ++waited;
      before = time;
    }
    return waited;
  }

  sim::SimPc pc{sim::WindowsVersion::kWinXp};
  CAtapi atapi;
  RecordingProgressWindow window;
  uint64_t startUs = 0;
};

TEST(ProgressSchedule, WorkerDoneAfterTenSecondsTwentyWaitedStepsThenSixtyAtOnce) {
  ScheduledRun run(10 * kSecond);
  EXPECT_EQ(run.Go(), RESULT_FINISHED);
  ASSERT_EQ(run.window.Lives().size(), 1u);
  const WindowLife& life = run.window.Lives()[0];
  EXPECT_EQ(life.title, "Updating ...");
  EXPECT_EQ(life.text, "Updating microcode.");
  EXPECT_EQ(life.lower, 0);
  EXPECT_EQ(life.upper, 80);
  ASSERT_EQ(life.positions.size(), 80u);
  EXPECT_EQ(life.positions.back(), 80);
  EXPECT_EQ(ScheduledRun::WaitedSteps(life), 20);
  EXPECT_LT(life.stepTimesUs[19], 10 * kSecond + kSlack);
  EXPECT_LT(life.destroyedUs - life.stepTimesUs[19], kSlack) << "the rest without sleeping";
  EXPECT_EQ(g_script.runs, 1);
  EXPECT_EQ(run.pc.OpenThreadHandles(), 0) << "the thread handle is closed";
}

TEST(ProgressSchedule, WorkerNeedingAHundredSecondsGetsThreeWindowsTheThirdClosingOnTheResult) {
  ScheduledRun run(100 * kSecond);
  EXPECT_EQ(run.Go(), RESULT_FINISHED);
  const auto& lives = run.window.Lives();
  ASSERT_EQ(lives.size(), 3u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(lives[i].positions.size(), 80u);
    EXPECT_EQ(ScheduledRun::WaitedSteps(lives[i]), 80) << "window " << i;
    EXPECT_LE(lives[i].destroyedUs, lives[i + 1].createdUs);
    EXPECT_LT(lives[i + 1].createdUs - lives[i].destroyedUs, kSlack) << "the next opens at once";
    EXPECT_EQ(lives[i + 1].positions.front(), 1) << "with an empty bar";
  }
  EXPECT_EQ(lives[2].positions.size(), 80u);
  EXPECT_EQ(ScheduledRun::WaitedSteps(lives[2]), 40);
  EXPECT_GE(lives[2].destroyedUs, 100 * kSecond);
  EXPECT_LT(lives[2].destroyedUs, 100 * kSecond + kSecond / 10);
}

// Esc while the worker runs closes the window at once and a fresh one takes
// its place; the worker neither stops nor learns of it.
TEST(ProgressSchedule, EscOpensAFreshWindowAtOnceAndLeavesTheWorkerAlone) {
  ScheduledRun run(60 * kSecond);
  run.window.TypeEscAt(5 * kSecond);
  EXPECT_EQ(run.Go(), RESULT_FINISHED);
  const auto& lives = run.window.Lives();
  ASSERT_EQ(lives.size(), 3u);
  EXPECT_TRUE(lives[0].hidden);
  EXPECT_EQ(lives[0].positions.size(), 10u);
  EXPECT_LT(lives[0].destroyedUs - lives[0].stepTimesUs.back(), kSlack);
  EXPECT_LT(lives[1].createdUs - lives[0].destroyedUs, kSlack);
  EXPECT_FALSE(lives[1].hidden);
  EXPECT_EQ(lives[1].positions.size(), 80u);
  // 5 + 40 seconds, then the result 15 seconds into the third window.
  EXPECT_EQ(ScheduledRun::WaitedSteps(lives[2]), 30);
  EXPECT_EQ(g_script.runs, 1);
  EXPECT_EQ(run.pc.Threads().Started().size(), 1u);
}

TEST(ProgressSchedule, WindowPositionIsWrittenAfterEveryCycle) {
  ScheduledRun run(100 * kSecond);
  run.Go();
  const auto& writes = run.pc.Profile().Writes();
  ASSERT_EQ(writes.size(), 6u);
  const auto& lives = run.window.Lives();
  for (size_t cycle = 0; cycle < 3; ++cycle) {
    const auto& x = writes[2 * cycle];
    const auto& y = writes[2 * cycle + 1];
    EXPECT_EQ(x.file, "FlashK818R.INI");
    EXPECT_EQ(x.section, "Settings");
    EXPECT_EQ(x.key, "X");
    EXPECT_EQ(y.key, "Y");
    EXPECT_EQ(x.value, std::to_string(301 + cycle));
    EXPECT_EQ(y.value, std::to_string(201 + cycle));
    EXPECT_EQ(x.timeUs, lives[cycle].destroyedUs);
  }
  EXPECT_EQ(run.pc.Profile().Value("flashk818r.ini", "SETTINGS", "x"), "303");
}

// A window that could not be made leaves the polling as it was.
TEST(ProgressSchedule, WithoutAWindowTheCycleStillTakesItsTime) {
  ScheduledRun run(50 * kSecond);
  run.window.FailCreation();
  EXPECT_EQ(run.Go(), RESULT_FINISHED);
  const auto& lives = run.window.Lives();
  ASSERT_EQ(lives.size(), 2u);
  EXPECT_EQ(ScheduledRun::WaitedSteps(lives[0]), 80);
  EXPECT_EQ(ScheduledRun::WaitedSteps(lives[1]), 20);
  EXPECT_TRUE(run.pc.Profile().Writes().empty()) << "no window, no position";
}

TEST(ProgressSchedule, AWorkerThatCannotStartEndsTheRunAsFailedWithoutAWindow) {
  ScheduledRun run(10 * kSecond);
  run.pc.Threads().FailStart();
  EXPECT_EQ(run.Go(), RESULT_NOT_STARTED);
  EXPECT_EQ(run.atapi.UpdateResult(), RESULT_NOT_STARTED);
  EXPECT_TRUE(run.window.Lives().empty());
  EXPECT_EQ(g_script.runs, 0);
}

}  // namespace
