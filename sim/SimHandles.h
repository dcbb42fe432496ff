// The simulated PC's kernel handles: devices, events, mutexes and threads
// share one table, as they share CloseHandle on Windows.
#pragma once

#include <cstdint>
#include <map>

#include "platform/Clock.h"
#include "platform/Devices.h"

namespace sim {

constexpr uint32_t kInfinite = 0xFFFFFFFF;
constexpr int kAlways = -1;  // a scripted failure that never runs out

enum class HandleKind { kDevice, kEvent, kMutex, kThread };

struct HandleState {
  HandleKind kind = HandleKind::kEvent;
  bool open = true;
  bool signalled = false;
  char letter = 0;
};

class SimHandles : public virtual platform::Devices, public virtual platform::Clock {
 public:
  explicit SimHandles(uint32_t& lastError) : lastError_(lastError) {}

  platform::Handle NewHandle(HandleState state);
  // The open handle of that kind, or null.
  HandleState* FindHandle(platform::Handle handle, HandleKind kind);
  // Whether the handle was ever signalled, closed since or not.
  bool WasSignalled(platform::Handle handle) const;

  int OpenDeviceHandles() const { return OpenOfKind(HandleKind::kDevice); }  // still open
  int OpenEvents() const { return OpenOfKind(HandleKind::kEvent); }          // still open
  int OpenThreadHandles() const { return OpenOfKind(HandleKind::kThread); }  // still open
  int BadHandleCloses() const { return badCloses_; }

  void CloseHandle(platform::Handle handle) override;

 private:
  int OpenOfKind(HandleKind kind) const;

  uint32_t& lastError_;
  uintptr_t nextHandle_ = 0x1000;
  std::map<platform::Handle, HandleState> handles_;
  int badCloses_ = 0;
};

}  // namespace sim
