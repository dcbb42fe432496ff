#include "sim/SimProfile.h"

#include "sim/CaseFold.h"

namespace sim {

SimProfile::Key SimProfile::KeyOf(const std::string& file, const std::string& section,
                                  const std::string& key) {
  return Key{UpperCase(file), UpperCase(section), UpperCase(key)};
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
