// The auto-insert-notification value: finding the drive's instance key from
// its identification text, reading and writing the one byte, and closing
// every key on every road.
#include <gtest/gtest.h>

#include <cstring>

#include "launcher/Autoinsertnotification.h"
#include "sim/SimPc.h"
#include "tests/launcher/LauncherDrives.h"

namespace {

using launcher::ReadAutoInsertNotification;
using launcher::WriteAutoInsertNotification;

constexpr char kModelKey[] = "HKLM\\Enum\\SCSI\\QUAV____OD-K818R________1";
const char* const kDrive = launcher_test::kK818rText;  // revision 1.01

std::string Instance(const std::string& name) {
  return std::string(kModelKey) + "\\" + name;
}

void AddInstance(sim::SimPc& pc, const std::string& name, const std::string& revision,
                 std::vector<uint8_t> value) {
  pc.Registry().AddKey(Instance(name));
  pc.Registry().SetString(Instance(name), "RevisionLevel", revision);
  if (!value.empty()) {
    pc.Registry().SetValue(Instance(name), "AutoInsertNotification", platform::kRegBinary,
                           std::move(value));
  }
}

std::vector<uint8_t> Stored(sim::SimPc& pc, const std::string& name) {
  auto value = pc.Registry().Value(Instance(name), "AutoInsertNotification");
  return value ? value->bytes : std::vector<uint8_t>{};
}

TEST(ModelKey, BlanksBecomeUnderscoresAndOnlyOneRevisionCharacterStays) {
  EXPECT_EQ(launcher::ModelKeyPath("QUAV    OD-K818R        1.00"),
            "Enum\\SCSI\\QUAV____OD-K818R________1");
  EXPECT_EQ(launcher::ModelKeyPath("QUAV    OD-K818R        2.03"),
            "Enum\\SCSI\\QUAV____OD-K818R________2");
  EXPECT_EQ(launcher::ModelKeyPath("OTHERCO CD-ROM 52X      1.00"),
            "Enum\\SCSI\\OTHERCO_CD-ROM_52X______1");
}

TEST(AutoInsertNotification, ReadsAndWritesFollowTheRegistryShape) {
  struct Case {
    const char* shape;
    void (*seed)(sim::SimPc&);
    uint8_t read;
    bool written;
    const char* writtenKey;  // whose value the write changed
  };
  const Case cases[] = {
      {"no model key", [](sim::SimPc&) {}, 2, false, nullptr},
      {"model key without subkeys", [](sim::SimPc& pc) { pc.Registry().AddKey(kModelKey); }, 2,
       false, nullptr},
      {"only other revisions",
       [](sim::SimPc& pc) {
         AddInstance(pc, "0000", "1.00", {1});
         AddInstance(pc, "0001", "1.02", {1});
       },
       2, false, nullptr},
      {"two revisions, the second matching",
       [](sim::SimPc& pc) {
         AddInstance(pc, "0000", "1.00", {1});
         AddInstance(pc, "0001", "1.01", {0});
       },
       0, true, "0001"},
      {"the same revision twice: the first counts",
       [](sim::SimPc& pc) {
         AddInstance(pc, "0000", "1.01", {1});
         AddInstance(pc, "0001", "1.01", {0});
       },
       1, true, "0000"},
      {"a subkey that cannot be opened ends the search",
       [](sim::SimPc& pc) {
         AddInstance(pc, "0000", "1.00", {1});
         AddInstance(pc, "0001", "1.01", {1});
         pc.Registry().FailOpen(Instance("0000"));
       },
       2, false, nullptr},
      {"a four-byte value",
       [](sim::SimPc& pc) {
         AddInstance(pc, "0000", "1.01", {});
         pc.Registry().SetValue(Instance("0000"), "AutoInsertNotification", platform::kRegDword,
                                {1, 0, 0, 0});
       },
       2, true, "0000"},
      {"no value yet", [](sim::SimPc& pc) { AddInstance(pc, "0000", "1.01", {}); }, 2, true,
       "0000"},
      {"a value of another type and one byte",
       [](sim::SimPc& pc) {
         AddInstance(pc, "0000", "1.01", {});
         pc.Registry().SetValue(Instance("0000"), "AutoInsertNotification", platform::kRegSz, {1});
       },
       1, true, "0000"},
      {"RevisionLevel that is no text",
       [](sim::SimPc& pc) {
         pc.Registry().AddKey(Instance("0000"));
         pc.Registry().SetValue(Instance("0000"), "RevisionLevel", platform::kRegBinary,
                                {'1', '.', '0', '1'});
         pc.Registry().SetValue(Instance("0000"), "AutoInsertNotification", platform::kRegBinary,
                                {1});
       },
       1, true, "0000"},
      {"RevisionLevel too long for its buffer",
       [](sim::SimPc& pc) { AddInstance(pc, "0000", "1.01 build 7", {1}); }, 2, false, nullptr},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.shape);
    sim::SimPc pc(sim::WindowsVersion::kWin98);
    test.seed(pc);
    EXPECT_EQ(ReadAutoInsertNotification(pc, kDrive), test.read);
    EXPECT_EQ(pc.Registry().OpenKeys(), 0);

    const int writesBefore = pc.Registry().ValueWrites();
    EXPECT_EQ(WriteAutoInsertNotification(pc, kDrive, 7), test.written);
    EXPECT_EQ(pc.Registry().OpenKeys(), 0);
    EXPECT_EQ(pc.Registry().ValueWrites() - writesBefore, test.written ? 1 : 0);
    if (test.writtenKey != nullptr) {
      auto value = pc.Registry().Value(Instance(test.writtenKey), "AutoInsertNotification");
      ASSERT_TRUE(value.has_value());
      EXPECT_EQ(value->type, platform::kRegBinary);
      EXPECT_EQ(value->bytes, std::vector<uint8_t>{7});
    }
    EXPECT_EQ(pc.Registry().BadCloses(), 0);
    for (const sim::RegistryOpen& open : pc.Registry().Opens()) {
      EXPECT_EQ(open.access, platform::kKeyAllAccess) << open.path;
    }
  }
}

TEST(AutoInsertNotification, WriteThenReadGivesTheValueBack) {
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  AddInstance(pc, "0000", "1.01", {1});
  for (uint8_t value : {uint8_t{0}, uint8_t{1}, uint8_t{0}}) {
    EXPECT_TRUE(WriteAutoInsertNotification(pc, kDrive, value));
    EXPECT_EQ(ReadAutoInsertNotification(pc, kDrive), value);
    EXPECT_EQ(Stored(pc, "0000"), std::vector<uint8_t>{value});
  }
}

TEST(AutoInsertNotification, RevisionMatchStopsAtACommonEnd) {
  struct Case {
    const char* driveRevision;  // identification characters 24 to 27
    const char* stored;
    bool matches;
  };
  const Case cases[] = {
      {"1.01", "1.01", true}, {"1.01", "1.01x", true},  // four equal characters are enough
      {"1.01", "1.0", false}, {"1.0\0", "1.0", true},   // both end at the same place
      {"1\0\0\0", "1", true}, {"1.01", "", false},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.stored);
    sim::SimPc pc(sim::WindowsVersion::kWin98);
    char drive[50] = {};
    std::memcpy(drive, "QUAV    OD-K818R        ", 24);
    std::memcpy(drive + 24, test.driveRevision, 4);
    AddInstance(pc, "0000", test.stored, {1});
    EXPECT_EQ(ReadAutoInsertNotification(pc, drive), test.matches ? 1 : 2);
  }
}

}  // namespace
