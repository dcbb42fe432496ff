// The scenario words of a misbehaving drive: the fault words and k818r
// options that make a drive drop off the bus, answer a host-adapter error,
// move fewer or altered bytes, or restart after its closing command. The
// scenario parser hands each word it meets here first.
#pragma once

#include <string>

#include "sim/K818rDrive.h"
#include "sim/ScsiDevice.h"

namespace sim {

enum class WordUse { kNotMine, kTaken, kBad };

// Gives the fault line its action; a second, different one is an error.
bool ChooseFaultAction(FaultAction action, Fault& fault, bool& haveAction, std::string& error);

// One word of a fault line. `haveAction` says whether an earlier word chose
// the action already.
WordUse ParseBehaviourFaultWord(const std::string& key, const std::string& value, bool hasValue,
                                Fault& fault, bool& haveAction, std::string& error);

// One option of a k818r device line.
WordUse ParseRestartOption(const std::string& key, const std::string& value, bool hasValue,
                           K818rConfig& config, std::string& error);

}  // namespace sim
