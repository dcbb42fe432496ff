// The program the simulated PC runs: its file path, its string table and
// its other resources, read the way LoadStringA and FindResourceA read a
// program's own module.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace sim {

class SimProgram {
 public:
  void SetPath(std::string path) { path_ = std::move(path); }
  void SetText(unsigned id, std::string text) { texts_[id] = std::move(text); }
  void SetResource(const std::string& type, unsigned id, std::vector<uint8_t> bytes);
  void RemoveResource(const std::string& type, unsigned id);

  unsigned Path(char* buffer, unsigned size) const;         // GetModuleFileNameA
  int LoadText(unsigned id, char* buffer, int size) const;  // LoadStringA
  const uint8_t* Resource(const char* type, unsigned id, uint32_t* size) const;
  int TextLoads() const { return textLoads_; }

 private:
  std::string path_ = "C:\\KIT\\FlashK818R.exe";
  std::map<unsigned, std::string> texts_;
  std::map<std::pair<std::string, unsigned>, std::vector<uint8_t>> resources_;
  mutable int textLoads_ = 0;
};

}  // namespace sim
