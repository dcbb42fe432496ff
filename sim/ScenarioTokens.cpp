#include "sim/ScenarioTokens.h"

#include <cctype>

namespace sim {

namespace {

bool IsBlank(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// The escape at line[i] (a backslash with a character after it) into
// `target`; returns how many characters it took.
size_t Unescape(const std::string& line, size_t i, std::string& target) {
  const char next = line[i + 1];
  if (next == '0') {
    target.push_back('\0');
    return 2;
  }
  if (next == 'x' && i + 3 < line.size() && HexDigit(line[i + 2]) >= 0 &&
      HexDigit(line[i + 3]) >= 0) {
    target.push_back(static_cast<char>(HexDigit(line[i + 2]) * 16 + HexDigit(line[i + 3])));
    return 4;
  }
  target.push_back(next);
  return 2;
}

// One word from line[i] on; `i` ends past it.
bool ReadToken(const std::string& line, size_t& i, Token& token, std::string& error) {
  std::string* target = &token.key;
  bool quoted = false;
  while (i < line.size() && (quoted || !IsBlank(line[i]))) {
    const char c = line[i];
    if (c == '"') {
      quoted = !quoted;
      ++i;
    } else if (c == '=' && !token.hasValue && !quoted) {
      token.hasValue = true;
      target = &token.value;
      ++i;
    } else if (c == '\\' && i + 1 < line.size()) {
      i += Unescape(line, i, *target);
    } else {
      target->push_back(c);
      ++i;
    }
  }
  if (quoted) {
    error = "unterminated quote";
    return false;
  }
  for (char& c : token.key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return true;
}

bool ParseNumber(const std::string& text, uint64_t& number) {
  if (text.empty()) return false;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty()) return false;
  number = 0;
  for (char c : digits) {
    const int digit =
        hex ? HexDigit(c) : (std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : -1);
    if (digit < 0) return false;
    number = number * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    if (number > 0xFFFFFFFFull * 1000) return false;
  }
  return true;
}

}  // namespace

bool Tokenize(const std::string& line, std::vector<Token>& tokens, std::string& error) {
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    Token token;
    if (!ReadToken(line, i, token, error)) return false;
    tokens.push_back(token);
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const int lower = std::tolower(static_cast<unsigned char>(c));
  return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

bool ReadNumber(const std::string& key, const std::string& value, uint64_t limit, uint64_t& number,
                std::string& error) {
  if (!ParseNumber(value, number) || number > limit) {
    error = "bad number in " + key + "=" + value;
    return false;
  }
  return true;
}

bool ParseCompletion(const std::string& text, Completion& completion) {
  if (text == "sync") {
    completion = Completion::kSynchronous;
  } else if (text == "pending") {
    completion = Completion::kPending;
  } else if (text == "never") {
    completion = Completion::kNever;
  } else {
    return false;
  }
  return true;
}

}  // namespace sim
