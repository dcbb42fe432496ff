#include "sim/ScenarioBehaviours.h"

#include "sim/ScenarioTokens.h"

namespace sim {

namespace {

template <typename T>
WordUse Take(const std::string& key, const std::string& value, uint64_t limit, T& out,
             std::string& error) {
  uint64_t number = 0;
  if (!ReadNumber(key, value, limit, number, error)) return WordUse::kBad;
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
