// CPU cost of the engine on the simulated PC. Commands take no virtual time
// and the drive is ready at once after the commit, so what is measured is
// the engine's work and the simulation's, never a wait.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "sim/K818rDrive.h"
#include "sim/SimPc.h"
#include "tools/image/ImageBuilder.h"
#include "transport/Atapi.h"

namespace {

enum Link { kAspi = 0, kPassThrough = 1 };

image::Bytes FourBlockImage() {
  image::ImagePlan plan;
  for (uint32_t block = 0; block < 4; ++block) {
    plan.blocks.push_back(image::PatternBlock(0xC000, block + 1));
  }
  plan.scrambled = true;
  std::string error;
  return image::BuildImage(plan, &error);
}

struct Bench {
  explicit Bench(Link link)
      : pc(link == kAspi ? sim::WindowsVersion::kWin98 : sim::WindowsVersion::kWinXp),
        drive(std::make_shared<sim::K818rDrive>()) {
    drive->SetLatencyUs(0);
    drive->Config().notReadyAfterCommitUs = 0;
    pc.AttachDrive(drive);
    pc.AddFile(kImageFileName, FourBlockImage());
    atapi = std::make_unique<CAtapi>(pc);
  }

  sim::SimPc pc;
  std::shared_ptr<sim::K818rDrive> drive;
  std::unique_ptr<CAtapi> atapi;
};

void SetLabel(benchmark::State& state) {
  state.SetLabel(state.range(0) == kAspi ? "ASPI" : "pass-through");
}

void WholeUpdate(benchmark::State& state) {
  Bench bench(static_cast<Link>(state.range(0)));
  for (auto _ : state) {
    if (!bench.atapi->RunUpdate()) state.SkipWithError("update failed");
    state.PauseTiming();
    bench.pc.Log().Clear();
    state.ResumeTiming();
  }
  SetLabel(state);
}
BENCHMARK(WholeUpdate)->Arg(kAspi)->Arg(kPassThrough)->Unit(benchmark::kMillisecond);

template <typename Command>
void PerCommand(benchmark::State& state, Command command) {
  Bench bench(static_cast<Link>(state.range(0)));
  unsigned sent = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(command(*bench.atapi));
    if ((++sent & 4095) == 0) {
      state.PauseTiming();
      bench.pc.Log().Clear();
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
  SetLabel(state);
}

void SendTestUnitReady(benchmark::State& state) {
  PerCommand(state, [](CAtapi& atapi) { return atapi.TestUnitReady(); });
}
BENCHMARK(SendTestUnitReady)->Arg(kAspi)->Arg(kPassThrough);

void SendReadFlashPage(benchmark::State& state) {
  uint8_t page[256];
  PerCommand(state, [&page](CAtapi& atapi) { return atapi.ReadFlashPage(page, 0, 0x1200); });
}
BENCHMARK(SendReadFlashPage)->Arg(kAspi)->Arg(kPassThrough);

}  // namespace

BENCHMARK_MAIN();
