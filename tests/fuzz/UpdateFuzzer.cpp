// The whole update under libFuzzer with ASan+UBSan: each input is one run
// of the user's Yes on a fresh simulated PC (see UpdateFuzzCase.h).
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/UpdateFuzzCase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  updatefuzz::RunOneUpdate(data, size);
  return 0;
}
