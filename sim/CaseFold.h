// Windows matches file, key and section names without regard to case; the
// simulated PC's services compare them the same way.
#pragma once

#include <cctype>
#include <string>

namespace sim {

inline std::string UpperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

inline bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  return UpperCase(a) == UpperCase(b);
}

}  // namespace sim
