// Small builders for the drives the transport tests put into a simulated PC.
#pragma once

#include <memory>
#include <string>

#include "sim/GenericDevices.h"
#include "sim/K818rDrive.h"

namespace testing_drives {

inline std::shared_ptr<sim::K818rDrive> K818r(const std::string& revision = "1.01",
                                              const std::string& product = "OD-K818R",
                                              const std::string& vendor = "QUAV") {
  auto drive = std::make_shared<sim::K818rDrive>();
  drive->Config().vendor = vendor;
  drive->Config().product = product;
  drive->Config().revision = revision;
  return drive;
}

inline std::shared_ptr<sim::ForeignCdrom> Foreign() {
  return std::make_shared<sim::ForeignCdrom>();
}

}  // namespace testing_drives
