// Profile files (the .INI files of the Windows folder) of the simulated PC:
// what WritePrivateProfileString left in them and every write in order.
//
//   pc.Profile().Value("FlashK818R.INI", "Settings", "X")   // std::optional<std::string>
//   pc.Profile().Writes().size()
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace sim {

struct ProfileWrite {
  std::string file;
  std::string section;
  std::string key;
  std::string value;
  uint64_t timeUs = 0;
};

class SimProfile {
 public:
  // File, section and key names are matched without regard to case, as
  // Windows does.
  void Write(const std::string& file, const std::string& section, const std::string& key,
             const std::string& value, uint64_t timeUs);
  std::optional<std::string> Value(const std::string& file, const std::string& section,
                                   const std::string& key) const;
  const std::vector<ProfileWrite>& Writes() const { return writes_; }

 private:
  using Key = std::tuple<std::string, std::string, std::string>;
  static Key KeyOf(const std::string& file, const std::string& section, const std::string& key);

  std::map<Key, std::string> values_;
  std::vector<ProfileWrite> writes_;
};

}  // namespace sim
