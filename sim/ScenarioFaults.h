// The words of a fault line ("fault closing nth=1 sense=05/1A/00"): which
// commands it hits and what it does to them.
#pragma once

#include <string>
#include <vector>

#include "sim/ScenarioTokens.h"
#include "sim/ScsiDevice.h"

namespace sim {

// Reads tokens[first...] into `fault`. `deviceName`, when not null, takes a
// device=<name> word; without it that word is unknown.
bool ParseFaultTokens(const std::vector<Token>& tokens, size_t first, Fault& fault,
                      std::string* deviceName, std::string& error);

}  // namespace sim
