#include "sim/Scenario.h"
#include "sim/SimPc.h"

namespace sim {

void ApplyScenario(const Scenario& scenario, SimPc& pc) {
  if (scenario.windows) pc.SetWindows(*scenario.windows);
  ApplyScenario(scenario, pc.Aspi());
  for (const DeviceSpec& spec : scenario.devices) {
    if (spec.bus != DeviceSpec::Bus::kLetter) continue;
    if (spec.device) {
      pc.AttachCdrom(spec.letter, spec.device, static_cast<uint8_t>(spec.target),
                     static_cast<uint8_t>(spec.lun));
    } else {
      pc.SetDriveType(spec.letter, spec.driveType);
    }
  }
}

}  // namespace sim
