// The launcher's start-up on fuzzed systems, devices and Enum\SCSI trees.
#include "tests/fuzz/LauncherRun.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::CheckLauncherRun(data, size);
  return 0;
}
