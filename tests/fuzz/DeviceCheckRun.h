// The flasher's Windows 9x device check over a HKEY_DYN_DATA
// "Config Manager\Enum" tree built from fuzz bytes, with one opening of a
// key refused now and then. The check must fail closed, agree with a
// plain search of the tree, close every key and read no byte of a name or
// value beyond what the registry returned (ASan poisons the rest of each
// buffer until the next registry call).
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

void CheckDeviceCheckRun(const uint8_t* data, size_t size);

}  // namespace fuzz
