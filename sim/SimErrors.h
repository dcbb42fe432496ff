// The Win32 error codes the simulated PC answers with, beside the ones the
// logic itself names in platform/Handles.h. One list for every service.
#pragma once

#include <cstdint>

#include "platform/Handles.h"

namespace sim {

constexpr uint32_t kErrorInvalidFunction = 1;
constexpr uint32_t kErrorFileNotFound = 2;
using platform::kErrorInvalidHandle;
constexpr uint32_t kErrorNotEnoughMemory = 8;
constexpr uint32_t kErrorNotReady = 21;
constexpr uint32_t kErrorNotSupported = 50;
constexpr uint32_t kErrorDeviceGone = 55;  // ERROR_DEV_NOT_EXIST
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorInsufficientBuffer = 122;
constexpr uint32_t kErrorModNotFound = 126;
constexpr uint32_t kErrorProcNotFound = 127;
constexpr uint32_t kErrorMrMidNotFound = 317;

}  // namespace sim
