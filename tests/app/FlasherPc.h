// A simulated PC running the flasher: its string table and licence texts
// are the program's own, from the same files the Windows build uses.
#pragma once

#include <string>

#include "sim/SimPc.h"

namespace flasher_pc {

// The catalogue and both LICENSE resources, as the program carries them.
void InstallFlasherResources(sim::SimPc& pc);

// A device tree with nothing in it that the gate would refuse.
void AddHarmlessDeviceTree(sim::SimPc& pc);

// The bytes of a resource file of app/res.
std::string ResourceFile(const std::string& name);

}  // namespace flasher_pc
