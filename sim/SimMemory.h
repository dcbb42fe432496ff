// Working memory of the simulated PC: page-aligned blocks filled with a
// byte the logic must not rely on, a scripted allocation failure, and a
// count of what was never given back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>

namespace sim {

class SimMemory {
 public:
  explicit SimMemory(uint32_t& lastError) : lastError_(lastError) {}

  // The nth allocation (counted from construction) fails.
  void FailAllocation(int nth) { failAt_ = nth; }

  int Calls() const { return calls_; }
  int Outstanding() const { return static_cast<int>(blocks_.size()); }
  int BadFrees() const { return badFrees_; }

  void* Allocate(size_t size);
  void Free(void* buffer);

 private:
  uint32_t& lastError_;
  std::map<void*, std::unique_ptr<uint8_t[]>> blocks_;  // aligned pointer -> storage
  int calls_ = 0;
  int failAt_ = 0;
  int badFrees_ = 0;
};

}  // namespace sim
