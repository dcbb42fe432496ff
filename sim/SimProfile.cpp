#include "sim/SimProfile.h"

#include <cctype>

namespace sim {

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

SimProfile::Key SimProfile::KeyOf(const std::string& file, const std::string& section,
                                  const std::string& key) {
  return Key{Upper(file), Upper(section), Upper(key)};
}

void SimProfile::Write(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& value, uint64_t timeUs) {
  values_[KeyOf(file, section, key)] = value;
  writes_.push_back(ProfileWrite{file, section, key, value, timeUs});
}

std::optional<std::string> SimProfile::Value(const std::string& file, const std::string& section,
                                             const std::string& key) const {
  const auto found = values_.find(KeyOf(file, section, key));
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

}  // namespace sim
