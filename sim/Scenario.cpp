#include "sim/Scenario.h"

#include <map>
#include <sstream>

#include "sim/ScenarioTokens.h"

namespace sim {

namespace {

// The devices of the lines read so far: by name, and the last one, which
// fault lines without device= apply to.
struct ReadDevices {
  std::map<std::string, std::shared_ptr<ScsiDevice>> named;
  std::shared_ptr<ScsiDevice> last;

  bool Find(const std::string& name, std::shared_ptr<ScsiDevice>& device,
            std::string& error) const {
    auto found = named.find(name);
    if (found == named.end()) {
      error = "no device named " + name;
      return false;
    }
    device = found->second;
    return true;
  }
};

bool ParseOsLine(const std::vector<Token>& tokens, Scenario& scenario, std::string& error) {
  // In the order of WindowsVersion.
  const char* const names[] = {"win95",  "win98",  "win98se", "winme",
                               "nt4sp5", "nt4sp6", "win2000", "winxp"};
  for (int i = 0; i < 8 && tokens.size() == 2; ++i) {
    if (tokens[1].key == names[i]) {
      scenario.windows = static_cast<WindowsVersion>(i);
      return true;
    }
  }
  error = "os wants one of win95 win98 win98se winme nt4sp5 nt4sp6 win2000 winxp";
  return false;
}

bool ParseFaultLine(const std::vector<Token>& tokens, ReadDevices& devices, std::string& error) {
  Fault fault;
  std::string deviceName;
  if (!ReadFaultWords(tokens, 1, fault, &deviceName, error)) return false;
  std::shared_ptr<ScsiDevice> device = devices.last;
  if (!deviceName.empty() && !devices.Find(deviceName, device, error)) return false;
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
  if (!ReadDeviceLine(tokens, setup, error)) return false;
  if (!setup.sameAs.empty() && !devices.Find(setup.sameAs, setup.device, error)) return false;
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
      Tokenize(line, tokens, message) && ReadFaultWords(tokens, 0, fault, nullptr, message);
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
