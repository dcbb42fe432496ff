#include "sim/Scenario.h"

#include <cctype>
#include <iterator>
#include <map>
#include <sstream>

#include "sim/ScenarioWords.h"

namespace sim {

namespace {

bool IsBlank(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Splits on blanks; double quotes keep blanks; \0 \xNN \\ \" escapes.
bool Tokenize(const std::string& line, std::vector<Token>& tokens, std::string& error) {
  size_t i = 0;
  while (i < line.size()) {
    if (IsBlank(line[i])) {
      ++i;
      continue;
    }
    Token token;
    std::string* target = &token.key;
    bool quoted = false;
    for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
      const char c = line[i];
      const bool hexEscape = c == '\\' && i + 3 < line.size() && line[i + 1] == 'x' &&
                             HexDigit(line[i + 2]) >= 0 && HexDigit(line[i + 3]) >= 0;
      if (hexEscape) {
        target->push_back(static_cast<char>(HexDigit(line[i + 2]) * 16 + HexDigit(line[i + 3])));
        i += 3;
      } else if (c == '\\' && i + 1 < line.size()) {
        ++i;
        target->push_back(line[i] == '0' ? '\0' : line[i]);
      } else if (c == '"') {
        quoted = !quoted;
      } else if (c == '=' && !token.hasValue && !quoted) {
        token.hasValue = true;
        target = &token.value;
      } else {
        target->push_back(c);
      }
    }
    if (quoted) {
      error = "unterminated quote";
      return false;
    }
    for (char& c : token.key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    tokens.push_back(token);
  }
  return true;
}

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
  for (size_t i = 0; i < std::size(names) && tokens.size() == 2; ++i) {
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
