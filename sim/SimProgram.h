// The program the simulated PC runs: its file path, its string table and
// its other resources, read the way LoadStringA and FindResourceA read a
// program's own module; the engine's traces; and the programs it starts,
// which start when their file is in the current folder.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/Programs.h"
#include "sim/SimFiles.h"
#include "sim/SimProcesses.h"
#include "sim/VirtualClock.h"

namespace sim {

class SimProgram : public virtual platform::Programs {
 public:
  SimProgram(SimFiles& files, SimProcesses& processes, VirtualClock& clock, uint32_t& lastError)
      : files_(files), processes_(processes), clock_(clock), lastError_(lastError) {}

  void SetText(unsigned id, std::string text) { texts_[id] = std::move(text); }
  void SetResource(const std::string& type, unsigned id, std::vector<uint8_t> bytes);
  void RemoveResource(const std::string& type, unsigned id);

  const std::vector<std::string>& Traces() const { return traces_; }

  unsigned ProgramPath(char* buffer, unsigned size) override;  // GetModuleFileNameA
  int LoadText(unsigned id, char* buffer, int size) override;  // LoadStringA
  const uint8_t* ResourceBytes(const char* type, unsigned id, uint32_t* size) override;
  void Trace(const char* text) override;
  // A bare name resolves against the files of the current folder.
  bool StartProgram(const platform::ProgramStart& start) override;

 private:
  SimFiles& files_;
  SimProcesses& processes_;
  VirtualClock& clock_;
  uint32_t& lastError_;
  std::string path_ = "C:\\KIT\\FlashK818R.exe";
  std::map<unsigned, std::string> texts_;
  std::map<std::pair<std::string, unsigned>, std::vector<uint8_t>> resources_;
  std::vector<std::string> traces_;
};

}  // namespace sim
