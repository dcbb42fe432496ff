// Opens of \\.\X: on the simulated PC: which of them fail, and a record of
// every one asked for.
//
//   pc.FailOpen('E', platform::kErrorAccessDenied, 3);      // the next three
//   pc.RefuseDeviceAccess('D', platform::kGenericWrite);    // any open asking to write
//   ... pc.DeviceOpens().back().access ...
#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace sim {

struct DeviceOpenRecord {
  char letter = 0;  // 0 when the path named no drive letter
  uint32_t access = 0;
  uint32_t share = 0;
  bool opened = false;
  uint64_t timeUs = 0;
};

class SimDeviceOpens {
 public:
  // The next `times` opens of the letter fail with `error` (negative: every one).
  void FailOpen(char letter, uint32_t error, int times);
  // Opens of the letter asking for any of `rights` fail with access denied.
  void RefuseAccess(char letter, uint32_t rights) { refused_[letter] = rights; }

  // 0 when an open of the letter with `access` may go ahead, else its error.
  uint32_t Check(char letter, uint32_t access);
  void Record(const DeviceOpenRecord& record) { records_.push_back(record); }

  const std::vector<DeviceOpenRecord>& Records() const { return records_; }
  std::vector<char> OpenedLetters() const;

 private:
  struct Failure {
    uint32_t error = 0;
    int times = 0;
  };
  std::map<char, Failure> failures_;
  std::map<char, uint32_t> refused_;
  std::vector<DeviceOpenRecord> records_;
};

}  // namespace sim
