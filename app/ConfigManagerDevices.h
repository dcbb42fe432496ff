// The Windows 9x device check of the gate: the live device tree must not
// list an OD-J207P on the standard IDE controller (PNP0600).
#pragma once

#include "platform/Registry.h"

enum class DeviceCheck { kClear, kBlocked };

// Fails closed: a device-tree key that cannot be opened, or a tree that
// cannot be listed to its end, blocks.
DeviceCheck CheckConfigManagerDevices(platform::Registry& registry);
