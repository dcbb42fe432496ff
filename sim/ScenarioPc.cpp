#include "sim/Scenario.h"
#include "sim/SimPc.h"

namespace sim {

void ApplyScenario(const Scenario& scenario, SimPc& pc) {
  if (scenario.windows) pc.SetWindows(*scenario.windows);
  ApplyScenario(scenario, pc.Aspi());
  for (const DeviceSetup& setup : scenario.devices) {
    if (setup.bus != DeviceSetup::Bus::kLetter) continue;
    if (setup.device) {
      pc.AttachCdrom(setup.letter, setup.device, static_cast<uint8_t>(setup.target),
                     static_cast<uint8_t>(setup.lun));
    } else {
      pc.SetDriveType(setup.letter, setup.driveType);
    }
  }
}

}  // namespace sim
