#include "sim/SimMemory.h"

#include <cstring>

#include "sim/SimErrors.h"

namespace sim {

namespace {

constexpr size_t kPageSize = 4096;
constexpr uint8_t kFreshMemoryByte = 0xCD;

}  // namespace

void* SimMemory::AllocateBuffer(size_t size) {
  const int call = ++calls_;
  if (call == failAt_) {
    lastError_ = kErrorNotEnoughMemory;
    return nullptr;
  }
  std::unique_ptr<uint8_t[]> storage(new uint8_t[size + kPageSize]);
  const auto address = reinterpret_cast<uintptr_t>(storage.get());
  auto* aligned = reinterpret_cast<uint8_t*>((address + kPageSize - 1) & ~(kPageSize - 1));
  std::memset(aligned, kFreshMemoryByte, size);
  blocks_[aligned] = std::move(storage);
  return aligned;
}

void SimMemory::FreeBuffer(void* buffer) {
  if (buffer == nullptr) return;
  if (blocks_.erase(buffer) == 0) ++badFrees_;
}

}  // namespace sim
