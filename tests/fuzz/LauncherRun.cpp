#include "tests/fuzz/LauncherRun.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "launcher/Atapiobj.h"
#include "launcher/Autoinsertnotification.h"
#include "launcher/Main.h"
#include "launcher/MainForm.h"
#include "sim/CaseFold.h"
#include "sim/GenericDevices.h"
#include "sim/SimPc.h"
#include "tests/fuzz/FuzzBytes.h"
#include "tests/fuzz/FuzzRegistry.h"
#include "tests/fuzz/FuzzStory.h"

namespace fuzz {

namespace {

constexpr char kK818rTemplate[] = "QUAV    OD-K818R        ";  // vendor and product
constexpr char kValueName[] = "AutoInsertNotification";
constexpr uint64_t kSlowPumpUs = 500'000;

enum class InquiryFault { kNone, kCheckCondition, kTransportError, kPending, kNever };

struct DeviceSpec {
  int adapter = 0;
  int target = 0;
  int lun = 0;
  int letter = 0;  // NT: 2 = C: ...
  sim::InquiryIdentity identity;
  InquiryFault fault = InquiryFault::kNone;
  int devTypePolls = 0;  // GET_DEV_TYPE pending for that many polls (-1: forever)
};

struct Write {
  std::string path;  // as the registry spells it
  std::string name;
  uint32_t type = 0;
  std::vector<uint8_t> bytes;

  bool operator==(const Write& other) const {
    return sim::SameNameIgnoringCase(path, other.path) && name == other.name &&
           type == other.type && bytes == other.bytes;
  }
};

// The PC with the launcher's registry writes recorded against the key
// they went to.
class RecordingPc : public sim::SimPc {
 public:
  explicit RecordingPc(sim::WindowsVersion version) : SimPc(version) {}

  long OpenRegistryKey(platform::RegistryKey parent, const char* path, uint32_t access,
                       platform::RegistryKey* key) override {
    const long result = SimPc::OpenRegistryKey(parent, path, access, key);
    if (result == platform::kErrorSuccess && key != nullptr) {
      paths_[*key] = Registry().Opens().back().path;
    }
    return result;
  }
  long SetRegistryValue(platform::RegistryKey key, const char* name, uint32_t type,
                        const uint8_t* data, uint32_t size) override {
    Write write;
    write.path = paths_.count(key) != 0 ? paths_[key] : "(unknown key)";
    write.name = name == nullptr ? "(null)" : name;
    write.type = type;
    if (data != nullptr) write.bytes.assign(data, data + size);
    writes.push_back(write);
    return SimPc::SetRegistryValue(key, name, type, data, size);
  }

  std::vector<Write> writes;

 private:
  std::map<platform::RegistryKey, std::string> paths_;
};

class AnsweringForm : public launcher::MainFormRunner {
 public:
  AnsweringForm(platform::Platform& os, bool yes) : os_(os), yes_(yes) {}
  void RunMainForm() override {
    ++shown;
    if (yes_ && atapi != nullptr) launcher::BtnYesClick(os_, *atapi);
  }
  const launcher::TAtapi* atapi = nullptr;
  int shown = 0;

 private:
  platform::Platform& os_;
  bool yes_;
};

class Run {
 public:
  Run(const uint8_t* data, size_t size) : in_(data, size) {}
  void Go();

 private:
  void DecodeSystem();
  void DecodeDevices();
  void DecodeRegistry();
  void Apply(sim::SimRegistry& registry) const;
  void Attach(RecordingPc& pc) const;

  std::string Identification(const DeviceSpec& device) const;
  std::vector<const DeviceSpec*> ExpectedList() const;
  bool IsTarget(const std::string& identification) const;
  // The instance key Windows holds for the drive, found in a copy of the tree.
  std::string InstanceKeyOf(const std::string& identification) const;
  int SettingOf(const std::string& identification) const;

  void Check(RecordingPc& pc, const launcher::TAtapi& flow, const launcher::TAtapi& form,
             const AnsweringForm& answer);
  void Expect(bool holds, const std::string& what) {
    if (!holds) violations_.push_back(what);
  }
  void Report(RecordingPc& pc, const launcher::TAtapi& flow) const;

  FuzzBytes in_;
  sim::WindowsVersion windows_ = sim::WindowsVersion::kWin98;
  bool nt_ = false;
  bool library_ = true;
  bool flasher_ = true;
  bool yes_ = false;
  bool slowPump_ = false;
  std::vector<DeviceSpec> devices_;
  std::vector<RegistryStep> tree_;
  std::vector<std::string> violations_;
};

void Run::DecodeSystem() {
  const uint8_t flags = in_.Byte();
  static const sim::WindowsVersion kSystems[] = {
      sim::WindowsVersion::kWin98, sim::WindowsVersion::kWin95,  sim::WindowsVersion::kWinMe,
      sim::WindowsVersion::kWin98, sim::WindowsVersion::kWinXp,  sim::WindowsVersion::kWin2000,
      sim::WindowsVersion::kWin98, sim::WindowsVersion::kNt4Sp6,
  };
  windows_ = kSystems[flags & 7];
  nt_ = sim::IsNtFamily(windows_);
  // 9x ships the library, NT mostly does not.
  library_ = ((flags >> 3) & 1) == (nt_ ? 1 : 0);
  flasher_ = ((flags >> 4) & 1) == 0;
  yes_ = ((flags >> 5) & 1) == 0;
  slowPump_ = ((flags >> 6) & 1) != 0;
}

void Run::DecodeDevices() {
  unsigned count = in_.Below(8);
  if (count == 7) count += in_.Below(17);  // past the list's 20 rows now and then
  for (unsigned i = 0; i < count; ++i) {
    DeviceSpec device;
    const uint8_t address = in_.Byte();
    device.adapter = address >> 6;
    device.target = (address >> 3) & 7;
    device.lun = address & 7;
    device.letter = 2 + static_cast<int>(in_.Below(24));

    const uint8_t type = in_.Byte();
    device.identity.deviceType = type < 0xE0 ? 0x05 : static_cast<uint8_t>(type & 0x1F);
    std::string text;
    switch (in_.Below(4)) {
      case 0:
        text = kK818rTemplate + in_.Text(4);
        break;
      case 1:
        text = "OTHERCO CD-ROM 52X      " + in_.Text(4);
        break;
      case 2:
        text = in_.Text(28);
        break;
      default: {
        text = in_.Text(28);
        text.replace(in_.Below(24), 5, "K818R");
        break;
      }
    }
    device.identity.vendor = text.substr(0, 8);
    device.identity.product = text.substr(8, 16);
    device.identity.revision = text.substr(24, 4);
    device.identity.length = in_.Bit() ? 96 : in_.Below(97);

    const uint8_t behaviour = in_.Byte();
    static const InquiryFault kFaults[] = {
        InquiryFault::kNone,           InquiryFault::kNone,    InquiryFault::kNone,
        InquiryFault::kCheckCondition, InquiryFault::kPending, InquiryFault::kTransportError,
        InquiryFault::kNone,           InquiryFault::kNever,
    };
    device.fault = kFaults[behaviour & 7];
    device.devTypePolls = (behaviour >> 3) & 3;
    if (device.devTypePolls == 3 && slowPump_)
      device.devTypePolls = sim::AspiManager::kPendingForever;
    devices_.push_back(device);
  }
}

void Run::DecodeRegistry() {
  const unsigned models = in_.Below(5);
  for (unsigned m = 0; m < models; ++m) {
    std::string model;
    const unsigned mode = in_.Below(4);
    if (mode < 2 && !devices_.empty()) {
      const DeviceSpec& device = devices_[in_.Below(static_cast<unsigned>(devices_.size()))];
      model = launcher::ModelKeyPath(Identification(device).c_str());
      if (mode == 1) {
        for (char& c : model) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      }
    } else if (mode == 2) {
      model = "Enum\\SCSI\\" + in_.Text(in_.Below(40));
    } else {
      model = launcher::ModelKeyPath((kK818rTemplate + in_.Text(4)).c_str());
      model.resize(model.size() - in_.Below(3));
    }
    const std::string modelPath = "HKLM\\" + model;
    tree_.push_back({RegistryStep::kKey, modelPath, "", 0, {}});

    const unsigned instances = in_.Below(4);
    for (unsigned k = 0; k < instances; ++k) {
      const uint8_t shape = in_.Byte();
      const size_t nameLength = (shape & 0x80) != 0 ? 250 + in_.Below(20) : in_.Below(8);
      const std::string path = modelPath + "\\" + in_.Text(nameLength);
      tree_.push_back({RegistryStep::kKey, path, "", 0, {}});
      if ((shape & 7) == 0) tree_.push_back({RegistryStep::kFailOpen, path, "", 0, {}});

      switch ((shape >> 3) & 3) {
        case 1: {  // the revision of some device, as Windows stores it
          std::string revision =
              devices_.empty()
                  ? in_.Text(4)
                  : devices_[in_.Below(static_cast<unsigned>(devices_.size()))].identity.revision;
          std::vector<uint8_t> bytes(revision.begin(), revision.end());
          bytes.push_back(0);
          tree_.push_back({RegistryStep::kValue, path, "RevisionLevel", platform::kRegSz, bytes});
          break;
        }
        case 2: {
          const uint32_t type = in_.Below(5);
          tree_.push_back(
              {RegistryStep::kValue, path, "RevisionLevel", type, in_.Bytes(in_.Below(12))});
          break;
        }
        default:
          break;
      }
      switch ((shape >> 5) & 3) {
        case 1:
          tree_.push_back({RegistryStep::kValue,
                           path,
                           kValueName,
                           platform::kRegBinary,
                           {static_cast<uint8_t>(in_.Byte() & 1)}});
          break;
        case 2: {
          const uint32_t type = in_.Below(5);
          tree_.push_back({RegistryStep::kValue, path, kValueName, type, in_.Bytes(in_.Below(6))});
          break;
        }
        case 3:  // an extra key below the instance
          tree_.push_back({RegistryStep::kKey, path + "\\" + in_.Text(in_.Below(6)), "", 0, {}});
          break;
        default:
          break;
      }
    }
  }
}

void Run::Apply(sim::SimRegistry& registry) const {
  ApplySteps(tree_, registry);
}

void Run::Attach(RecordingPc& pc) const {
  if (library_) {
    pc.InstallAspiLibrary();
  } else {
    pc.RemoveAspiLibrary();
  }
  if (flasher_) pc.AddFile("FlashK818R.exe", {});
  if (slowPump_) pc.SetPumpCostUs(kSlowPumpUs);
  for (const DeviceSpec& spec : devices_) {
    auto device = std::make_shared<sim::InquiryDevice>(spec.identity);
    switch (spec.fault) {
      case InquiryFault::kCheckCondition:
        device->AddFault(
            sim::Fault::Sense(sim::CommandKind::kInquiry, 1, 0x02, 0x04, 0x01).Every());
        break;
      case InquiryFault::kTransportError:
        device->AddFault(sim::Fault::TransportError(sim::CommandKind::kInquiry, 1, 1117).Every());
        break;
      case InquiryFault::kPending:
        device->AddFault(
            sim::Fault::CompleteAs(sim::CommandKind::kInquiry, 1, sim::Completion::kPending)
                .Every());
        break;
      case InquiryFault::kNever:
        device->AddFault(
            sim::Fault::CompleteAs(sim::CommandKind::kInquiry, 1, sim::Completion::kNever).Every());
        break;
      case InquiryFault::kNone:
        break;
    }
    pc.Aspi().Attach(spec.adapter, spec.target, spec.lun, device);
    pc.Aspi().SetDevTypePendingPolls(spec.adapter, spec.target, spec.lun, spec.devTypePolls);
    pc.AttachCdrom(static_cast<char>('A' + spec.letter), device);
  }
  Apply(pc.Registry());
}

std::string Run::Identification(const DeviceSpec& device) const {
  uint8_t data[96] = {};
  sim::BuildInquiryData(device.identity, data, sizeof data);
  const uint32_t answered = std::min<uint32_t>(device.identity.length, 36);
  std::memset(data + answered, 0, sizeof data - answered);
  return std::string(reinterpret_cast<const char*>(data + 8), launcher::kIdentificationLength);
}

// The CD-ROM devices of the ASPI manager in address order, as many as the
// list holds; the last device attached at an address is the one there.
std::vector<const DeviceSpec*> Run::ExpectedList() const {
  std::map<std::tuple<int, int, int>, const DeviceSpec*> slots;
  for (const DeviceSpec& device : devices_) {
    slots[{device.adapter, device.target, device.lun}] = &device;
  }
  std::vector<const DeviceSpec*> list;
  for (const auto& [address, device] : slots) {
    if (device->identity.deviceType != 0x05) continue;
    if (device->devTypePolls == sim::AspiManager::kPendingForever) continue;
    if (list.size() < static_cast<size_t>(launcher::kMaxDevices)) list.push_back(device);
  }
  return list;
}

bool Run::IsTarget(const std::string& identification) const {
  return identification.substr(0, launcher::kIdentificationLength).find("K818R") !=
         std::string::npos;
}

std::string Run::InstanceKeyOf(const std::string& identification) const {
  sim::SimRegistry registry;
  Apply(registry);
  std::string model(identification.c_str());
  model.resize(std::min<size_t>(model.size(), 25));
  std::replace(model.begin(), model.end(), ' ', '_');
  platform::RegistryKey modelKey = nullptr;
  if (registry.OpenRegistryKey(platform::HkeyLocalMachine(), ("Enum\\SCSI\\" + model).c_str(), 0,
                               &modelKey) != platform::kErrorSuccess) {
    return "";
  }
  for (uint32_t index = 0;; ++index) {
    char name[256];
    if (registry.EnumRegistrySubkey(modelKey, index, name, sizeof name) != platform::kErrorSuccess)
      break;
    platform::RegistryKey instance = nullptr;
    if (registry.OpenRegistryKey(modelKey, name, 0, &instance) != platform::kErrorSuccess) break;
    char stored[8] = {};
    uint32_t size = sizeof stored;
    if (registry.QueryRegistryValue(instance, "RevisionLevel", nullptr,
                                    reinterpret_cast<uint8_t*>(stored),
                                    &size) != platform::kErrorSuccess) {
      continue;
    }
    // The revision's four characters, or fewer when both end together.
    const std::string wanted = identification.substr(24, 4);
    bool match = true;
    for (size_t i = 0; i < 4 && match; ++i) {
      match = stored[i] == wanted[i];
      if (match && wanted[i] == '\0') break;
    }
    if (match) return registry.Opens().back().path;
  }
  return "";
}

// 1 only when the instance key holds a one-byte value 1.
int Run::SettingOf(const std::string& identification) const {
  const std::string key = InstanceKeyOf(identification);
  if (key.empty()) return launcher::kNotificationUnknown;
  sim::SimRegistry registry;
  Apply(registry);
  const auto value = registry.Value(key, kValueName);
  if (!value || value->bytes.size() > 1) return launcher::kNotificationUnknown;
  return value->bytes.empty() ? 0 : value->bytes[0];
}

void Run::Go() {
  DecodeSystem();
  DecodeDevices();
  DecodeRegistry();

  auto pc = std::make_unique<RecordingPc>(windows_);
  Attach(*pc);
  AnsweringForm form(*pc, yes_);
  {
    launcher::AspiProcessState aspi(*pc);
    launcher::TAtapi formAtapi(*pc, aspi);
    launcher::TAtapi flowAtapi(*pc, aspi);
    form.atapi = &formAtapi;
    Expect(launcher::RunLauncher(*pc, flowAtapi, form) == 0, "the exit code is 0");
    Check(*pc, flowAtapi, formAtapi, form);
    if (!violations_.empty()) {
      Report(*pc, flowAtapi);
      std::abort();
    }
  }
}

void Run::Check(RecordingPc& pc, const launcher::TAtapi& flow, const launcher::TAtapi& formAtapi,
                const AnsweringForm& form) {
  std::vector<std::string> boxes;
  for (const sim::MessageBoxRecord& box : pc.MessageBoxes()) boxes.push_back(box.text);
  const size_t starts = pc.Processes().Attempts().size();
  const size_t restarts = pc.ExitWindowsCalls().size();
  Expect(flow.DeviceCount() >= 0 && flow.DeviceCount() <= launcher::kMaxDevices,
         "the device list stays within its rows");

  if (nt_) {
    Expect(starts == 1, "NT: the flasher is started once");
    Expect(pc.Registry().Opens().empty(), "NT: the registry is not touched");
    Expect(form.shown == 0 && restarts == 0, "NT: no form, no restart");
    std::vector<std::string> expected;
    for (const std::string& box : boxes) {
      if (box == "No CD-ROM Drive detected") expected.push_back(box);
    }
    if (!flasher_) expected.push_back("FlashK818R.exe does not exist!");
    Expect(boxes == expected, "NT: only the probe's box and the missing flasher's");
    Expect(pc.Registry().OpenKeys() == 0 && pc.BadCloses() == 0, "every key closed once");
    return;
  }

  // The device list, where every device answers as told.
  const std::vector<const DeviceSpec*> expectedList =
      library_ ? ExpectedList() : std::vector<const DeviceSpec*>{};
  Expect(flow.DeviceCount() == static_cast<int>(expectedList.size()),
         "the scan lists every CD-ROM device the list has room for");
  for (int row = 0; row < flow.DeviceCount() && row < static_cast<int>(expectedList.size());
       ++row) {
    const DeviceSpec& spec = *expectedList[row];
    const launcher::DeviceRecord& record = flow.Device(row);
    Expect(record.hostAdapter == spec.adapter && record.target == spec.target &&
               record.lun == spec.lun,
           "row " + std::to_string(row) + " holds the device at its address");
    if (spec.fault == InquiryFault::kNone || spec.fault == InquiryFault::kPending) {
      Expect(std::string(record.identification, launcher::kIdentificationLength) ==
                 Identification(spec),
             "row " + std::to_string(row) + " carries INQUIRY bytes 8 to 35");
    }
    Expect(record.identification[launcher::kIdentificationLength] == '\0',
           "row " + std::to_string(row) + " identification ends with a zero");
  }

  auto targetsOf = [this](const launcher::TAtapi& atapi) {
    std::vector<std::string> targets;
    for (int row = 0; row < atapi.DeviceCount(); ++row) {
      const std::string text(atapi.Device(row).identification, launcher::kIdentificationLength);
      if (IsTarget(text)) targets.push_back(text);
    }
    return targets;
  };
  auto writesFor = [this](const std::vector<std::string>& targets, uint8_t value) {
    std::vector<Write> writes;
    for (const std::string& target : targets) {
      const std::string key = InstanceKeyOf(target);
      if (!key.empty()) writes.push_back(Write{key, kValueName, platform::kRegBinary, {value}});
    }
    return writes;
  };

  const std::vector<std::string> targets = targetsOf(flow);
  std::vector<std::string> expectedBoxes;
  if (!library_) expectedBoxes.assign(2, "WNASPI32.DLL not found");
  std::vector<Write> expectedWrites;
  size_t expectedStarts = 0;
  size_t expectedRestarts = 0;
  int expectedShows = 0;

  bool settingOn = false;
  for (const std::string& target : targets) settingOn = settingOn || SettingOf(target) == 1;
  if (targets.empty()) {
    expectedBoxes.push_back("K818R does not exist!");
    Expect(pc.Registry().Opens().empty(), "no target drive: the registry is not touched");
  } else if (settingOn) {
    expectedShows = 1;
    if (yes_) {
      expectedWrites = writesFor(targetsOf(formAtapi), launcher::kNotificationOff);
      expectedRestarts = 1;
    }
  } else {
    expectedStarts = 1;
    if (flasher_) {
      expectedWrites = writesFor(targets, launcher::kNotificationOn);
    } else {
      expectedBoxes.push_back("FlashK818R.exe does not exist!");
    }
  }

  Expect(boxes == expectedBoxes, "the boxes shown are the flow's");
  Expect(form.shown == expectedShows, "the form is shown exactly when a target's setting is on");
  Expect(starts == expectedStarts, "the flasher is started exactly on the flow's road");
  Expect(restarts == expectedRestarts, "a restart is requested exactly after Yes");
  for (const sim::ExitWindowsRecord& exit : pc.ExitWindowsCalls()) {
    Expect(exit.flags == (platform::kEwxReboot | platform::kEwxForce), "the restart is forced");
  }
  Expect(pc.writes == expectedWrites,
         "only the target drives' instance keys are written, one byte 0 or 1");
  Expect(pc.Registry().OpenKeys() == 0 && pc.BadCloses() == 0, "every key closed once");
}

void Run::Report(RecordingPc& pc, const launcher::TAtapi& flow) const {
  std::ostringstream story;
  story << "launcher run: " << (nt_ ? "NT family" : "Windows 9x")
        << (library_ ? ", WNASPI32.DLL" : ", no WNASPI32.DLL")
        << (flasher_ ? ", flasher present" : ", flasher missing")
        << (yes_ ? ", the user answers Yes" : ", the user answers No") << "\n";
  for (const DeviceSpec& device : devices_) {
    story << "  device " << device.adapter << "/" << device.target << "/" << device.lun
          << " (letter " << static_cast<char>('A' + device.letter) << ") type "
          << int{device.identity.deviceType} << " \"" << Printable(Identification(device))
          << "\" answers " << device.identity.length << " bytes, INQUIRY fault "
          << static_cast<int>(device.fault) << ", GET_DEV_TYPE polls " << device.devTypePolls
          << "\n";
  }
  DescribeSteps(tree_, story);
  story << "what happened:\n";
  for (int row = 0; row < flow.DeviceCount(); ++row) {
    const launcher::DeviceRecord& record = flow.Device(row);
    story << "  listed " << int{record.hostAdapter} << "/" << int{record.target} << "/"
          << int{record.lun} << " \""
          << Printable(std::string(record.identification, launcher::kIdentificationLength))
          << "\"\n";
  }
  for (const sim::MessageBoxRecord& box : pc.MessageBoxes()) {
    story << "  box \"" << box.text << "\" (" << box.caption << ")\n";
  }
  for (const sim::ProgramStartRecord& start : pc.Processes().Attempts()) {
    story << "  start " << start.applicationName << (start.started ? "" : " (failed)") << "\n";
  }
  for (const sim::RegistryOpen& open : pc.Registry().Opens()) {
    story << "  open " << Printable(open.path) << "\n";
  }
  for (const Write& write : pc.writes) {
    story << "  write " << Printable(write.path) << " : " << write.name << " type " << write.type
          << " = " << Hex(write.bytes) << "\n";
  }
  for (const sim::ExitWindowsRecord& exit : pc.ExitWindowsCalls()) {
    story << "  restart, flags " << exit.flags << "\n";
  }
  story << "  keys left open " << pc.Registry().OpenKeys() << ", bad closes " << pc.BadCloses()
        << "\nviolated:\n";
  for (const std::string& violation : violations_) story << "  " << violation << "\n";
  std::fputs(story.str().c_str(), stderr);
}

}  // namespace

void CheckLauncherRun(const uint8_t* data, size_t size) {
  Run run(data, size);
  run.Go();
}

}  // namespace fuzz
