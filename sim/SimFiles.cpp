#include "sim/SimFiles.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace sim {

namespace {

constexpr uint32_t kErrorFileNotFound = 2;

// File names of the current folder match without regard to case.
std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

void SimFiles::Add(const std::string& name, std::vector<uint8_t> bytes) {
  files_[Upper(name)] = std::move(bytes);
}

void SimFiles::Remove(const std::string& name) {
  files_.erase(Upper(name));
}

void SimFiles::FailOpen(const std::string& name, bool fail) {
  if (fail) {
    failing_.insert(Upper(name));
  } else {
    failing_.erase(Upper(name));
  }
}

bool SimFiles::Exists(const std::string& name) const {
  return files_.count(Upper(name)) != 0;
}

platform::File SimFiles::Open(const char* name) {
  ++opens_;
  const std::string key = Upper(name == nullptr ? std::string() : std::string(name));
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

size_t SimFiles::Read(platform::File file, void* buffer, size_t size) {
  auto found = open_.find(file);
  if (found == open_.end() || buffer == nullptr) return 0;
  OpenFile& open = found->second;
  if (open.position >= open.bytes.size()) return 0;
  const size_t count = std::min(size, open.bytes.size() - open.position);
  std::memcpy(buffer, open.bytes.data() + open.position, count);
  open.position += count;
  return count;
}

bool SimFiles::Seek(platform::File file, long offset) {
  auto found = open_.find(file);
  if (found == open_.end() || offset < 0) return false;
  found->second.position = static_cast<size_t>(offset);  // past the end is allowed, as fseek
  return true;
}

void SimFiles::Close(platform::File file) {
  if (open_.erase(file) == 0) ++badCloses_;
}

}  // namespace sim
