// The Windows 9x device check over a simulated HKEY_DYN_DATA: the drive it
// refuses, what it lets through, and that it fails closed and leaves no key
// open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ConfigManagerDevices.h"
#include "sim/SimPc.h"

namespace {

const std::string kTree = "HKDD\\Config Manager\\Enum";
const std::string kBlockedKey = "SCSI\\QUAV____OD-J207P________1.00\\PNP0600&0&1";

struct Node {
  std::string name;
  std::string valueName;
  std::string text;
};

DeviceCheck Check(sim::SimPc& pc) {
  const DeviceCheck result = CheckConfigManagerDevices(pc);
  EXPECT_EQ(pc.Registry().OpenKeys(), 0) << "a key was left open";
  return result;
}

TEST(DeviceCheck, HardwareKeysDecide) {
  const struct {
    const char* name;
    std::vector<Node> nodes;
    DeviceCheck expected;
  } cases[] = {
      {"blocked drive on the IDE controller",
       {{"C29A3B10", "HardWareKey", kBlockedKey}},
       DeviceCheck::kBlocked},
      {"either order", {{"C29A3B10", "HardWareKey", "PNP0600\\OD-J207P"}}, DeviceCheck::kBlocked},
      {"drive on another controller",
       {{"C29A3B10", "HardWareKey", "SCSI\\OD-J207P\\ADP1540"}},
       DeviceCheck::kClear},
      {"other model on the IDE controller",
       {{"C29A3B10", "HardWareKey", "ESDI\\GENERIC_IDE_DISK\\PNP0600&0"}},
       DeviceCheck::kClear},
      {"value name in other case", {{"C29A3B10", "hardwarekey", kBlockedKey}}, DeviceCheck::kClear},
      {"other value", {{"C29A3B10", "DeviceDesc", kBlockedKey}}, DeviceCheck::kClear},
      {"model in lower case",
       {{"C29A3B10", "HardWareKey", "od-j207p pnp0600"}},
       DeviceCheck::kClear},
      {"second node",
       {{"C29A3B10", "HardWareKey", "ROOT\\PRINTER\\0000"},
        {"C29A3C40", "HardWareKey", kBlockedKey}},
       DeviceCheck::kBlocked},
      {"empty tree", {}, DeviceCheck::kClear},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sim::SimPc pc(sim::WindowsVersion::kWin98);
    pc.Registry().AddKey(kTree);
    for (const Node& node : c.nodes) {
      pc.Registry().AddKey(kTree + "\\" + node.name);
      pc.Registry().SetString(kTree + "\\" + node.name, "Class", "CDROM");
      pc.Registry().SetString(kTree + "\\" + node.name, node.valueName, node.text);
    }
    EXPECT_EQ(Check(pc), c.expected);
  }
}

TEST(DeviceCheck, FailsClosedWhenAKeyCannotBeOpened) {
  sim::SimPc missing(sim::WindowsVersion::kWin98);
  EXPECT_EQ(Check(missing), DeviceCheck::kBlocked);

  sim::SimPc lockedNode(sim::WindowsVersion::kWin98);
  lockedNode.Registry().AddKey(kTree + "\\C29A3B10");
  lockedNode.Registry().FailOpen(kTree + "\\C29A3B10");
  EXPECT_EQ(Check(lockedNode), DeviceCheck::kBlocked);

  // A node name the listing cannot hand out ends it early: the nodes after
  // it, here the blocked drive, would go unsearched.
  sim::SimPc longName(sim::WindowsVersion::kWin98);
  longName.Registry().AddKey(kTree + "\\" + std::string(260, 'N'));
  longName.Registry().SetString(kTree + "\\C29A3C40", "HardWareKey", kBlockedKey);
  EXPECT_EQ(Check(longName), DeviceCheck::kBlocked);
}

TEST(DeviceCheck, AllKeysAreOpenedForReading) {
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  pc.Registry().SetString(kTree + "\\C29A3B10", "HardWareKey", "ROOT\\PRINTER\\0000");
  EXPECT_EQ(Check(pc), DeviceCheck::kClear);
  ASSERT_FALSE(pc.Registry().Opens().empty());
  for (const auto& open : pc.Registry().Opens()) EXPECT_EQ(open.access, platform::kKeyRead);
}

TEST(DeviceCheck, TextsWithoutZeroOrAtTheLimitAreReadSafely) {
  const std::string node = kTree + "\\C29A3B10";
  auto bytes = [](const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
  };
  // Padded to exactly 253 bytes, no terminating zero: still read, still found.
  std::string atLimit = kBlockedKey;
  atLimit.resize(253, '_');
  // One byte over the limit: skipped.
  std::string overLimit = atLimit + "_";
  const struct {
    const char* name;
    std::vector<uint8_t> data;
    uint32_t type;
    DeviceCheck expected;
  } cases[] = {
      {"unterminated", bytes(kBlockedKey), platform::kRegSz, DeviceCheck::kBlocked},
      {"exactly the limit, unterminated", bytes(atLimit), platform::kRegSz, DeviceCheck::kBlocked},
      {"over the limit", bytes(overLimit), platform::kRegSz, DeviceCheck::kClear},
      {"names split by a zero", bytes(std::string("OD-J207P") + '\0' + "PNP0600"), platform::kRegSz,
       DeviceCheck::kClear},
      {"binary value", bytes(kBlockedKey + '\0'), platform::kRegBinary, DeviceCheck::kClear},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    sim::SimPc pc(sim::WindowsVersion::kWin98);
    pc.Registry().AddKey(node);
    pc.Registry().SetValue(node, "HardWareKey", c.type, c.data);
    EXPECT_EQ(Check(pc), c.expected);
  }
}

}  // namespace
