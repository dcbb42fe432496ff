#include "sim/SimFiles.h"

#include <algorithm>
#include <cstring>

#include "sim/CaseFold.h"
#include "sim/SimErrors.h"

namespace sim {

void SimFiles::AddFile(const std::string& name, std::vector<uint8_t> bytes) {
  files_[UpperCase(name)] = std::move(bytes);
}

void SimFiles::RemoveFile(const std::string& name) {
  files_.erase(UpperCase(name));
}

void SimFiles::FailFileOpen(const std::string& name, bool fail) {
  if (fail) {
    failing_.insert(UpperCase(name));
  } else {
    failing_.erase(UpperCase(name));
  }
}

bool SimFiles::Exists(const std::string& name) const {
  return files_.count(UpperCase(name)) != 0;
}

platform::File SimFiles::OpenFileForReading(const char* name) {
  const std::string key = UpperCase(name == nullptr ? std::string() : std::string(name));
  auto found = files_.find(key);
  if (found == files_.end() || failing_.count(key) != 0) {
    lastError_ = kErrorFileNotFound;
    return nullptr;
  }
  nextFile_ += 0x10;
  auto file = reinterpret_cast<platform::File>(nextFile_);
  open_[file] = OpenFile{found->second, 0};
  return file;
}

size_t SimFiles::ReadFile(platform::File file, void* buffer, size_t size) {
  auto found = open_.find(file);
  if (found == open_.end() || buffer == nullptr) return 0;
  OpenFile& open = found->second;
  if (open.position >= open.bytes.size()) return 0;
  const size_t count = std::min(size, open.bytes.size() - open.position);
  std::memcpy(buffer, open.bytes.data() + open.position, count);
  open.position += count;
  return count;
}

bool SimFiles::SeekFile(platform::File file, long offset) {
  auto found = open_.find(file);
  if (found == open_.end() || offset < 0) return false;
  found->second.position = static_cast<size_t>(offset);  // past the end is allowed, as fseek
  return true;
}

void SimFiles::CloseFile(platform::File file) {
  if (open_.erase(file) == 0) ++badCloses_;
}

}  // namespace sim
