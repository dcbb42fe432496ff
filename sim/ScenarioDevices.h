// The device lines of a scenario, "aspi ha=0 target=1 lun=0 k818r ..." and
// "letter E: cdrom ...": their address, their words, and the device each
// one builds.
#pragma once

#include <string>
#include <vector>

#include "sim/Scenario.h"
#include "sim/ScenarioTokens.h"

namespace sim {

// Reads an aspi or letter line into `setup` and builds its device, unless
// the line names one of another line (device=, left to the caller) or gives
// a drive type only.
bool ParseDeviceLine(const std::vector<Token>& tokens, DeviceSetup& setup, std::string& error);

}  // namespace sim
