// Programs the simulated PC was asked to start. A program starts when its
// file is in the current folder: a bare name resolves there and nowhere else.
//
//   pc.Files().AddFile("FlashK818R.exe", {});
//   ... pc.Processes().Starts().at(0).applicationName ...
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace sim {

struct ProgramStartRecord {
  std::string applicationName;
  bool commandLineGiven = false;
  std::string commandLine;
  bool processHandleInheritable = false;
  bool threadHandleInheritable = false;
  bool inheritHandles = false;
  uint32_t creationFlags = 0;
  bool started = false;
  uint64_t timeUs = 0;
};

class SimProcesses {
 public:
  // Records the attempt; true when the program file exists.
  bool Start(const platform::ProgramStart& start, bool programFileExists, uint64_t nowUs);

  const std::vector<ProgramStartRecord>& Attempts() const { return attempts_; }
  // The programs that did start, in order.
  std::vector<std::string> Started() const;

 private:
  std::vector<ProgramStartRecord> attempts_;
};

}  // namespace sim
