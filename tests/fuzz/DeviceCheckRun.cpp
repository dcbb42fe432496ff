#include "tests/fuzz/DeviceCheckRun.h"

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "app/ConfigManagerDevices.h"
#include "sim/SimPc.h"
#include "tests/fuzz/FuzzBytes.h"
#include "tests/fuzz/FuzzRegistry.h"
#include "tests/fuzz/FuzzStory.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KIT_FUZZ_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KIT_FUZZ_ASAN 1
#endif
#ifdef KIT_FUZZ_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace fuzz {

namespace {

const std::string kTree = "HKDD\\Config Manager\\Enum";
constexpr uint32_t kDataLimit = 253;

// The PC that refuses one chosen opening of a key and, between registry
// calls, poisons the part of each returned buffer the registry did not fill.
class GuardedPc : public sim::SimPc {
 public:
  GuardedPc() : SimPc(sim::WindowsVersion::kWin98) {}
  ~GuardedPc() override { Unpoison(); }

  void RefuseOpening(int nth) { refuse_ = nth; }
  bool Refused() const { return refused_; }
  int Openings() const { return openings_; }

  long OpenRegistryKey(platform::RegistryKey parent, const char* path, uint32_t access,
                       platform::RegistryKey* key) override {
    Unpoison();
    if (++openings_ == refuse_) {
      refused_ = true;
      if (key != nullptr) *key = nullptr;
      return platform::kErrorAccessDenied;
    }
    return SimPc::OpenRegistryKey(parent, path, access, key);
  }
  long EnumRegistrySubkey(platform::RegistryKey key, uint32_t index, char* name,
                          uint32_t size) override {
    Unpoison();
    const long result = SimPc::EnumRegistrySubkey(key, index, name, size);
    if (result == platform::kErrorSuccess) PoisonName(name, std::strlen(name), size);
    return result;
  }
  long RegistryValueCount(platform::RegistryKey key, uint32_t* count) override {
    Unpoison();
    return SimPc::RegistryValueCount(key, count);
  }
  long EnumRegistryValue(platform::RegistryKey key, uint32_t index, char* name, uint32_t* nameSize,
                         uint32_t* type, uint8_t* data, uint32_t* dataSize) override {
    Unpoison();
    const uint32_t nameRoom = nameSize != nullptr ? *nameSize : 0;
    const uint32_t dataRoom = dataSize != nullptr ? *dataSize : 0;
    const long result = SimPc::EnumRegistryValue(key, index, name, nameSize, type, data, dataSize);
    if (result == platform::kErrorSuccess) {
      PoisonName(name, *nameSize, nameRoom);
      if (data != nullptr && *dataSize <= dataRoom) Poison(data + *dataSize, dataRoom - *dataSize);
    }
    return result;
  }
  long CloseRegistryKey(platform::RegistryKey key) override {
    Unpoison();
    return SimPc::CloseRegistryKey(key);
  }

  void Unpoison() {
#ifdef KIT_FUZZ_ASAN
    for (const auto& [start, size] : poisoned_) ASAN_UNPOISON_MEMORY_REGION(start, size);
#endif
    poisoned_.clear();
  }

 private:
  // The caller may write the buffer's last byte as a terminator; all else
  // past the name and its zero is not the registry's answer.
  void PoisonName(char* name, size_t length, uint32_t room) {
    if (name != nullptr && length + 2 < room) Poison(name + length + 1, room - length - 2);
  }
  void Poison(void* start, size_t size) {
    if (size == 0) return;
#ifdef KIT_FUZZ_ASAN
    ASAN_POISON_MEMORY_REGION(start, size);
#endif
    poisoned_.emplace_back(start, size);
  }

  int refuse_ = 0;
  bool refused_ = false;
  int openings_ = 0;
  std::vector<std::pair<void*, size_t>> poisoned_;
};

std::string NodeName(FuzzBytes& in) {
  std::string name = in.Text(in.Bit() ? 255 + in.Below(8) : in.Below(10));
  for (char& c : name) {
    if (c == '\0') c = '0';  // a name ends at its zero on the way in
  }
  return name;
}

std::vector<uint8_t> HardwareText(FuzzBytes& in) {
  static const char* const kPieces[] = {"OD-J207P", "PNP0600",  "SCSI\\",  "&0",
                                        "ESDI\\",   "od-j207p", "OD-J207", "PNP060"};
  std::string text;
  const unsigned pieces = in.Below(6);
  for (unsigned i = 0; i < pieces; ++i) {
    const uint8_t choice = in.Byte();
    if (choice < 0xC0) {
      text += kPieces[choice & 7];
    } else {
      text += in.Text(choice & 0x0F);
    }
  }
  const uint8_t end = in.Byte();
  if ((end & 3) == 0) text.resize(text.size() + (end >> 2) * 4, 'x');  // over the limit
  std::vector<uint8_t> bytes(text.begin(), text.end());
  if ((end & 4) == 0) bytes.push_back(0);
  return bytes;
}

class Run {
 public:
  Run(const uint8_t* data, size_t size) : in_(data, size) {}
  void Go();

 private:
  void Decode();
  void Apply(sim::SimRegistry& registry) const;
  // What a plain search with room for every name and value concludes.
  bool ExpectedBlocked() const;
  void Report(GuardedPc& pc, DeviceCheck result, const std::string& violation) const;

  FuzzBytes in_;
  bool tree_ = true;
  int refuse_ = 0;
  std::vector<RegistryStep> ops_;
};

void Run::Decode() {
  const uint8_t flags = in_.Byte();
  tree_ = (flags & 0x0F) != 0;
  refuse_ = (flags & 0x30) == 0 ? 1 + in_.Below(12) : 0;
  if (tree_) ops_.push_back({RegistryStep::kKey, kTree, "", 0, {}});
  const unsigned nodes = in_.Below(6);
  for (unsigned n = 0; n < nodes; ++n) {
    const std::string node = kTree + "\\" + NodeName(in_);
    ops_.push_back({RegistryStep::kKey, node, "", 0, {}});
    const uint8_t shape = in_.Byte();
    if ((shape & 0x0F) == 0) ops_.push_back({RegistryStep::kFailOpen, node, "", 0, {}});
    if ((shape & 0x30) == 0)
      ops_.push_back({RegistryStep::kKey, node + "\\" + NodeName(in_), "", 0, {}});
    const unsigned values = in_.Below(4);
    for (unsigned v = 0; v < values; ++v) {
      static const char* const kNames[] = {"HardWareKey", "HardWareKey", "hardwarekey",
                                           "HardwareKey", "Class",       "HardWareKey "};
      const uint8_t nameChoice = in_.Byte();
      std::string name = nameChoice < 0xF0 ? kNames[nameChoice % 6] : NodeName(in_);
      const uint8_t typeChoice = in_.Byte();
      const uint32_t type = typeChoice < 0xC0 ? platform::kRegSz : typeChoice & 7;
      ops_.push_back({RegistryStep::kValue, node, name, type, HardwareText(in_)});
    }
  }
}

void Run::Apply(sim::SimRegistry& registry) const {
  ApplySteps(ops_, registry);
}

bool Run::ExpectedBlocked() const {
  sim::SimRegistry registry;
  Apply(registry);
  platform::RegistryKey tree = nullptr;
  if (registry.OpenRegistryKey(platform::HkeyDynData(), "Config Manager\\Enum", 0, &tree) !=
      platform::kErrorSuccess) {
    return true;
  }
  for (uint32_t index = 0;; ++index) {
    std::vector<char> name(1024);
    const long listed =
        registry.EnumRegistrySubkey(tree, index, name.data(), static_cast<uint32_t>(name.size()));
    if (listed == platform::kErrorNoMoreItems) return false;
    // A node whose name does not fit the check's buffer cannot be searched.
    if (listed != platform::kErrorSuccess || std::strlen(name.data()) >= 260) return true;
    platform::RegistryKey node = nullptr;
    if (registry.OpenRegistryKey(tree, name.data(), 0, &node) != platform::kErrorSuccess)
      return true;
    for (uint32_t value = 0;; ++value) {
      char valueName[1024];
      uint32_t nameSize = sizeof valueName;
      uint32_t type = 0;
      std::vector<uint8_t> data(1024);
      uint32_t dataSize = static_cast<uint32_t>(data.size());
      if (registry.EnumRegistryValue(node, value, valueName, &nameSize, &type, data.data(),
                                     &dataSize) != platform::kErrorSuccess) {
        break;
      }
      if (std::string(valueName) != "HardWareKey" || type != platform::kRegSz ||
          dataSize > kDataLimit) {
        continue;
      }
      const std::string text(reinterpret_cast<const char*>(data.data()),
                             strnlen(reinterpret_cast<const char*>(data.data()), dataSize));
      if (text.find("OD-J207P") != std::string::npos && text.find("PNP0600") != std::string::npos) {
        return true;
      }
    }
  }
}

void Run::Go() {
  Decode();
  GuardedPc pc;
  Apply(pc.Registry());
  pc.RefuseOpening(refuse_);
  const DeviceCheck result = CheckConfigManagerDevices(pc);
  pc.Unpoison();

  const bool blocked = result == DeviceCheck::kBlocked;
  std::string violation;
  if (pc.Refused() && !blocked) violation = "a key that could not be opened let the system through";
  if (!pc.Refused() && blocked != ExpectedBlocked()) {
    violation = blocked ? "blocked a tree that names no blocked drive"
                        : "let through a tree that names the blocked drive";
  }
  if (pc.Registry().OpenKeys() != 0 || pc.BadCloses() != 0) violation = "a key was not closed once";
  for (const sim::RegistryOpen& open : pc.Registry().Opens()) {
    if (open.access != platform::kKeyRead) violation = "a key was opened for more than reading";
  }
  if (!violation.empty()) {
    Report(pc, result, violation);
    std::abort();
  }
}

void Run::Report(GuardedPc& pc, DeviceCheck result, const std::string& violation) const {
  std::ostringstream story;
  story << "Windows 9x device check: " << (tree_ ? "" : "no device tree; ");
  if (refuse_ > 0) story << "opening " << refuse_ << " is refused";
  story << "\n";
  DescribeSteps(ops_, story);
  story << "what happened:\n";
  for (const sim::RegistryOpen& open : pc.Registry().Opens()) {
    story << "  open " << Printable(open.path) << "\n";
  }
  story << "  " << pc.Openings() << " openings" << (pc.Refused() ? ", one refused" : "")
        << "; result " << (result == DeviceCheck::kBlocked ? "blocked" : "clear")
        << "; keys left open " << pc.Registry().OpenKeys() << ", bad closes " << pc.BadCloses()
        << "\nviolated: " << violation << "\n";
  std::fputs(story.str().c_str(), stderr);
}

}  // namespace

void CheckDeviceCheckRun(const uint8_t* data, size_t size) {
  Run run(data, size);
  run.Go();
}

}  // namespace fuzz
