// One launcher start on a fresh simulated PC, built from fuzz bytes: the
// system (9x or NT, with or without WNASPI32.DLL and the flasher), the
// devices the probe finds, the Enum\SCSI tree and the answer to the
// "Caution" form. After the run the invariants are checked; a violation
// prints the run as a story and aborts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

void CheckLauncherRun(const uint8_t* data, size_t size);

}  // namespace fuzz
