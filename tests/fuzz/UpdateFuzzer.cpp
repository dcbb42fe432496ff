// The whole update under libFuzzer with ASan+UBSan: each input is one run
// of the user's Yes on a fresh simulated PC (see UpdateFuzzCase.h).
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/UpdateFuzzCase.h"

// A run allocates and frees much; the allocator keeps no stacks and a small
// quarantine, which nearly doubles the runs per second. ASAN_OPTIONS
// overrides this when a finding needs the allocation stacks.
extern "C" const char* __asan_default_options() {
  return "malloc_context_size=0:quarantine_size_mb=16";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  updatefuzz::RunOneUpdate(data, size);
  return 0;
}
