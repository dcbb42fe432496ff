#include "sim/SimProgram.h"

#include <algorithm>
#include <cstring>

#include "sim/SimErrors.h"

namespace sim {

void SimProgram::SetResource(const std::string& type, unsigned id, std::vector<uint8_t> bytes) {
  resources_[{type, id}] = std::move(bytes);
}

void SimProgram::RemoveResource(const std::string& type, unsigned id) {
  resources_.erase({type, id});
}

unsigned SimProgram::ProgramPath(char* buffer, unsigned size) {
  if (size == 0) return 0;
  // Truncated to the buffer, zero included, as Windows XP and later do.
  const auto length = static_cast<unsigned>(std::min<size_t>(path_.size(), size - 1));
  std::memcpy(buffer, path_.data(), length);
  buffer[length] = '\0';
  return length;
}

int SimProgram::LoadText(unsigned id, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  buffer[0] = '\0';
  const auto found = texts_.find(id);
  if (found == texts_.end()) return 0;
  const auto length =
      static_cast<int>(std::min<size_t>(found->second.size(), static_cast<size_t>(size - 1)));
  std::memcpy(buffer, found->second.data(), static_cast<size_t>(length));
  buffer[length] = '\0';
  return length;
}

const uint8_t* SimProgram::ResourceBytes(const char* type, unsigned id, uint32_t* size) {
  const auto found = resources_.find({type, id});
  if (found == resources_.end()) return nullptr;
  *size = static_cast<uint32_t>(found->second.size());
  return found->second.data();
}

void SimProgram::Trace(const char* text) {
  traces_.emplace_back(text == nullptr ? "" : text);
}

bool SimProgram::StartProgram(const platform::ProgramStart& start) {
  const bool exists = start.applicationName != nullptr && files_.Exists(start.applicationName);
  if (!exists) lastError_ = kErrorFileNotFound;
  return processes_.Start(start, exists, clock_.NowUs());
}

}  // namespace sim
