// The words of a scenario line, a word either alone ("k818r") or with a
// value ("revision=1.01"), and the readers of fault lines and device lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/Scenario.h"

namespace sim {

struct Token {
  std::string key;    // the word, or the part before '=', lower case
  std::string value;  // after '=', unescaped
  bool hasValue = false;
};

int HexDigit(char c);

// Reads tokens[first...] into `fault`. `deviceName`, when not null, takes a
// device=<name> word; without it that word is unknown.
bool ReadFaultWords(const std::vector<Token>& tokens, size_t first, Fault& fault,
                    std::string* deviceName, std::string& error);

// Reads an aspi or letter line into `setup` and builds its device, unless
// the line names one of another line (device=, left to the caller) or gives
// a drive type only.
bool ReadDeviceLine(const std::vector<Token>& tokens, DeviceSetup& setup, std::string& error);

}  // namespace sim
