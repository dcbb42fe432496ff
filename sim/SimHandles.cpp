#include "sim/SimHandles.h"

#include <algorithm>

#include "sim/SimErrors.h"

namespace sim {

platform::Handle SimHandles::NewHandle(HandleState state) {
  nextHandle_ += 4;
  auto handle = reinterpret_cast<platform::Handle>(nextHandle_);
  handles_[handle] = state;
  return handle;
}

HandleState* SimHandles::FindHandle(platform::Handle handle, HandleKind kind) {
  auto found = handles_.find(handle);
  if (found == handles_.end() || !found->second.open || found->second.kind != kind) return nullptr;
  return &found->second;
}

bool SimHandles::WasSignalled(platform::Handle handle) const {
  auto found = handles_.find(handle);
  return found != handles_.end() && found->second.signalled;
}

void SimHandles::CloseHandle(platform::Handle handle) {
  auto found = handles_.find(handle);
  if (found == handles_.end() || !found->second.open) {
    ++badCloses_;
    lastError_ = kErrorInvalidHandle;
    return;
  }
  found->second.open = false;
}

int SimHandles::OpenOfKind(HandleKind kind) const {
  return static_cast<int>(std::count_if(
      handles_.begin(), handles_.end(),
      [kind](const auto& entry) { return entry.second.open && entry.second.kind == kind; }));
}

}  // namespace sim
