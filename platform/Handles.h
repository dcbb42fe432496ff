// What every role of the OS seam shares: the kinds of handle it hands out
// and the Win32 answers the logic looks at.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

using Handle = void*;  // HANDLE
using Module = void*;  // HMODULE
using File = void*;    // an open file of the C runtime

// INVALID_HANDLE_VALUE
inline Handle InvalidHandle() {
  return reinterpret_cast<Handle>(static_cast<intptr_t>(-1));
}

constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorSemTimeout = 121;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorMediaChanged = 1110;
constexpr uint32_t kErrorIoDevice = 1117;

// MAX_PATH: room for any folder the system reports.
constexpr unsigned kMaxPath = 260;

}  // namespace platform
