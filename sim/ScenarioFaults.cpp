#include "sim/ScenarioFaults.h"

#include "sim/K818rDrive.h"
#include "sim/ScenarioBehaviours.h"

namespace sim {

namespace {

// A fault line as it is read.
struct FaultLine {
  Fault& fault;
  std::string* deviceName;
  std::string& error;
  bool haveAction = false;
  bool haveStatus = false;

  bool Choose(FaultAction action) { return ChooseFaultAction(action, fault, haveAction, error); }
};

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

template <CommandKind kKind>
bool Kind(const Token&, FaultLine& line) {
  line.fault.kind = kKind;
  return true;
}

template <FaultAction kAction>
bool Action(const Token&, FaultLine& line) {
  return line.Choose(kAction);
}

bool Device(const Token& token, FaultLine& line) {
  if (line.deviceName == nullptr) {
    line.error = "unknown fault word: " + token.key;
    return false;
  }
  *line.deviceName = token.value;
  return true;
}

bool Status(const Token& token, FaultLine& line) {
  if (!line.Choose(FaultAction::kStatus) || !Number(token, line.fault.status, line.error, 0xFF))
    return false;
  line.haveStatus = true;
  return true;
}

bool Sense(const Token& token, FaultLine& line) {
  if (!line.Choose(FaultAction::kStatus)) return false;
  if (!ParseSense(token.value, line.fault)) {
    line.error = "sense wants KK/AA/QQ in hex: " + token.value;
    return false;
  }
  return true;
}

bool Completes(const Token& token, FaultLine& line) {
  if (!line.Choose(FaultAction::kCompletion)) return false;
  if (!ParseCompletion(token.value, line.fault.completion)) {
    line.error = "completion is sync, pending or never";
    return false;
  }
  return true;
}

bool Latency(const Token& token, FaultLine& line) {
  uint64_t ms = 0;
  if (!line.Choose(FaultAction::kLatency) || !Number(token, ms, line.error, 0xFFFFFFFFu))
    return false;
  line.fault.latencyUs = ms * 1000;
  return true;
}

bool Fill(const Token&, FaultLine& line) {
  if (!line.Choose(FaultAction::kTransportError)) return false;
  line.fault.fillRecord = true;
  return true;
}

bool Every(const Token&, FaultLine& line) {
  line.fault.count = 0;
  return true;
}

// A number into a field of the fault.
template <typename T, T Fault::*kField, uint64_t kLimit>
bool Field(const Token& token, FaultLine& line) {
  return Number(token, line.fault.*kField, line.error, kLimit);
}

// ... that also gives the fault its action.
template <FaultAction kAction, typename T, T Fault::*kField, uint64_t kLimit>
bool ActionField(const Token& token, FaultLine& line) {
  return line.Choose(kAction) && Number(token, line.fault.*kField, line.error, kLimit);
}

struct FaultWord {
  const char* word;
  bool hasValue;  // word=value, or the word alone
  bool (*read)(const Token& token, FaultLine& line);
};

// The words of the misbehaving drives come first (ScenarioBehaviours), then these.
const FaultWord kFaultWords[] = {
    {"any", false, Kind<CommandKind::kAny>},
    {"tur", false, Kind<CommandKind::kTestUnitReady>},
    {"inquiry", false, Kind<CommandKind::kInquiry>},
    {"write", false, Kind<CommandKind::kWriteBlock>},
    {"closing", false, Kind<CommandKind::kClosing>},
    {"readpage", false, Kind<CommandKind::kReadFlashPage>},
    {"other", false, Kind<CommandKind::kOther>},
    {"device", true, Device},
    {"nth", true, Field<int, &Fault::nth, 1u << 30>},
    {"count", true, Field<int, &Fault::count, 1u << 30>},
    {"every", false, Every},
    {"at", true, Field<int, &Fault::position, 1u << 30>},
    {"status", true, Status},
    {"sense", true, Sense},
    {"aspistatus", true, ActionField<FaultAction::kStatus, uint8_t, &Fault::aspiStatus, 0xFF>},
    {"transport", false, Action<FaultAction::kTransportError>},
    {"error", true,
     ActionField<FaultAction::kTransportError, uint32_t, &Fault::transportError, 0xFFFFFFFFu>},
    {"fill", false, Fill},
    {"drop", false, Action<FaultAction::kDropWrite>},
    {"completion", true, Completes},
    {"latency", true, Latency},
    {"neverready", false, Action<FaultAction::kNeverReady>},
    {"nodisc", false, Action<FaultAction::kNoDisc>},
    {"corrupt", false, Action<FaultAction::kCorruptBank>},
    {"bank", true, ActionField<FaultAction::kCorruptBank, int, &Fault::bank, kFlashBanks - 1>},
    {"offset", true,
     ActionField<FaultAction::kCorruptBank, uint32_t, &Fault::offset, kBankSize - 1>},
    {"xor", true, ActionField<FaultAction::kCorruptBank, uint8_t, &Fault::xorMask, 0xFF>},
};

const FaultWord* FindFaultWord(const Token& token) {
  for (const FaultWord& word : kFaultWords) {
    if (token.key == word.word && token.hasValue == word.hasValue) return &word;
  }
  return nullptr;
}

}  // namespace

bool ParseFaultTokens(const std::vector<Token>& tokens, size_t first, Fault& fault,
                      std::string* deviceName, std::string& error) {
  fault = Fault{};
  FaultLine line{fault, deviceName, error};
  for (size_t i = first; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    const WordUse use = ParseBehaviourFaultWord(token.key, token.value, token.hasValue, fault,
                                                line.haveAction, error);
    if (use == WordUse::kBad) return false;
    if (use == WordUse::kTaken) continue;
    const FaultWord* word = FindFaultWord(token);
    if (word == nullptr) {
      error = "unknown fault word: " + token.key;
      return false;
    }
    if (!word->read(token, line)) return false;
  }
  if (!line.haveAction) {
    error = "fault without an action";
    return false;
  }
  if (fault.action == FaultAction::kStatus && !line.haveStatus)
    fault.status = kStatusCheckCondition;
  if (fault.nth < 1) fault.nth = 1;
  return true;
}

}  // namespace sim
