// Drives and identification texts the launcher tests put into a simulated PC.
#pragma once

#include <memory>
#include <string>

#include "sim/GenericDevices.h"
#include "sim/K818rDrive.h"

namespace launcher_test {

// INQUIRY bytes 8 to 35 of the drives below.
constexpr char kK818rText[] = "QUAV    OD-K818R        1.01";
constexpr char kForeignText[] = "OTHERCO CD-ROM 52X      1.00";

inline std::shared_ptr<sim::K818rDrive> K818r(const std::string& revision = "1.01") {
  auto drive = std::make_shared<sim::K818rDrive>();
  drive->Config().revision = revision;
  return drive;
}

inline std::shared_ptr<sim::ForeignCdrom> Foreign() {
  return std::make_shared<sim::ForeignCdrom>();
}

inline std::string Text(const char* identification) {
  return std::string(identification, 28);
}

}  // namespace launcher_test
