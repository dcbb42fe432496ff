// The words of a scenario line: blank-separated, a word either alone
// ("k818r") or with a value ("revision=1.01"), and the readers of the
// numbers and names a value holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/ScsiDevice.h"

namespace sim {

struct Token {
  std::string key;    // the word, or the part before '=', lower case
  std::string value;  // after '=', unescaped
  bool hasValue = false;
};

// Splits on blanks; double quotes keep blanks; \0 \xNN \\ \" escapes.
bool Tokenize(const std::string& line, std::vector<Token>& tokens, std::string& error);

int HexDigit(char c);

// Decimal or 0x hex, no more than `limit`; the error names KEY=VALUE.
bool ReadNumber(const std::string& key, const std::string& value, uint64_t limit, uint64_t& number,
                std::string& error);

template <typename T>
bool Number(const Token& token, T& out, std::string& error, uint64_t limit) {
  uint64_t number = 0;
  if (!ReadNumber(token.key, token.value, limit, number, error)) return false;
  out = static_cast<T>(number);
  return true;
}

// sync, pending or never.
bool ParseCompletion(const std::string& text, Completion& completion);

}  // namespace sim
