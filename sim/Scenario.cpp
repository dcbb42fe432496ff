#include "sim/Scenario.h"

#include <map>
#include <sstream>

#include "sim/ScenarioDevices.h"
#include "sim/ScenarioFaults.h"
#include "sim/ScenarioTokens.h"

namespace sim {

namespace {

// The devices of the lines read so far: by name, and the last one, which
// fault lines without device= apply to.
struct ReadDevices {
  std::map<std::string, std::shared_ptr<ScsiDevice>> named;
  std::shared_ptr<ScsiDevice> last;
};

bool ParseWindows(const std::string& word, WindowsVersion& version) {
  static const std::map<std::string, WindowsVersion> versions = {
      {"win95", WindowsVersion::kWin95},     {"win98", WindowsVersion::kWin98},
      {"win98se", WindowsVersion::kWin98Se}, {"winme", WindowsVersion::kWinMe},
      {"nt4sp5", WindowsVersion::kNt4Sp5},   {"nt4sp6", WindowsVersion::kNt4Sp6},
      {"win2000", WindowsVersion::kWin2000}, {"winxp", WindowsVersion::kWinXp},
  };
  auto found = versions.find(word);
  if (found == versions.end()) return false;
  version = found->second;
  return true;
}

bool ParseOsLine(const std::vector<Token>& tokens, Scenario& scenario, std::string& error) {
  WindowsVersion version;
  if (tokens.size() != 2 || !ParseWindows(tokens[1].key, version)) {
    error = "os wants one of win95 win98 win98se winme nt4sp5 nt4sp6 win2000 winxp";
    return false;
  }
  scenario.windows = version;
  return true;
}

bool ParseFaultLine(const std::vector<Token>& tokens, ReadDevices& devices, std::string& error) {
  Fault fault;
  std::string deviceName;
  if (!ParseFaultTokens(tokens, 1, fault, &deviceName, error)) return false;
  std::shared_ptr<ScsiDevice> device = devices.last;
  if (!deviceName.empty()) {
    auto found = devices.named.find(deviceName);
    if (found == devices.named.end()) {
      error = "no device named " + deviceName;
      return false;
    }
    device = found->second;
  }
  if (!device) {
    error = "fault before any device";
    return false;
  }
  device->AddFault(fault);
  return true;
}

// A device line: its device (built, or another line's by name) joins the scenario.
bool AddDeviceLine(const std::vector<Token>& tokens, Scenario& scenario, ReadDevices& devices,
                   std::string& error) {
  DeviceSetup setup;
  if (!ParseDeviceLine(tokens, setup, error)) return false;
  if (!setup.sameAs.empty()) {
    auto found = devices.named.find(setup.sameAs);
    if (found == devices.named.end()) {
      error = "no device named " + setup.sameAs;
      return false;
    }
    setup.device = found->second;
  }
  if (setup.bus == DeviceSetup::Bus::kAspi && !setup.device) {
    error = "aspi line without k818r, cdrom, disk or device=";
    return false;
  }
  if (setup.bus == DeviceSetup::Bus::kLetter && !setup.device && setup.driveType == 0) {
    error = "letter line without a device or a drive type";
    return false;
  }
  if (setup.device) {
    devices.last = setup.device;
    if (!setup.name.empty() && setup.sameAs.empty()) devices.named[setup.name] = setup.device;
  }
  scenario.devices.push_back(setup);
  return true;
}

bool ParseLine(const std::vector<Token>& tokens, Scenario& scenario, ReadDevices& devices,
               std::string& error) {
  const std::string& word = tokens[0].key;
  if (word == "os") return ParseOsLine(tokens, scenario, error);
  if (word == "fault") return ParseFaultLine(tokens, devices, error);
  if (word == "aspi" || word == "letter") return AddDeviceLine(tokens, scenario, devices, error);
  error = "unknown line: " + word;
  return false;
}

}  // namespace

bool ParseFault(const std::string& line, Fault& fault, std::string* error) {
  std::vector<Token> tokens;
  std::string message;
  const bool ok =
      Tokenize(line, tokens, message) && ParseFaultTokens(tokens, 0, fault, nullptr, message);
  if (!ok && error != nullptr) *error = message;
  return ok;
}

bool ParseScenario(const std::string& text, Scenario& scenario, std::string* error) {
  scenario = Scenario{};
  ReadDevices devices;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    const size_t comment = line.find('#');
    if (comment != std::string::npos) line.erase(comment);
    std::vector<Token> tokens;
    std::string message;
    bool ok = Tokenize(line, tokens, message);
    if (ok && tokens.empty()) continue;
    ok = ok && ParseLine(tokens, scenario, devices, message);
    if (!ok) {
      if (error != nullptr) *error = "line " + std::to_string(number) + ": " + message;
      return false;
    }
  }
  return true;
}

void ApplyScenario(const Scenario& scenario, AspiManager& aspi) {
  for (const DeviceSetup& setup : scenario.devices) {
    if (setup.bus == DeviceSetup::Bus::kAspi && setup.device) {
      aspi.Attach(setup.ha, setup.target, setup.lun, setup.device, setup.completion);
    }
  }
}

}  // namespace sim
