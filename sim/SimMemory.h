// Working memory of the simulated PC, its part of the devices role:
// page-aligned blocks filled with a byte the logic must not rely on, a
// scripted allocation failure, and a count of what was never given back.
//
//   pc.FailAllocation(2);          // the second AllocateBuffer fails
//   ... pc.OutstandingBuffers(), pc.BadFrees() ...
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

#include "platform/Devices.h"

namespace sim {

class SimMemory : public virtual platform::Devices {
 public:
  explicit SimMemory(uint32_t& lastError) : lastError_(lastError) {}

  // The nth allocation (counted from construction) fails.
  void FailAllocation(int nth) { failAt_ = nth; }

  int AllocationCalls() const { return calls_; }
  int OutstandingBuffers() const { return static_cast<int>(blocks_.size()); }
  int BadFrees() const { return badFrees_; }

  void* AllocateBuffer(size_t size) override;
  void FreeBuffer(void* buffer) override;

 private:
  uint32_t& lastError_;
  std::map<void*, std::unique_ptr<uint8_t[]>> blocks_;  // aligned pointer -> storage
  int calls_ = 0;
  int failAt_ = 0;
  int badFrees_ = 0;
};

}  // namespace sim
