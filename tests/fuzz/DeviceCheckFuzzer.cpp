// The flasher's Windows 9x device check on fuzzed HKEY_DYN_DATA trees.
#include "tests/fuzz/DeviceCheckRun.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::CheckDeviceCheckRun(data, size);
  return 0;
}
