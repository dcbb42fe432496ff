#include "sim/SimDeviceOpens.h"

#include "platform/Platform.h"

namespace sim {

void SimDeviceOpens::FailOpen(char letter, uint32_t error, int times) {
  failures_[letter] = Failure{error, times};
}

uint32_t SimDeviceOpens::Check(char letter, uint32_t access) {
  auto failure = failures_.find(letter);
  if (failure != failures_.end() && failure->second.times != 0) {
    if (failure->second.times > 0) --failure->second.times;
    return failure->second.error;
  }
  auto refused = refused_.find(letter);
  if (refused != refused_.end() && (access & refused->second) != 0) {
    return platform::kErrorAccessDenied;
  }
  return 0;
}

std::vector<char> SimDeviceOpens::OpenedLetters() const {
  std::vector<char> letters;
  for (const DeviceOpenRecord& record : records_) {
    if (record.opened) letters.push_back(record.letter);
  }
  return letters;
}

}  // namespace sim
