#include "sim/Scenario.h"

#include <cctype>
#include <cstdlib>
#include <map>
#include <sstream>

#include "sim/GenericDevices.h"
#include "sim/K818rDrive.h"
#include "sim/ScenarioBehaviours.h"

namespace sim {

namespace {

struct Token {
  std::string key;    // the word, or the part before '='
  std::string value;  // after '=', unescaped
  bool hasValue = false;
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const int lower = std::tolower(static_cast<unsigned char>(c));
  return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// Splits on blanks; double quotes keep blanks; \0 \xNN \\ \" escapes.
bool Tokenize(const std::string& line, std::vector<Token>& tokens, std::string& error) {
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i >= line.size()) break;
    Token token;
    std::string* target = &token.key;
    bool quoted = false;
    while (i < line.size() && (quoted || !std::isspace(static_cast<unsigned char>(line[i])))) {
      const char c = line[i];
      if (c == '"') {
        quoted = !quoted;
        ++i;
      } else if (c == '=' && !token.hasValue && !quoted) {
        token.hasValue = true;
        target = &token.value;
        ++i;
      } else if (c == '\\' && i + 1 < line.size()) {
        const char next = line[i + 1];
        if (next == '0') {
          target->push_back('\0');
          i += 2;
        } else if (next == 'x' && i + 3 < line.size() && HexDigit(line[i + 2]) >= 0 &&
                   HexDigit(line[i + 3]) >= 0) {
          target->push_back(static_cast<char>(HexDigit(line[i + 2]) * 16 + HexDigit(line[i + 3])));
          i += 4;
        } else {
          target->push_back(next);
          i += 2;
        }
      } else {
        target->push_back(c);
        ++i;
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

bool ParseNumber(const std::string& text, uint64_t& number) {
  if (text.empty()) return false;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty()) return false;
  number = 0;
  for (char c : digits) {
    const int digit =
        hex ? HexDigit(c) : (std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : -1);
    if (digit < 0) return false;
    number = number * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    if (number > 0xFFFFFFFFull * 1000) return false;
  }
  return true;
}

template <typename T>
bool Number(const Token& token, T& out, std::string& error, uint64_t limit) {
  uint64_t number = 0;
  if (!ParseNumber(token.value, number) || number > limit) {
    error = "bad number in " + token.key + "=" + token.value;
    return false;
  }
  out = static_cast<T>(number);
  return true;
}

bool ParseSense(const std::string& text, Fault& fault) {
  // KK/AA/QQ, hexadecimal
  int parts[3] = {};
  size_t at = 0;
  for (int p = 0; p < 3; ++p) {
    size_t end = text.find('/', at);
    if (end == std::string::npos) end = text.size();
    const std::string part = text.substr(at, end - at);
    if (part.empty() || part.size() > 2) return false;
    int value = 0;
    for (char c : part) {
      if (HexDigit(c) < 0) return false;
      value = value * 16 + HexDigit(c);
    }
    parts[p] = value;
    at = end + 1;
    if (p < 2 && end >= text.size()) return false;
    if (p == 2 && end != text.size()) return false;
  }
  fault.senseKey = static_cast<uint8_t>(parts[0]);
  fault.asc = static_cast<uint8_t>(parts[1]);
  fault.ascq = static_cast<uint8_t>(parts[2]);
  return true;
}

bool ParseCompletion(const std::string& text, Completion& completion) {
  if (text == "sync") {
    completion = Completion::kSynchronous;
  } else if (text == "pending") {
    completion = Completion::kPending;
  } else if (text == "never") {
    completion = Completion::kNever;
  } else {
    return false;
  }
  return true;
}

bool ParseKind(const std::string& word, CommandKind& kind) {
  static const std::map<std::string, CommandKind> kinds = {
      {"any", CommandKind::kAny},         {"tur", CommandKind::kTestUnitReady},
      {"inquiry", CommandKind::kInquiry}, {"write", CommandKind::kWriteBlock},
      {"closing", CommandKind::kClosing}, {"readpage", CommandKind::kReadFlashPage},
      {"other", CommandKind::kOther},
  };
  auto found = kinds.find(word);
  if (found == kinds.end()) return false;
  kind = found->second;
  return true;
}

bool ParseFaultTokens(const std::vector<Token>& tokens, size_t first, Fault& fault,
                      std::string* deviceName, std::string& error) {
  fault = Fault{};
  bool haveAction = false;
  bool haveStatus = false;
  auto setAction = [&](FaultAction action) {
    return ChooseFaultAction(action, fault, haveAction, error);
  };
  for (size_t i = first; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    const std::string& key = token.key;
    CommandKind kind;
    const WordUse use =
        ParseBehaviourFaultWord(key, token.value, token.hasValue, fault, haveAction, error);
    if (use == WordUse::kBad) return false;
    if (use == WordUse::kTaken) {
      // a word of a misbehaving drive
    } else if (!token.hasValue && ParseKind(key, kind)) {
      fault.kind = kind;
    } else if (key == "device" && token.hasValue && deviceName != nullptr) {
      *deviceName = token.value;
    } else if (key == "nth" && token.hasValue) {
      if (!Number(token, fault.nth, error, 1u << 30)) return false;
    } else if (key == "count" && token.hasValue) {
      if (!Number(token, fault.count, error, 1u << 30)) return false;
    } else if (key == "every" && !token.hasValue) {
      fault.count = 0;
    } else if (key == "at" && token.hasValue) {
      if (!Number(token, fault.position, error, 1u << 30)) return false;
    } else if (key == "status" && token.hasValue) {
      if (!setAction(FaultAction::kStatus) || !Number(token, fault.status, error, 0xFF))
        return false;
      haveStatus = true;
    } else if (key == "sense" && token.hasValue) {
      if (!setAction(FaultAction::kStatus)) return false;
      if (!ParseSense(token.value, fault)) {
        error = "sense wants KK/AA/QQ in hex: " + token.value;
        return false;
      }
    } else if (key == "aspistatus" && token.hasValue) {
      if (!setAction(FaultAction::kStatus) || !Number(token, fault.aspiStatus, error, 0xFF)) {
        return false;
      }
    } else if (key == "transport" && !token.hasValue) {
      if (!setAction(FaultAction::kTransportError)) return false;
    } else if (key == "error" && token.hasValue) {
      if (!setAction(FaultAction::kTransportError) ||
          !Number(token, fault.transportError, error, 0xFFFFFFFFu)) {
        return false;
      }
    } else if (key == "fill" && !token.hasValue) {
      if (!setAction(FaultAction::kTransportError)) return false;
      fault.fillRecord = true;
    } else if (key == "drop" && !token.hasValue) {
      if (!setAction(FaultAction::kDropWrite)) return false;
    } else if (key == "completion" && token.hasValue) {
      if (!setAction(FaultAction::kCompletion)) return false;
      if (!ParseCompletion(token.value, fault.completion)) {
        error = "completion is sync, pending or never";
        return false;
      }
    } else if (key == "latency" && token.hasValue) {
      uint64_t ms = 0;
      if (!setAction(FaultAction::kLatency) || !Number(token, ms, error, 0xFFFFFFFFu)) return false;
      fault.latencyUs = ms * 1000;
    } else if (key == "neverready" && !token.hasValue) {
      if (!setAction(FaultAction::kNeverReady)) return false;
    } else if (key == "nodisc" && !token.hasValue) {
      if (!setAction(FaultAction::kNoDisc)) return false;
    } else if (key == "corrupt" && !token.hasValue) {
      if (!setAction(FaultAction::kCorruptBank)) return false;
    } else if (key == "bank" && token.hasValue) {
      if (!setAction(FaultAction::kCorruptBank) ||
          !Number(token, fault.bank, error, kFlashBanks - 1)) {
        return false;
      }
    } else if (key == "offset" && token.hasValue) {
      if (!setAction(FaultAction::kCorruptBank) ||
          !Number(token, fault.offset, error, kBankSize - 1)) {
        return false;
      }
    } else if (key == "xor" && token.hasValue) {
      if (!setAction(FaultAction::kCorruptBank) || !Number(token, fault.xorMask, error, 0xFF)) {
        return false;
      }
    } else {
      error = "unknown fault word: " + key;
      return false;
    }
  }
  if (!haveAction) {
    error = "fault without an action";
    return false;
  }
  if (fault.action == FaultAction::kStatus && !haveStatus) fault.status = kStatusCheckCondition;
  if (fault.nth < 1) fault.nth = 1;
  return true;
}

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

bool ParseDriveType(const std::string& word, unsigned& type) {
  static const std::map<std::string, unsigned> types = {
      {"unknown", platform::kDriveUnknown},     {"none", platform::kDriveNoRootDir},
      {"removable", platform::kDriveRemovable}, {"fixed", platform::kDriveFixed},
      {"remote", platform::kDriveRemote},       {"cdromtype", platform::kDriveCdrom},
  };
  auto found = types.find(word);
  if (found == types.end()) return false;
  type = found->second;
  return true;
}

// Builds the device of a device line from its model word and options.
bool BuildDevice(const std::vector<Token>& tokens, size_t first, DeviceSetup& setup,
                 std::string& error) {
  K818rConfig k818r;
  InquiryIdentity identity;
  bool haveVendor = false, haveProduct = false, haveRevision = false, haveLength = false;
  bool noDisc = false;
  uint64_t latencyMs = 0;
  bool haveLatency = false;
  for (size_t i = first; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    const std::string& key = token.key;
    unsigned type = 0;
    const WordUse use = ParseRestartOption(key, token.value, token.hasValue, k818r, error);
    if (use == WordUse::kBad) return false;
    if (use == WordUse::kTaken) {
      // the drive's restart after its closing command
    } else if (!token.hasValue && (key == "k818r" || key == "cdrom" || key == "disk")) {
      setup.model = key;
    } else if (!token.hasValue && ParseDriveType(key, type)) {
      setup.driveType = type;
    } else if (key == "nodisc" && !token.hasValue) {
      noDisc = true;
    } else if (key == "name" && token.hasValue) {
      setup.name = token.value;
    } else if (key == "device" && token.hasValue) {
      setup.sameAs = token.value;
    } else if (key == "vendor" && token.hasValue) {
      k818r.vendor = identity.vendor = token.value;
      haveVendor = true;
    } else if (key == "product" && token.hasValue) {
      k818r.product = identity.product = token.value;
      haveProduct = true;
    } else if (key == "revision" && token.hasValue) {
      k818r.revision = identity.revision = token.value;
      haveRevision = true;
    } else if (key == "typecode" && token.hasValue) {
      k818r.typeCode = token.value;
    } else if (key == "inquirylength" && token.hasValue) {
      if (!Number(token, k818r.inquiryLength, error, 255)) return false;
      identity.length = k818r.inquiryLength;
      haveLength = true;
    } else if (key == "notready" && token.hasValue) {
      uint64_t ms = 0;
      if (!Number(token, ms, error, 0xFFFFFFFFu)) return false;
      k818r.notReadyAfterCommitUs = ms * 1000;
    } else if (key == "fill" && token.hasValue) {
      if (!Number(token, k818r.oldFirmwareFill, error, 0xFF)) return false;
    } else if (key == "latency" && token.hasValue) {
      if (!Number(token, latencyMs, error, 0xFFFFFFFFu)) return false;
      haveLatency = true;
    } else if (key == "completion" && token.hasValue) {
      if (!ParseCompletion(token.value, setup.completion)) {
        error = "completion is sync, pending or never";
        return false;
      }
    } else if (key == "target" && token.hasValue && setup.bus == DeviceSetup::Bus::kLetter) {
      if (!Number(token, setup.target, error, 255)) return false;
    } else if (key == "lun" && token.hasValue && setup.bus == DeviceSetup::Bus::kLetter) {
      if (!Number(token, setup.lun, error, 255)) return false;
    } else {
      error = "unknown device word: " + key;
      return false;
    }
  }
  if (setup.model == "k818r") {
    k818r.discPresent = !noDisc;
    auto drive = std::make_shared<K818rDrive>(k818r);
    if (!setup.name.empty()) drive->SetName(setup.name);
    setup.device = drive;
  } else if (setup.model == "cdrom") {
    auto cdrom = std::make_shared<ForeignCdrom>();
    if (haveVendor) cdrom->Identity().vendor = identity.vendor;
    if (haveProduct) cdrom->Identity().product = identity.product;
    if (haveRevision) cdrom->Identity().revision = identity.revision;
    if (haveLength) cdrom->Identity().length = identity.length;
    cdrom->SetDiscPresent(!noDisc);
    if (!setup.name.empty()) cdrom->SetName(setup.name);
    setup.device = cdrom;
  } else if (setup.model == "disk") {
    auto disk = std::make_shared<DiskDevice>();
    if (haveVendor) disk->Identity().vendor = identity.vendor;
    if (haveProduct) disk->Identity().product = identity.product;
    if (!setup.name.empty()) disk->SetName(setup.name);
    setup.device = disk;
  }
  if (setup.device && haveLatency) setup.device->SetLatencyUs(latencyMs * 1000);
  return true;
}

bool ParseLine(const std::vector<Token>& tokens, Scenario& scenario,
               std::map<std::string, std::shared_ptr<ScsiDevice>>& named,
               std::shared_ptr<ScsiDevice>& last, std::string& error) {
  const std::string& word = tokens[0].key;
  if (word == "os") {
    WindowsVersion version;
    if (tokens.size() != 2 || !ParseWindows(tokens[1].key, version)) {
      error = "os wants one of win95 win98 win98se winme nt4sp5 nt4sp6 win2000 winxp";
      return false;
    }
    scenario.windows = version;
    return true;
  }
  if (word == "fault") {
    Fault fault;
    std::string deviceName;
    if (!ParseFaultTokens(tokens, 1, fault, &deviceName, error)) return false;
    std::shared_ptr<ScsiDevice> device = last;
    if (!deviceName.empty()) {
      auto found = named.find(deviceName);
      if (found == named.end()) {
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

  DeviceSetup setup;
  size_t options = 1;
  if (word == "aspi") {
    setup.bus = DeviceSetup::Bus::kAspi;
    bool ha = false, target = false, lun = false;
    for (; options < tokens.size(); ++options) {
      const Token& token = tokens[options];
      if (token.key == "ha" && token.hasValue) {
        if (!Number(token, setup.ha, error, 255)) return false;
        ha = true;
      } else if (token.key == "target" && token.hasValue) {
        if (!Number(token, setup.target, error, kAspiTargets - 1)) return false;
        target = true;
      } else if (token.key == "lun" && token.hasValue) {
        if (!Number(token, setup.lun, error, kAspiLuns - 1)) return false;
        lun = true;
      } else {
        break;
      }
    }
    if (!ha || !target || !lun) {
      error = "aspi wants ha= target= lun=";
      return false;
    }
  } else if (word == "letter") {
    setup.bus = DeviceSetup::Bus::kLetter;
    const std::string& letter = tokens.size() > 1 ? tokens[1].key : std::string();
    if (letter.size() != 2 || letter[1] != ':' || letter[0] < 'a' || letter[0] > 'z') {
      error = "letter wants a drive such as E:";
      return false;
    }
    setup.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter[0])));
    options = 2;
  } else {
    error = "unknown line: " + word;
    return false;
  }
  if (!BuildDevice(tokens, options, setup, error)) return false;
  if (!setup.sameAs.empty()) {
    auto found = named.find(setup.sameAs);
    if (found == named.end()) {
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
    last = setup.device;
    if (!setup.name.empty() && setup.sameAs.empty()) named[setup.name] = setup.device;
  }
  scenario.devices.push_back(setup);
  return true;
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
  std::map<std::string, std::shared_ptr<ScsiDevice>> named;
  std::shared_ptr<ScsiDevice> last;
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
    ok = ok && ParseLine(tokens, scenario, named, last, message);
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
