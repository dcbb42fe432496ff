// Files of the simulated PC's current folder, read as the C runtime reads
// them, and the profile files it writes. An open file reads a snapshot:
// removing the file does not pull it away from a reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "sim/SimProfile.h"
#include "sim/VirtualClock.h"

namespace sim {

class SimFiles : public virtual platform::Files {
 public:
  SimFiles(uint32_t& lastError, SimProfile& profile, VirtualClock& clock)
      : lastError_(lastError), profile_(profile), clock_(clock) {}

  void AddFile(const std::string& name, std::vector<uint8_t> bytes);
  void RemoveFile(const std::string& name);
  void FailFileOpen(const std::string& name, bool fail = true);
  bool Exists(const std::string& name) const;

  int OpenFiles() const { return static_cast<int>(open_.size()); }  // still open
  int BadCloses() const { return badCloses_; }

  platform::File OpenFileForReading(const char* name) override;
  size_t ReadFile(platform::File file, void* buffer, size_t size) override;
  bool SeekFile(platform::File file, long offset) override;
  void CloseFile(platform::File file) override;
  bool FindFirstMatch(const char* pattern) override { return Exists(pattern); }
  bool WriteProfileText(const char* file, const char* section, const char* key,
                        const char* value) override {
    profile_.Write(file, section, key, value, clock_.NowUs());
    return true;
  }

 private:
  struct OpenFile {
    std::vector<uint8_t> bytes;
    size_t position = 0;
  };

  uint32_t& lastError_;
  SimProfile& profile_;
  VirtualClock& clock_;
  std::map<std::string, std::vector<uint8_t>> files_;  // upper-case name -> bytes
  std::set<std::string> failing_;
  std::map<platform::File, OpenFile> open_;
  uintptr_t nextFile_ = 0x100;
  int badCloses_ = 0;
};

}  // namespace sim
