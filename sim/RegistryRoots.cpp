// The predefined registry keys on the simulated PC carry the numbers Windows
// gives them, so logic that prints or compares them sees the same values.
#include "platform/Platform.h"

namespace platform {

RegistryKey HkeyLocalMachine() {
  return reinterpret_cast<RegistryKey>(uintptr_t{0x80000002});
}

RegistryKey HkeyDynData() {
  return reinterpret_cast<RegistryKey>(uintptr_t{0x80000006});
}

}  // namespace platform
