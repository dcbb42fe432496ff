// The simulated registry answers as RegOpenKeyExA, RegEnumKeyExA,
// RegEnumValueA, RegQueryValueExA and RegSetValueExA do, so logic tested on
// it meets the same sizes and error codes on Windows.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/SimPc.h"

namespace {

using platform::RegistryKey;

constexpr const char* kModel = "HKLM\\Enum\\SCSI\\QUAV____OD-K818R________1";

TEST(SimRegistry, KeysOpenWithoutRegardToCaseAndEnumerateInOrder) {
  sim::SimPc pc;
  pc.Registry().AddKey(std::string(kModel) + "\\SECOND");
  pc.Registry().AddKey(std::string(kModel) + "\\First");

  RegistryKey model = nullptr;
  ASSERT_EQ(
      pc.OpenRegistryKey(platform::HkeyLocalMachine(), "enum\\scsi\\quav____od-k818r________1",
                         platform::kKeyAllAccess, &model),
      platform::kErrorSuccess);
  char name[256];
  ASSERT_EQ(pc.EnumRegistrySubkey(model, 0, name, sizeof name), platform::kErrorSuccess);
  EXPECT_STREQ(name, "SECOND");
  ASSERT_EQ(pc.EnumRegistrySubkey(model, 1, name, sizeof name), platform::kErrorSuccess);
  EXPECT_STREQ(name, "First");
  EXPECT_EQ(pc.EnumRegistrySubkey(model, 2, name, sizeof name), platform::kErrorNoMoreItems);
  EXPECT_EQ(pc.EnumRegistrySubkey(model, 0, name, 6), platform::kErrorMoreData);  // no room for NUL

  RegistryKey missing = reinterpret_cast<RegistryKey>(1);
  EXPECT_EQ(pc.OpenRegistryKey(model, "Third", platform::kKeyAllAccess, &missing),
            platform::kErrorFileNotFound);
  EXPECT_EQ(missing, nullptr);

  EXPECT_EQ(pc.Registry().OpenKeys(), 1);
  EXPECT_EQ(pc.CloseRegistryKey(model), platform::kErrorSuccess);
  EXPECT_EQ(pc.Registry().OpenKeys(), 0);
  EXPECT_NE(pc.CloseRegistryKey(model), platform::kErrorSuccess);
  EXPECT_EQ(pc.BadCloses(), 1);
}

TEST(SimRegistry, ValuesReportTheirSizeWhetherOrNotTheyFit) {
  sim::SimPc pc;
  const std::string instance = std::string(kModel) + "\\0001";
  pc.Registry().SetString(instance, "RevisionLevel", "1.00");
  pc.Registry().SetValue(instance, "AutoInsertNotification", platform::kRegBinary, {1, 0, 0, 0});

  RegistryKey key = nullptr;
  ASSERT_EQ(pc.OpenRegistryKey(platform::HkeyLocalMachine(), instance.c_str() + 5,
                               platform::kKeyRead, &key),
            platform::kErrorSuccess);
  uint8_t byte = 0x55;
  uint32_t size = 1;
  uint32_t type = 0;
  EXPECT_EQ(pc.QueryRegistryValue(key, "AutoInsertNotification", &type, &byte, &size),
            platform::kErrorMoreData);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(type, platform::kRegBinary);

  char revision[8] = {};
  size = sizeof revision;
  EXPECT_EQ(pc.QueryRegistryValue(key, "revisionlevel", nullptr,
                                  reinterpret_cast<uint8_t*>(revision), &size),
            platform::kErrorSuccess);
  EXPECT_EQ(size, 5u);
  EXPECT_STREQ(revision, "1.00");
  EXPECT_EQ(pc.QueryRegistryValue(key, "Missing", nullptr, nullptr, &size),
            platform::kErrorFileNotFound);

  uint32_t count = 0;
  ASSERT_EQ(pc.RegistryValueCount(key, &count), platform::kErrorSuccess);
  EXPECT_EQ(count, 2u);
  char name[256];
  uint32_t nameSize = sizeof name;
  EXPECT_EQ(pc.EnumRegistryValue(key, 1, name, &nameSize, nullptr, nullptr, nullptr),
            platform::kErrorSuccess);
  EXPECT_STREQ(name, "AutoInsertNotification");
  EXPECT_EQ(nameSize, std::strlen("AutoInsertNotification"));

  const uint8_t off = 0;
  EXPECT_EQ(pc.SetRegistryValue(key, "AutoInsertNotification", platform::kRegBinary, &off, 1),
            platform::kErrorSuccess);
  const auto written = pc.Registry().Value(instance, "AutoInsertNotification");
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->bytes, std::vector<uint8_t>{0});
  EXPECT_EQ(pc.CloseRegistryKey(key), platform::kErrorSuccess);
}

TEST(SimRegistry, RefusedKeysAndRootsAreSeparate) {
  sim::SimPc pc;
  pc.Registry().AddKey("HKDD\\Config Manager\\Enum\\C29A1B40");
  pc.Registry().FailOpen("HKDD\\Config Manager\\Enum\\C29A1B40");

  RegistryKey key = nullptr;
  EXPECT_EQ(pc.OpenRegistryKey(platform::HkeyLocalMachine(), "Config Manager\\Enum",
                               platform::kKeyRead, &key),
            platform::kErrorFileNotFound);
  ASSERT_EQ(
      pc.OpenRegistryKey(platform::HkeyDynData(), "Config Manager\\Enum", platform::kKeyRead, &key),
      platform::kErrorSuccess);
  RegistryKey node = nullptr;
  EXPECT_NE(pc.OpenRegistryKey(key, "C29A1B40", platform::kKeyRead, &node),
            platform::kErrorSuccess);
  EXPECT_EQ(node, nullptr);
  pc.CloseRegistryKey(key);
  EXPECT_EQ(pc.Registry().OpenKeys(), 0);
  ASSERT_EQ(pc.Registry().Opens().size(), 1u);
  EXPECT_EQ(pc.Registry().Opens()[0].path, "HKDD\\Config Manager\\Enum");
  EXPECT_EQ(pc.Registry().Opens()[0].access, platform::kKeyRead);
}

}  // namespace
