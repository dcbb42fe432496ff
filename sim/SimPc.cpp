#include "sim/SimPc.h"

#include <functional>

namespace sim {

namespace {

SimPc* g_activePc = nullptr;

}  // namespace

class SimPc::Host : public AspiHost {
 public:
  explicit Host(SimPc& pc) : pc_(pc) {}
  uint64_t NowUs() override { return pc_.clock_.NowUs(); }
  void Elapse(uint64_t us) override { pc_.clock_.Advance(us); }
  void SignalEvent(void* event) override { pc_.SimClock::SignalEvent(event); }
  void ScheduleAt(uint64_t timeUs, std::function<void()> action) override {
    pc_.clock_.ScheduleAt(timeUs, std::move(action));
  }

 private:
  SimPc& pc_;
};

SimPc::SimPc(WindowsVersion version)
    : SimHandles(lastError_),
      SimSystem(clock_, *this, lastError_),
      SimDevices(clock_, log_, *this, lastError_),
      SimMemory(lastError_),
      SimLibraries(lastError_, SimSystem::SystemDirectoryPath()),
      SimClock(clock_, *this, lastError_),
      SimScreen(clock_, aspi_),
      SimFiles(lastError_, profile_, clock_),
      SimProgram(*this, processes_, clock_, lastError_),
      host_(std::make_unique<Host>(*this)),
      aspi_(*host_, log_) {
  SetWindows(version);
  g_activePc = this;
  SimLibraries::SetActiveManager(&aspi_);
}

SimPc::~SimPc() {
  if (g_activePc == this) {
    g_activePc = nullptr;
    SimLibraries::SetActiveManager(nullptr);
  }
}

SimPc* SimPc::Active() {
  return g_activePc;
}

void SimPc::SetWindows(WindowsVersion version) {
  SetVersion(VersionOf(version));
  const bool nt = IsNtFamily(version);
  if (nt) {
    RemoveAspiLibrary();
  } else {
    InstallAspiLibrary(true, true);
  }
  if (!nt) {
    SetSystemDirectoryPath("C:\\WINDOWS\\SYSTEM");
  } else if (version == WindowsVersion::kWinXp) {
    SetSystemDirectoryPath("C:\\WINDOWS\\system32");
  } else {
    SetSystemDirectoryPath("C:\\WINNT\\system32");
  }
}

void SimPc::AttachDrive(std::shared_ptr<ScsiDevice> device, Completion completion) {
  if (Version().platformId == platform::kPlatformWin32Nt) {
    AttachCdrom('E', std::move(device));
  } else {
    SetDriveType('D', platform::kDriveCdrom);
    aspi_.Attach(0, 1, 0, std::move(device), completion);
  }
}

int SimPc::BadCloses() const {
  return BadHandleCloses() + SimFiles::BadCloses() + SimRegistry::BadCloses() + BadUnloads();
}

}  // namespace sim
