#include "sim/ScenarioBehaviours.h"

#include <cctype>

namespace sim {

namespace {

bool ParseUnsigned(const std::string& text, uint64_t limit, uint64_t& number) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const size_t first = hex ? 2 : 0;
  if (text.size() <= first) return false;
  number = 0;
  for (size_t i = first; i < text.size(); ++i) {
    const int c = std::tolower(static_cast<unsigned char>(text[i]));
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (digit < 0) return false;
    number = number * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    if (number > limit) return false;
  }
  return true;
}

template <typename T>
WordUse Take(const std::string& key, const std::string& value, uint64_t limit, T& out,
             std::string& error) {
  uint64_t number = 0;
  if (!ParseUnsigned(value, limit, number)) {
    error = "bad number in " + key + "=" + value;
    return WordUse::kBad;
  }
  out = static_cast<T>(number);
  return WordUse::kTaken;
}

}  // namespace

bool ChooseFaultAction(FaultAction action, Fault& fault, bool& haveAction, std::string& error) {
  if (haveAction && fault.action != action) {
    error = "more than one fault action";
    return false;
  }
  haveAction = true;
  fault.action = action;
  return true;
}

WordUse ParseBehaviourFaultWord(const std::string& key, const std::string& value, bool hasValue,
                                Fault& fault, bool& haveAction, std::string& error) {
  auto choose = [&](FaultAction action) {
    return ChooseFaultAction(action, fault, haveAction, error);
  };
  const bool transport = haveAction && fault.action == FaultAction::kTransportError;
  if (key == "offbus" && !hasValue) {
    if (!choose(FaultAction::kTransportError)) return WordUse::kBad;
    fault.aspiStatus = kAspiNoDevice;
    fault.hostAdapterStatus = kHaSelectionTimeout;
    fault.transportError = kErrorDeviceGone;
    return WordUse::kTaken;
  }
  if (key == "aborted" && !hasValue) {
    if (!choose(FaultAction::kTransportError)) return WordUse::kBad;
    fault.aspiStatus = kAspiAborted;
    return WordUse::kTaken;
  }
  if (key == "hastat" && hasValue) {
    if (!choose(FaultAction::kTransportError)) return WordUse::kBad;
    return Take(key, value, 0xFF, fault.hostAdapterStatus, error);
  }
  if (key == "aspistatus" && hasValue && transport) {
    return Take(key, value, 0xFF, fault.aspiStatus, error);
  }
  if (key == "flip" && hasValue) {
    if (!choose(FaultAction::kFlipBits)) return WordUse::kBad;
    return Take(key, value, 0xFF, fault.xorMask, error);
  }
  if (key == "byte" && hasValue) {
    if (!choose(FaultAction::kFlipBits)) return WordUse::kBad;
    return Take(key, value, 0xFFFFFFFFu, fault.byteIndex, error);
  }
  if (key == "short" && hasValue) {
    if (!choose(FaultAction::kShortTransfer)) return WordUse::kBad;
    return Take(key, value, 0xFFFFFFFFu, fault.shortLength, error);
  }
  if (key == "samesum" && !hasValue) {
    return choose(FaultAction::kSameSum) ? WordUse::kTaken : WordUse::kBad;
  }
  if (haveAction && fault.action == FaultAction::kSameSum) {
    if (key == "bank" && hasValue) return Take(key, value, kFlashBanks - 1, fault.bank, error);
    if (key == "offset" && hasValue) return Take(key, value, kBankSize - 1, fault.offset, error);
  }
  return WordUse::kNotMine;
}

WordUse ParseRestartOption(const std::string& key, const std::string& value, bool hasValue,
                           K818rConfig& config, std::string& error) {
  uint64_t ms = 0;
  if (key == "offbus" && hasValue) {
    const WordUse use = Take(key, value, 0xFFFFFFFFu, ms, error);
    config.offBusAfterCommitUs = ms * 1000;
    return use;
  }
  if (key == "offbuserror" && hasValue)
    return Take(key, value, 0xFFFFFFFFu, config.offBusError, error);
  if (key == "selectiontimeout" && hasValue) {
    const WordUse use = Take(key, value, 0xFFFFFFFFu, ms, error);
    config.offBusLatencyUs = ms * 1000;
    return use;
  }
  if (key == "attention" && !hasValue) {
    config.unitAttentionOnReturn = true;
    return WordUse::kTaken;
  }
  return WordUse::kNotMine;
}

}  // namespace sim
