// A registry tree as a fuzz input builds it: a list of steps applied in
// order, so the simulated PC and the checks' own copy hold the same tree,
// and a run's story can list it.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "sim/SimRegistry.h"
#include "tests/fuzz/FuzzStory.h"

namespace fuzz {

struct RegistryStep {
  enum Kind { kKey, kValue, kFailOpen } kind;
  std::string path;  // "HKLM\..." or "HKDD\..."
  std::string name;
  uint32_t type = 0;
  std::vector<uint8_t> bytes;
};

inline void ApplySteps(const std::vector<RegistryStep>& steps, sim::SimRegistry& registry) {
  for (const RegistryStep& step : steps) {
    switch (step.kind) {
      case RegistryStep::kKey:
        registry.AddKey(step.path);
        break;
      case RegistryStep::kValue:
        registry.SetValue(step.path, step.name, step.type, step.bytes);
        break;
      case RegistryStep::kFailOpen:
        registry.FailOpen(step.path);
        break;
    }
  }
}

inline void DescribeSteps(const std::vector<RegistryStep>& steps, std::ostream& story) {
  static const char* const kKinds[] = {"key", "value", "refuses opening"};
  for (const RegistryStep& step : steps) {
    story << "  registry " << kKinds[step.kind] << " " << Printable(step.path);
    if (step.kind == RegistryStep::kValue) {
      story << " : \"" << Printable(step.name) << "\" type " << step.type << ", "
            << step.bytes.size() << " bytes " << Hex(step.bytes);
    }
    story << "\n";
  }
}

}  // namespace fuzz
