#include "WindowsAspiHost.h"

namespace wineaspi {

namespace {

constexpr DWORD kIdleIntervalMs = 2;

class Locked {
 public:
  explicit Locked(CRITICAL_SECTION& lock) : lock_(lock) { EnterCriticalSection(&lock_); }
  ~Locked() { LeaveCriticalSection(&lock_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  CRITICAL_SECTION& lock_;
};

}  // namespace

WindowsAspiHost::WindowsAspiHost(CRITICAL_SECTION& lock, HMODULE self) : lock_(lock), self_(self) {
  QueryPerformanceFrequency(&frequency_);
  QueryPerformanceCounter(&start_);
  wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

uint64_t WindowsAspiHost::NowUs() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  auto ticks = static_cast<uint64_t>(now.QuadPart - start_.QuadPart);
  auto frequency = static_cast<uint64_t>(frequency_.QuadPart);
  return ticks / frequency * 1000000u + ticks % frequency * 1000000u / frequency;
}

void WindowsAspiHost::Elapse(uint64_t us) {
  if (us > 0) Sleep(static_cast<DWORD>((us + 999) / 1000));
}

void WindowsAspiHost::SignalEvent(void* event) {
  if (observer_) observer_(event);
  SetEvent(static_cast<HANDLE>(event));
}

void WindowsAspiHost::ScheduleAt(uint64_t timeUs, std::function<void()> action) {
  actions_.emplace(std::make_pair(timeUs, sequence_++), std::move(action));
  StartWorker();
  SetEvent(wake_);
}

void WindowsAspiHost::SetIdleWork(std::function<bool()> wanted, std::function<void()> work) {
  idleWanted_ = std::move(wanted);
  idleWork_ = std::move(work);
}

void WindowsAspiHost::Wake() {
  StartWorker();
  SetEvent(wake_);
}

void WindowsAspiHost::StartWorker() {
  if (workerStarted_) return;
  // The caller may FreeLibrary us while the worker waits: the worker holds
  // its own reference, so the code stays mapped until the process ends.
  char path[MAX_PATH] = {};
  if (GetModuleFileNameA(self_, path, MAX_PATH) > 0) LoadLibraryA(path);
  HANDLE thread = CreateThread(nullptr, 0, WorkerMain, this, 0, nullptr);
  if (thread != nullptr) {
    workerStarted_ = true;
    CloseHandle(thread);
  }
}

DWORD WINAPI WindowsAspiHost::WorkerMain(void* self) {
  auto* host = static_cast<WindowsAspiHost*>(self);
  for (;;) {
    DWORD sleep = host->RunDue();
    WaitForSingleObject(host->wake_, sleep);
  }
}

DWORD WindowsAspiHost::RunDue() {
  Locked locked(lock_);
  while (!actions_.empty() && actions_.begin()->first.first <= NowUs()) {
    std::function<void()> action = std::move(actions_.begin()->second);
    actions_.erase(actions_.begin());
    action();
  }
  bool idle = idleWanted_ && idleWanted_();
  if (idle) idleWork_();
  DWORD sleep = idle ? kIdleIntervalMs : INFINITE;
  if (!actions_.empty()) {
    uint64_t due = actions_.begin()->first.first;
    uint64_t now = NowUs();
    DWORD untilDue = due <= now ? 0 : static_cast<DWORD>((due - now + 999) / 1000);
    if (untilDue < sleep) sleep = untilDue;
  }
  return sleep;
}

}  // namespace wineaspi
