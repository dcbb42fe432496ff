// Files of the simulated PC's current folder, read as the C runtime reads
// them. An open file reads a snapshot: removing the file does not pull it
// away from a reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace sim {

class SimFiles {
 public:
  explicit SimFiles(uint32_t& lastError) : lastError_(lastError) {}

  void Add(const std::string& name, std::vector<uint8_t> bytes);
  void Remove(const std::string& name);
  void FailOpen(const std::string& name, bool fail = true);
  bool Exists(const std::string& name) const;

  int OpenCount() const { return static_cast<int>(open_.size()); }
  int Opens() const { return opens_; }
  int BadCloses() const { return badCloses_; }

  platform::File Open(const char* name);
  size_t Read(platform::File file, void* buffer, size_t size);
  bool Seek(platform::File file, long offset);
  void Close(platform::File file);

 private:
  struct OpenFile {
    std::vector<uint8_t> bytes;
    size_t position = 0;
  };

  uint32_t& lastError_;
  std::map<std::string, std::vector<uint8_t>> files_;  // upper-case name -> bytes
  std::set<std::string> failing_;
  std::map<platform::File, OpenFile> open_;
  uintptr_t nextFile_ = 0x100;
  int opens_ = 0;
  int badCloses_ = 0;
};

}  // namespace sim
