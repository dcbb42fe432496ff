#include "sim/ScenarioDevices.h"

#include <cctype>
#include <map>

#include "sim/GenericDevices.h"
#include "sim/K818rDrive.h"
#include "sim/ScenarioBehaviours.h"

namespace sim {

namespace {

// What the words of a device line ask for, before the device is built.
struct DeviceOptions {
  K818rConfig k818r;
  InquiryIdentity identity;
  bool haveVendor = false;
  bool haveProduct = false;
  bool haveRevision = false;
  bool haveLength = false;
  bool noDisc = false;
  bool haveLatency = false;
  uint64_t latencyMs = 0;
};

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

// "ha=0 target=1 lun=0" after "aspi"; `next` ends on the first other word.
bool ParseAspiAddress(const std::vector<Token>& tokens, DeviceSetup& setup, size_t& next,
                      std::string& error) {
  bool ha = false, target = false, lun = false;
  for (next = 1; next < tokens.size(); ++next) {
    const Token& token = tokens[next];
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
  return true;
}

// "E:" after "letter".
bool ParseLetter(const std::vector<Token>& tokens, DeviceSetup& setup, std::string& error) {
  const std::string& letter = tokens.size() > 1 ? tokens[1].key : std::string();
  if (letter.size() != 2 || letter[1] != ':' || letter[0] < 'a' || letter[0] > 'z') {
    error = "letter wants a drive such as E:";
    return false;
  }
  setup.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter[0])));
  return true;
}

// A word without a value: the model, a drive type, nodisc.
bool ReadDeviceFlag(const std::string& key, DeviceSetup& setup, DeviceOptions& options,
                    std::string& error) {
  unsigned type = 0;
  if (key == "k818r" || key == "cdrom" || key == "disk") {
    setup.model = key;
  } else if (ParseDriveType(key, type)) {
    setup.driveType = type;
  } else if (key == "nodisc") {
    options.noDisc = true;
  } else {
    error = "unknown device word: " + key;
    return false;
  }
  return true;
}

// A word=value of a device line.
bool ReadDeviceValue(const Token& token, DeviceSetup& setup, DeviceOptions& options,
                     std::string& error) {
  const std::string& key = token.key;
  K818rConfig& k818r = options.k818r;
  const bool letter = setup.bus == DeviceSetup::Bus::kLetter;
  if (key == "name") {
    setup.name = token.value;
  } else if (key == "device") {
    setup.sameAs = token.value;
  } else if (key == "vendor") {
    k818r.vendor = options.identity.vendor = token.value;
    options.haveVendor = true;
  } else if (key == "product") {
    k818r.product = options.identity.product = token.value;
    options.haveProduct = true;
  } else if (key == "revision") {
    k818r.revision = options.identity.revision = token.value;
    options.haveRevision = true;
  } else if (key == "typecode") {
    k818r.typeCode = token.value;
  } else if (key == "inquirylength") {
    if (!Number(token, k818r.inquiryLength, error, 255)) return false;
    options.identity.length = k818r.inquiryLength;
    options.haveLength = true;
  } else if (key == "notready") {
    uint64_t ms = 0;
    if (!Number(token, ms, error, 0xFFFFFFFFu)) return false;
    k818r.notReadyAfterCommitUs = ms * 1000;
  } else if (key == "fill") {
    return Number(token, k818r.oldFirmwareFill, error, 0xFF);
  } else if (key == "latency") {
    if (!Number(token, options.latencyMs, error, 0xFFFFFFFFu)) return false;
    options.haveLatency = true;
  } else if (key == "completion") {
    if (ParseCompletion(token.value, setup.completion)) return true;
    error = "completion is sync, pending or never";
    return false;
  } else if (key == "target" && letter) {
    return Number(token, setup.target, error, 255);
  } else if (key == "lun" && letter) {
    return Number(token, setup.lun, error, 255);
  } else {
    error = "unknown device word: " + key;
    return false;
  }
  return true;
}

// The device of the line's model, or none.
std::shared_ptr<ScsiDevice> MakeDevice(const DeviceSetup& setup, DeviceOptions& options) {
  std::shared_ptr<ScsiDevice> device;
  if (setup.model == "k818r") {
    options.k818r.discPresent = !options.noDisc;
    auto drive = std::make_shared<K818rDrive>(options.k818r);
    if (!setup.name.empty()) drive->SetName(setup.name);
    device = drive;
  } else if (setup.model == "cdrom") {
    auto cdrom = std::make_shared<ForeignCdrom>();
    const InquiryIdentity& identity = options.identity;
    if (options.haveVendor) cdrom->Identity().vendor = identity.vendor;
    if (options.haveProduct) cdrom->Identity().product = identity.product;
    if (options.haveRevision) cdrom->Identity().revision = identity.revision;
    if (options.haveLength) cdrom->Identity().length = identity.length;
    cdrom->SetDiscPresent(!options.noDisc);
    if (!setup.name.empty()) cdrom->SetName(setup.name);
    device = cdrom;
  } else if (setup.model == "disk") {
    auto disk = std::make_shared<DiskDevice>();
    if (options.haveVendor) disk->Identity().vendor = options.identity.vendor;
    if (options.haveProduct) disk->Identity().product = options.identity.product;
    if (!setup.name.empty()) disk->SetName(setup.name);
    device = disk;
  }
  if (device && options.haveLatency) device->SetLatencyUs(options.latencyMs * 1000);
  return device;
}

}  // namespace

bool ParseDeviceLine(const std::vector<Token>& tokens, DeviceSetup& setup, std::string& error) {
  size_t next = 2;
  if (tokens[0].key == "aspi") {
    setup.bus = DeviceSetup::Bus::kAspi;
    if (!ParseAspiAddress(tokens, setup, next, error)) return false;
  } else {
    setup.bus = DeviceSetup::Bus::kLetter;
    if (!ParseLetter(tokens, setup, error)) return false;
  }
  DeviceOptions options;
  for (; next < tokens.size(); ++next) {
    const Token& token = tokens[next];
    const WordUse use =
        ParseRestartOption(token.key, token.value, token.hasValue, options.k818r, error);
    if (use == WordUse::kBad) return false;
    if (use == WordUse::kTaken) continue;  // the drive's restart after its closing command
    const bool read = token.hasValue ? ReadDeviceValue(token, setup, options, error)
                                     : ReadDeviceFlag(token.key, setup, options, error);
    if (!read) return false;
  }
  setup.device = MakeDevice(setup, options);
  return true;
}

}  // namespace sim
