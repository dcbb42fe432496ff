#include "sim/ScenarioWords.h"

#include <cctype>
#include <optional>
#include <type_traits>

#include "sim/GenericDevices.h"
#include "sim/K818rDrive.h"

namespace sim {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const int lower = std::tolower(static_cast<unsigned char>(c));
  return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

namespace {

constexpr uint64_t kU32 = 0xFFFFFFFFu;
constexpr uint64_t kMs = 1000;  // a word in milliseconds, a field in microseconds

// Decimal or 0x hex, no more than `limit`; the error names KEY=VALUE.
bool ReadNumber(const Token& token, uint64_t limit, uint64_t& number, std::string& error) {
  const std::string& text = token.value;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  bool ok = !text.empty();
  number = 0;
  for (size_t i = hex ? 2 : 0; ok && i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const int digit = hex ? HexDigit(text[i]) : (std::isdigit(c) ? c - '0' : -1);
    ok = digit >= 0;
    number = number * (hex ? 16 : 10) + static_cast<uint64_t>(ok ? digit : 0);
    ok = ok && number <= kU32 * kMs;
  }
  if (ok && number <= limit) return true;
  error = "bad number in " + token.key + "=" + token.value;
  return false;
}

// A fault line as it is read: the fault, and whether a word chose its action.
struct FaultLine : Fault {
  std::string* deviceName = nullptr;  // null: device= is no word here
  bool haveAction = false;

  // A word's action, unless the fault has the one the word `joins`; a
  // second, different action is an error.
  bool Choose(FaultAction wanted, std::optional<FaultAction> joins, std::string& error) {
    if (haveAction && joins == action) return true;
    if (haveAction && action != wanted) {
      error = "more than one fault action";
      return false;
    }
    haveAction = true;
    action = wanted;
    return true;
  }
};

// A device line as it is read: its setup, the config a k818r is built
// from, and the identities of the other models; the model word may come
// after the words that fill them.
struct DeviceLine : DeviceSetup, K818rConfig {
  InquiryIdentity cdrom = ForeignCdrom().Identity();
  InquiryIdentity disk = DiskDevice().Identity();
  uint64_t latencyUs = ScsiDevice::kDefaultLatencyUs;
};

enum class Takes { kNothing, kNumber, kText };

// A word of a line: whether it takes a value, and which; what it writes
// (null: nothing); on a fault line, the action it gives the fault.
template <typename Line>
struct Word {
  const char* word;
  Takes takes;
  uint64_t limit;  // the largest number
  bool (*write)(Line& line, const Token& token, uint64_t number, std::string& error);
  std::optional<FaultAction> action = std::nullopt;
  std::optional<FaultAction> joins = std::nullopt;  // an action it joins instead
};

// The number, times kScale, into a field.
template <auto kField, uint64_t kScale = 1, typename Line>
bool Put(Line& line, const Token&, uint64_t number, std::string&) {
  auto& field = line.*kField;
  field = static_cast<std::remove_reference_t<decltype(field)>>(number * kScale);
  return true;
}

// A word alone: a fixed value into a field.
template <auto kField, auto kValue, typename Line>
bool Let(Line& line, const Token&, uint64_t, std::string&) {
  line.*kField = kValue;
  return true;
}

template <auto kField, typename Line>
bool Text(Line& line, const Token& token, uint64_t, std::string&) {
  line.*kField = token.value;
  return true;
}

template <auto kField, typename Line>
bool Completes(Line& line, const Token& token, uint64_t, std::string& error) {
  const char* const names[] = {"sync", "pending", "never"};
  const Completion completions[] = {Completion::kSynchronous, Completion::kPending,
                                    Completion::kNever};
  for (int i = 0; i < 3; ++i) {
    if (token.value == names[i]) {
      line.*kField = completions[i];
      return true;
    }
  }
  error = "completion is sync, pending or never";
  return false;
}

bool DeviceName(FaultLine& line, const Token& token, uint64_t, std::string& error) {
  if (line.deviceName == nullptr) {
    error = "unknown fault word: device";
    return false;
  }
  *line.deviceName = token.value;
  return true;
}

// KK/AA/QQ in hex, one or two digits each.
bool ReadSense(const std::string& text, Fault& fault) {
  int parts[3] = {};
  int part = 0, digits = 0;
  for (char c : text) {
    if (c == '/' && digits > 0 && part < 2) {
      ++part;
      digits = 0;
    } else if (HexDigit(c) < 0 || ++digits > 2) {
      return false;
    } else {
      parts[part] = parts[part] * 16 + HexDigit(c);
    }
  }
  if (part < 2 || digits == 0) return false;
  fault.senseKey = static_cast<uint8_t>(parts[0]);
  fault.asc = static_cast<uint8_t>(parts[1]);
  fault.ascq = static_cast<uint8_t>(parts[2]);
  return true;
}

bool Sense(FaultLine& line, const Token& token, uint64_t, std::string& error) {
  if (ReadSense(token.value, line)) return true;
  error = "sense wants KK/AA/QQ in hex: " + token.value;
  return false;
}

// Gone from the bus: ASPI SS_NO_DEVICE after a selection time-out; the
// pass-through call fails with 55 unless error= follows.
bool OffBus(FaultLine& line, const Token&, uint64_t, std::string&) {
  line.aspiStatus = aspi::SS_NO_DEVICE;
  line.hostAdapterStatus = kHaSelectionTimeout;
  line.transportError = kErrorDeviceGone;
  return true;
}

using A = FaultAction;
constexpr Takes kAlone = Takes::kNothing;
constexpr Takes kNumber = Takes::kNumber;
constexpr Takes kText = Takes::kText;

// A fault line's words: which commands it hits, and what it does to them.
constexpr Word<FaultLine> kFaultWords[] = {
    {"any", kAlone, 0, Let<&Fault::kind, CommandKind::kAny>},
    {"tur", kAlone, 0, Let<&Fault::kind, CommandKind::kTestUnitReady>},
    {"inquiry", kAlone, 0, Let<&Fault::kind, CommandKind::kInquiry>},
    {"write", kAlone, 0, Let<&Fault::kind, CommandKind::kWriteBlock>},
    {"closing", kAlone, 0, Let<&Fault::kind, CommandKind::kClosing>},
    {"readpage", kAlone, 0, Let<&Fault::kind, CommandKind::kReadFlashPage>},
    {"other", kAlone, 0, Let<&Fault::kind, CommandKind::kOther>},
    {"device", kText, 0, DeviceName},
    {"nth", kNumber, 1u << 30, Put<&Fault::nth>},
    {"count", kNumber, 1u << 30, Put<&Fault::count>},
    {"every", kAlone, 0, Let<&Fault::count, 0>},
    {"at", kNumber, 1u << 30, Put<&Fault::position>},
    {"status", kNumber, 0xFF, Put<&Fault::status>, A::kStatus},
    {"sense", kText, 0, Sense, A::kStatus},
    {"aspistatus", kNumber, 0xFF, Put<&Fault::aspiStatus>, A::kStatus, A::kTransportError},
    {"transport", kAlone, 0, nullptr, A::kTransportError},
    {"error", kNumber, kU32, Put<&Fault::transportError>, A::kTransportError},
    {"fill", kAlone, 0, Let<&Fault::fillRecord, true>, A::kTransportError},
    {"drop", kAlone, 0, nullptr, A::kDropWrite},
    {"completion", kText, 0, Completes<&Fault::completion>, A::kCompletion},
    {"latency", kNumber, kU32, Put<&Fault::latencyUs, kMs>, A::kLatency},
    {"neverready", kAlone, 0, nullptr, A::kNeverReady},
    {"nodisc", kAlone, 0, nullptr, A::kNoDisc},
    {"corrupt", kAlone, 0, nullptr, A::kCorruptBank},
    {"bank", kNumber, kFlashBanks - 1, Put<&Fault::bank>, A::kCorruptBank, A::kSameSum},
    {"offset", kNumber, kBankSize - 1, Put<&Fault::offset>, A::kCorruptBank, A::kSameSum},
    {"xor", kNumber, 0xFF, Put<&Fault::xorMask>, A::kCorruptBank},
    // A misbehaving drive: gone from the bus, a host-adapter error, bytes altered or short.
    {"offbus", kAlone, 0, OffBus, A::kTransportError},
    {"aborted", kAlone, 0, Let<&Fault::aspiStatus, aspi::SS_ABORTED>, A::kTransportError},
    {"hastat", kNumber, 0xFF, Put<&Fault::hostAdapterStatus>, A::kTransportError},
    {"flip", kNumber, 0xFF, Put<&Fault::xorMask>, A::kFlipBits},
    {"byte", kNumber, kU32, Put<&Fault::byteIndex>, A::kFlipBits},
    {"short", kNumber, kU32, Put<&Fault::shortLength>, A::kShortTransfer},
    {"samesum", kAlone, 0, nullptr, A::kSameSum},
};

bool Model(DeviceLine& line, const Token& token, uint64_t, std::string&) {
  line.model = token.key;
  return true;
}

// vendor=, product=, revision=, inquirylength=: whichever model the line
// builds; a disk keeps its own revision and length.
template <std::string K818rConfig::*kDrive, std::string InquiryIdentity::*kOther>
bool Identity(DeviceLine& line, const Token& token, uint64_t, std::string&) {
  line.*kDrive = line.cdrom.*kOther = line.disk.*kOther = token.value;
  return true;
}

bool Revision(DeviceLine& line, const Token& token, uint64_t, std::string&) {
  line.revision = line.cdrom.revision = token.value;
  return true;
}

bool InquiryLength(DeviceLine& line, const Token&, uint64_t number, std::string&) {
  line.inquiryLength = line.cdrom.length = static_cast<uint32_t>(number);
  return true;
}

// A device line's words after its address: the model or drive type, and
// the options of its device.
constexpr Word<DeviceLine> kDeviceWords[] = {
    {"k818r", kAlone, 0, Model},
    {"cdrom", kAlone, 0, Model},
    {"disk", kAlone, 0, Model},
    {"unknown", kAlone, 0, Let<&DeviceSetup::driveType, platform::kDriveUnknown>},
    {"none", kAlone, 0, Let<&DeviceSetup::driveType, platform::kDriveNoRootDir>},
    {"removable", kAlone, 0, Let<&DeviceSetup::driveType, platform::kDriveRemovable>},
    {"fixed", kAlone, 0, Let<&DeviceSetup::driveType, platform::kDriveFixed>},
    {"remote", kAlone, 0, Let<&DeviceSetup::driveType, platform::kDriveRemote>},
    {"cdromtype", kAlone, 0, Let<&DeviceSetup::driveType, platform::kDriveCdrom>},
    {"nodisc", kAlone, 0, Let<&K818rConfig::discPresent, false>},
    {"name", kText, 0, Text<&DeviceSetup::name>},
    {"device", kText, 0, Text<&DeviceSetup::sameAs>},
    {"vendor", kText, 0, Identity<&K818rConfig::vendor, &InquiryIdentity::vendor>},
    {"product", kText, 0, Identity<&K818rConfig::product, &InquiryIdentity::product>},
    {"revision", kText, 0, Revision},
    {"typecode", kText, 0, Text<&K818rConfig::typeCode>},
    {"inquirylength", kNumber, 255, InquiryLength},
    {"notready", kNumber, kU32, Put<&K818rConfig::notReadyAfterCommitUs, kMs>},
    {"fill", kNumber, 0xFF, Put<&K818rConfig::oldFirmwareFill>},
    {"latency", kNumber, kU32, Put<&DeviceLine::latencyUs, kMs>},
    {"completion", kText, 0, Completes<&DeviceSetup::completion>},
    // The drive's restart after its closing command.
    {"offbus", kNumber, kU32, Put<&K818rConfig::offBusAfterCommitUs, kMs>},
    {"offbuserror", kNumber, kU32, Put<&K818rConfig::offBusError>},
    {"selectiontimeout", kNumber, kU32, Put<&K818rConfig::offBusLatencyUs, kMs>},
    {"attention", kAlone, 0, Let<&K818rConfig::unitAttentionOnReturn, true>},
};

// The address that opens an aspi line, in any order.
constexpr Word<DeviceLine> kAspiAddress[] = {
    {"ha", kNumber, 255, Put<&DeviceSetup::ha>},
    {"target", kNumber, kAspiTargets - 1, Put<&DeviceSetup::target>},
    {"lun", kNumber, kAspiLuns - 1, Put<&DeviceSetup::lun>},
};

// A letter line's pass-through address, among its other words.
constexpr Word<DeviceLine> kLetterAddress[] = {
    {"target", kNumber, 255, Put<&DeviceSetup::target>},
    {"lun", kNumber, 255, Put<&DeviceSetup::lun>},
};

template <typename Line, size_t kCount>
const Word<Line>* Find(const Word<Line> (&words)[kCount], const Token& token) {
  for (const Word<Line>& word : words) {
    if (token.key == word.word && token.hasValue == (word.takes != Takes::kNothing)) return &word;
  }
  return nullptr;
}

template <typename Line>
bool Apply(const Word<Line>& word, const Token& token, Line& line, std::string& error) {
  if constexpr (std::is_same_v<Line, FaultLine>) {
    if (word.action && !line.Choose(*word.action, word.joins, error)) return false;
  }
  uint64_t number = 0;
  if (word.takes == Takes::kNumber && !ReadNumber(token, word.limit, number, error)) return false;
  return word.write == nullptr || word.write(line, token, number, error);
}

// "ha=0 target=1 lun=0" after "aspi"; `next` ends on the first other word.
bool ReadAspiAddress(const std::vector<Token>& tokens, DeviceLine& line, size_t& next,
                     std::string& error) {
  unsigned seen = 0;
  for (next = 1; next < tokens.size(); ++next) {
    const Word<DeviceLine>* word = Find(kAspiAddress, tokens[next]);
    if (word == nullptr) break;
    if (!Apply(*word, tokens[next], line, error)) return false;
    seen |= 1u << (word - kAspiAddress);
  }
  if (seen != 7) error = "aspi wants ha= target= lun=";
  return seen == 7;
}

// "E:" after "letter".
bool ReadLetter(const std::vector<Token>& tokens, DeviceLine& line, std::string& error) {
  const std::string& letter = tokens.size() > 1 ? tokens[1].key : std::string();
  if (letter.size() != 2 || letter[1] != ':' || letter[0] < 'a' || letter[0] > 'z') {
    error = "letter wants a drive such as E:";
    return false;
  }
  line.bus = DeviceSetup::Bus::kLetter;
  line.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter[0])));
  return true;
}

// The device of the line's model, or none.
std::shared_ptr<ScsiDevice> MakeDevice(const DeviceLine& line) {
  std::shared_ptr<ScsiDevice> device;
  if (line.model == "k818r") {
    auto drive = std::make_shared<K818rDrive>(static_cast<const K818rConfig&>(line));
    if (!line.name.empty()) drive->SetName(line.name);
    device = drive;
  } else if (line.model == "cdrom") {
    auto cdrom = std::make_shared<ForeignCdrom>();
    cdrom->Identity() = line.cdrom;
    cdrom->SetDiscPresent(line.discPresent);
    cdrom->SetName(line.name);
    device = cdrom;
  } else if (line.model == "disk") {
    auto disk = std::make_shared<DiskDevice>();
    disk->Identity() = line.disk;
    disk->SetName(line.name);
    device = disk;
  }
  if (device) device->SetLatencyUs(line.latencyUs);
  return device;
}

}  // namespace

bool ReadFaultWords(const std::vector<Token>& tokens, size_t first, Fault& fault,
                    std::string* deviceName, std::string& error) {
  FaultLine line;
  line.deviceName = deviceName;
  bool ok = true;
  for (size_t i = first; ok && i < tokens.size(); ++i) {
    const Word<FaultLine>* word = Find(kFaultWords, tokens[i]);
    if (word == nullptr) error = "unknown fault word: " + tokens[i].key;
    ok = word != nullptr && Apply(*word, tokens[i], line, error);
  }
  if (ok && !line.haveAction) error = "fault without an action";
  ok = ok && line.haveAction;
  if (ok && line.nth < 1) line.nth = 1;
  fault = line;
  return ok;
}

bool ReadDeviceLine(const std::vector<Token>& tokens, DeviceSetup& setup, std::string& error) {
  DeviceLine line;
  size_t next = 2;
  const bool aspi = tokens[0].key == "aspi";
  if (aspi ? !ReadAspiAddress(tokens, line, next, error) : !ReadLetter(tokens, line, error))
    return false;
  for (; next < tokens.size(); ++next) {
    const Word<DeviceLine>* word = Find(kDeviceWords, tokens[next]);
    if (word == nullptr && !aspi) word = Find(kLetterAddress, tokens[next]);
    if (word == nullptr) error = "unknown device word: " + tokens[next].key;
    if (word == nullptr || !Apply(*word, tokens[next], line, error)) return false;
  }
  setup = line;
  setup.device = MakeDevice(line);
  return true;
}

}  // namespace sim
