// The simulated ASPI manager's host inside the test WNASPI32.DLL: real time,
// real events, and a worker thread that completes pending requests when
// they fall due, the way a real ASPI manager finishes them in the background.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "sim/AspiManager.h"

namespace wineaspi {

class WindowsAspiHost : public sim::AspiHost {
 public:
  // `lock` guards the manager; every scheduled action and the idle work run
  // under it. `self` is this DLL, pinned while the worker thread lives.
  WindowsAspiHost(CRITICAL_SECTION& lock, HMODULE self);
  WindowsAspiHost(const WindowsAspiHost&) = delete;
  WindowsAspiHost& operator=(const WindowsAspiHost&) = delete;

  uint64_t NowUs() override;
  void Elapse(uint64_t us) override;
  void SignalEvent(void* event) override;
  void ScheduleAt(uint64_t timeUs, std::function<void()> action) override;

  // Runs every few milliseconds on the worker while `wanted` says so, after
  // the due actions (the manager's Poll, the log's completion check).
  void SetIdleWork(std::function<bool()> wanted, std::function<void()> work);
  // Called under the lock; wakes the worker to look at the idle work again.
  void Wake();

  // Told of every event the manager signals (for the request log).
  void SetSignalObserver(std::function<void(void*)> observer) { observer_ = std::move(observer); }

 private:
  static DWORD WINAPI WorkerMain(void* self);
  void StartWorker();
  DWORD RunDue();  // returns how long the worker may sleep

  CRITICAL_SECTION& lock_;
  HMODULE self_;
  LARGE_INTEGER start_{};
  LARGE_INTEGER frequency_{};
  HANDLE wake_ = nullptr;
  bool workerStarted_ = false;
  uint64_t sequence_ = 0;
  std::map<std::pair<uint64_t, uint64_t>, std::function<void()>> actions_;
  std::function<bool()> idleWanted_;
  std::function<void()> idleWork_;
  std::function<void(void*)> observer_;
};

}  // namespace wineaspi
