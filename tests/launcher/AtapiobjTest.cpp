// The launcher's drive probe: the scan over WNASPI32.DLL and over the
// launcher's own ASPI emulation on the NT family.
#include <gtest/gtest.h>

#include <cstring>

#include "launcher/Atapiobj.h"
#include "sim/SimPc.h"
#include "tests/launcher/LauncherDrives.h"

namespace {

using launcher::AspiProcessState;
using launcher::TAtapi;
using launcher_test::Foreign;
using launcher_test::K818r;
using launcher_test::Text;

constexpr uint64_t kSecond = 1'000'000;

std::vector<sim::CommandRecord> Inquiries(sim::SimPc& pc, uint8_t cdbLength) {
  std::vector<sim::CommandRecord> found;
  for (const sim::CommandRecord& command : pc.Log().Commands()) {
    if (command.cdb[0] == 0x12 && command.passThrough.cdbLength == cdbLength) {
      found.push_back(command);
    }
  }
  return found;
}

TEST(LauncherProbe, AspiScanListsEveryCdromInAdapterTargetLunOrder) {
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  pc.Aspi().Attach(1, 2, 1, K818r("2.03"));
  pc.Aspi().Attach(0, 3, 0, std::make_shared<sim::DiskDevice>());
  pc.Aspi().Attach(0, 1, 0, K818r());
  pc.Aspi().Attach(0, 0, 0, Foreign());
  AspiProcessState aspi(pc);
  TAtapi atapi(pc, aspi);

  ASSERT_EQ(atapi.DeviceCount(), 3);
  struct Row {
    uint8_t ha, target, lun;
    std::string text;
  };
  const Row expected[] = {{0, 0, 0, launcher_test::kForeignText},
                          {0, 1, 0, launcher_test::kK818rText},
                          {1, 2, 1, "QUAV    OD-K818R        2.03"}};
  for (int row = 0; row < 3; ++row) {
    const launcher::DeviceRecord& device = atapi.Device(row);
    EXPECT_EQ(device.hostAdapter, expected[row].ha) << row;
    EXPECT_EQ(device.target, expected[row].target) << row;
    EXPECT_EQ(device.lun, expected[row].lun) << row;
    EXPECT_EQ(std::string(device.identification), expected[row].text) << row;
  }
  EXPECT_EQ(pc.Log().DevTypeRequests().size(), 2u * 64u);
  EXPECT_TRUE(pc.MessageBoxes().empty());

  // One 36-byte INQUIRY per CD-ROM device, asking for 18 sense bytes.
  ASSERT_EQ(pc.Log().Commands().size(), 3u);
  for (const sim::CommandRecord& command : pc.Log().Commands()) {
    EXPECT_EQ(command.cdb, (sim::Cdb{0x12, 0, 0, 0, 0x24, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(command.aspi.flags, 0x48);
    EXPECT_EQ(command.aspi.bufLen, 36u);
    EXPECT_EQ(command.aspi.senseLen, 18);
    EXPECT_EQ(command.aspi.cdbLen, 12);
    EXPECT_TRUE(command.aspi.postProcSet);
  }
  EXPECT_EQ(pc.OpenEvents(), 0);
}

TEST(LauncherProbe, LibraryComesFromTheSystemFolderWhateverItsLength) {
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  const std::string folder = "C:\\" + std::string(120, 'W') + "\\SYSTEM";
  pc.SetSystemDirectoryPath(folder);
  pc.Aspi().Attach(0, 1, 0, K818r());
  AspiProcessState aspi(pc);
  TAtapi atapi(pc, aspi);
  ASSERT_FALSE(pc.LoadLibraryPaths().empty());
  EXPECT_EQ(pc.LoadLibraryPaths()[0], folder + "\\WNASPI32.DLL");
  EXPECT_EQ(atapi.DeviceCount(), 1);
}

TEST(LauncherProbe, EachObjectReportsAMissingLibraryOnce) {
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  pc.RemoveAspiLibrary();
  pc.Aspi().Attach(0, 1, 0, K818r());
  AspiProcessState aspi(pc);
  TAtapi first(pc, aspi);
  TAtapi second(pc, aspi);

  ASSERT_EQ(pc.MessageBoxes().size(), 2u);
  for (const sim::MessageBoxRecord& box : pc.MessageBoxes()) {
    EXPECT_EQ(box.text, "WNASPI32.DLL not found");
    EXPECT_EQ(box.style, platform::kMbOk);
  }
  // The system folder first, then the usual library search.
  EXPECT_EQ(pc.LoadLibraryPaths(),
            (std::vector<std::string>{"C:\\WINDOWS\\SYSTEM\\WNASPI32.DLL", "WNASPI32.DLL",
                                      "C:\\WINDOWS\\SYSTEM\\WNASPI32.DLL", "WNASPI32.DLL"}));
  EXPECT_EQ(first.DeviceCount(), 0);
  EXPECT_EQ(second.DeviceCount(), 0);
  EXPECT_TRUE(pc.Log().DevTypeRequests().empty());
}

TEST(LauncherProbe, LibraryWithoutBothEntryPointsCountsAsMissing) {
  for (bool supportInfo : {false, true}) {
    SCOPED_TRACE(supportInfo ? "no SendASPI32Command" : "no GetASPI32SupportInfo");
    {
      sim::SimPc pc(sim::WindowsVersion::kWin98);
      pc.InstallAspiLibrary(supportInfo, !supportInfo);
      pc.Aspi().Attach(0, 1, 0, K818r());
      AspiProcessState aspi(pc);
      {
        TAtapi atapi(pc, aspi);
        EXPECT_EQ(atapi.DeviceCount(), 0);
        ASSERT_EQ(pc.MessageBoxes().size(), 1u);
        EXPECT_EQ(pc.MessageBoxes()[0].text, "WNASPI32.DLL not found");
      }
      EXPECT_EQ(pc.LibraryUnloads(), pc.LibraryLoads());
    }
    {
      // On the NT family the emulation takes over.
      sim::SimPc pc(sim::WindowsVersion::kWinXp);
      pc.InstallAspiLibrary(supportInfo, !supportInfo);
      pc.AttachCdrom('D', K818r());
      AspiProcessState aspi(pc);
      TAtapi atapi(pc, aspi);
      EXPECT_TRUE(aspi.Emulated());
      ASSERT_EQ(atapi.DeviceCount(), 1);
      EXPECT_EQ(Text(atapi.Device(0).identification), launcher_test::kK818rText);
    }
  }
}

TEST(LauncherProbe, LibraryThatLoadsIsUsedOnTheNtFamilyToo) {
  sim::SimPc pc(sim::WindowsVersion::kWinXp);
  pc.InstallAspiLibrary();
  pc.Aspi().Attach(0, 2, 0, K818r());
  pc.AttachCdrom('D', Foreign());  // what the emulation would have found
  AspiProcessState aspi(pc);
  TAtapi atapi(pc, aspi);
  EXPECT_FALSE(aspi.Emulated());
  ASSERT_EQ(atapi.DeviceCount(), 1);
  EXPECT_EQ(Text(atapi.Device(0).identification), launcher_test::kK818rText);
  EXPECT_TRUE(pc.DeviceOpens().empty());
}

TEST(LauncherProbe, ScanStopsWhenTheListIsFull) {
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  for (int device = 0; device < 22; ++device) {
    std::shared_ptr<sim::ScsiDevice> drive =
        device == 21 ? std::shared_ptr<sim::ScsiDevice>(K818r()) : Foreign();
    pc.Aspi().Attach(device / 8, device % 8, 0, drive);
  }
  AspiProcessState aspi(pc);
  TAtapi atapi(pc, aspi);
  EXPECT_EQ(atapi.DeviceCount(), launcher::kMaxDevices);
  EXPECT_EQ(pc.Log().Commands().size(), size_t{launcher::kMaxDevices});
}

TEST(LauncherProbe, CommandWithoutCompletionIsAbortedAfterThirtySeconds) {
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  pc.Aspi().Attach(0, 0, 0, K818r(), sim::Completion::kNever);
  pc.Aspi().Attach(0, 1, 0, K818r(), sim::Completion::kPending);
  AspiProcessState aspi(pc);
  TAtapi atapi(pc, aspi);

  ASSERT_EQ(pc.Log().Aborts().size(), 1u);
  EXPECT_GE(pc.Log().Aborts()[0].timeUs, 30 * kSecond);
  EXPECT_TRUE(pc.Log().Aborts()[0].foundPending);
  // Both stay listed; the one that answered through its event has its text.
  ASSERT_EQ(atapi.DeviceCount(), 2);
  EXPECT_EQ(Text(atapi.Device(1).identification), launcher_test::kK818rText);
  EXPECT_EQ(pc.OpenEvents(), 0);
}

TEST(LauncherProbe, DeviceWhoseInquiryCannotBeSentIsListedWithAnEmptyText) {
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  pc.Aspi().Attach(0, 0, 0, K818r());
  pc.Aspi().Attach(0, 1, 0, K818r());
  pc.FailEventCreation(1);  // the first INQUIRY gets no completion event
  AspiProcessState aspi(pc);
  TAtapi atapi(pc, aspi);
  ASSERT_EQ(atapi.DeviceCount(), 2);
  EXPECT_EQ(Text(atapi.Device(0).identification), std::string(28, '\0'));
  EXPECT_FALSE(TAtapi::IsTargetDrive(atapi.Device(0).identification));
  EXPECT_EQ(Text(atapi.Device(1).identification), launcher_test::kK818rText);
  EXPECT_EQ(pc.Log().Commands().size(), 1u);
}

TEST(LauncherProbe, DeviceTypeThatNeverAnswersIsPassedByAfterThirtySeconds) {
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  pc.SetPumpCostUs(10'000);
  pc.Aspi().Attach(0, 0, 0, Foreign());
  pc.Aspi().SetDevTypePendingPolls(0, 0, 0, sim::AspiManager::kPendingForever);
  pc.Aspi().Attach(0, 1, 0, K818r());
  AspiProcessState aspi(pc);
  TAtapi atapi(pc, aspi);
  ASSERT_EQ(atapi.DeviceCount(), 1);
  EXPECT_EQ(Text(atapi.Device(0).identification), launcher_test::kK818rText);
  EXPECT_GE(pc.Clock().NowUs(), 30 * kSecond);
}

TEST(LauncherProbe, IsTargetDriveWantsTheWholeModelCode) {
  struct Case {
    const char* text;
    bool target;
  };
  const Case cases[] = {
      {"QUAV    OD-K818R        1.01", true},
      {"OTHERCO K818R-CLONE     1.00", true},   // anywhere in the text
      {"OTHERCO CD-ROM 52X     K818R", true},   // its last five characters
      {"QUAV    OD-K8181R       1.01", false},  // the letters, not the sequence
      {"QUAV    OD-K818         1.01", false},
      {"QUAV    OD-K8 18R       1.01", false},
      {"KRKRKRKR 8181818181818 RRRRR", false},
      {"quav    od-k818r        1.01", false},  // case counts
  };
  for (const Case& test : cases) {
    char identification[50] = {};
    std::memcpy(identification, test.text, 28);
    EXPECT_EQ(TAtapi::IsTargetDrive(identification), test.target) << test.text;
  }
  // The whole 28 characters count, even past a NUL inside them.
  char embedded[50] = {};
  std::memcpy(embedded, "QUAV\0   OD-K818R        1.01", 28);
  EXPECT_TRUE(TAtapi::IsTargetDrive(embedded));
}

// ---- The emulation on the NT family without the library -------------------

class EmulationTest : public ::testing::Test {
 protected:
  EmulationTest() {
    pc.AttachCdrom('D', K818r());
    pc.AttachCdrom('F', Foreign());
    // Floppy letters that claim to be CD-ROM drives are never probed.
    pc.AttachCdrom('A', K818r());
    pc.AttachCdrom('B', K818r());
  }

  sim::SimPc pc{sim::WindowsVersion::kWinXp};
  AspiProcessState aspi{pc};
};

TEST_F(EmulationTest, EveryCdromLetterIsOneAdapter) {
  TAtapi atapi(pc, aspi);
  launcher::AspiEmulation& emulation = aspi.Emulation();

  EXPECT_TRUE(aspi.Emulated());
  EXPECT_EQ(emulation.EmuGetASPI32SupportInfo(), 0x0102u);
  EXPECT_EQ(emulation.Letter(3).adapter, 0);  // D:
  EXPECT_EQ(emulation.Letter(5).adapter, 1);  // F:
  for (int letter : {3, 5}) {
    EXPECT_EQ(emulation.Letter(letter).valid, 1);
    EXPECT_EQ(emulation.Letter(letter).target, 0);
    EXPECT_EQ(emulation.Letter(letter).lun, 0);
    EXPECT_EQ(emulation.Letter(letter).letterIndex, letter);
    EXPECT_EQ(emulation.Letter(letter).handle, platform::InvalidHandle());
  }
  EXPECT_EQ(emulation.FindLetterByAddress(1, 0, 0), 5);
  EXPECT_EQ(emulation.FindLetterByAddress(0, 1, 0), 0);

  ASSERT_EQ(atapi.DeviceCount(), 2);
  EXPECT_EQ(Text(atapi.Device(0).identification), launcher_test::kK818rText);
  EXPECT_EQ(Text(atapi.Device(1).identification), launcher_test::kForeignText);
  EXPECT_EQ(atapi.Device(1).hostAdapter, 1);

  for (char letter : pc.OpenedLetters()) EXPECT_TRUE(letter == 'D' || letter == 'F') << letter;
  EXPECT_EQ(pc.OpenDeviceHandles(), 0);
  EXPECT_TRUE(pc.MessageBoxes().empty());
}

TEST_F(EmulationTest, ProbeAndCommandsGoThroughPassThroughAsSet) {
  TAtapi atapi(pc, aspi);
  // The probe: a 6-byte INQUIRY for 100 bytes with a 2-second time-out.
  const auto probes = Inquiries(pc, 6);
  ASSERT_EQ(probes.size(), 2u);
  EXPECT_EQ(probes[0].passThrough.driveLetter, 'D');
  EXPECT_EQ(probes[1].passThrough.driveLetter, 'F');
  for (const sim::CommandRecord& probe : probes) {
    EXPECT_EQ(probe.cdb, (sim::Cdb{0x12, 0, 0, 0, 0x64, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(probe.passThrough.senseInfoLength, 24);
    EXPECT_EQ(probe.passThrough.dataIn, 1);
    EXPECT_EQ(probe.passThrough.dataTransferLength, 100u);
    EXPECT_EQ(probe.passThrough.timeOutValue, 2u);
  }
  // The scan's INQUIRY, carried over from the request block.
  const auto commands = Inquiries(pc, 12);
  ASSERT_EQ(commands.size(), 2u);
  for (const sim::CommandRecord& command : commands) {
    EXPECT_EQ(command.cdb, (sim::Cdb{0x12, 0, 0, 0, 0x24, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(command.passThrough.senseInfoLength, 0);
    EXPECT_EQ(command.passThrough.dataIn, 1);
    EXPECT_EQ(command.passThrough.dataTransferLength, 36u);
    EXPECT_EQ(command.passThrough.timeOutValue, 30u);
  }
  // Windows XP: read and write access, others may read.
  for (const sim::DeviceOpenRecord& open : pc.DeviceOpens()) {
    EXPECT_EQ(open.access, platform::kGenericRead | platform::kGenericWrite);
    EXPECT_EQ(open.share, platform::kFileShareRead);
  }
}

TEST_F(EmulationTest, HostAdapterInquiryDescribesTheEmulatedAdapter) {
  TAtapi atapi(pc, aspi);
  aspi::SRB_HAInquiry inquiry = {};
  inquiry.SRB_Cmd = aspi::SC_HA_INQUIRY;
  inquiry.SRB_HaId = 1;
  EXPECT_EQ(aspi.SendASPI32Command(&inquiry), aspi::SS_COMP);
  EXPECT_EQ(inquiry.SRB_Status, aspi::SS_COMP);
  EXPECT_EQ(inquiry.HA_Count, 2);
  EXPECT_EQ(inquiry.HA_SCSI_ID, 7);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(inquiry.HA_ManagerId), 16), "LOWSPI v0.000001");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(inquiry.HA_Identifier), 16), "SCSI Adapter 1  ");
  const uint8_t unique[16] = {0, 0, 0, 8, 0x00, 0x00, 0x01, 0x00};
  EXPECT_EQ(std::memcmp(inquiry.HA_Unique, unique, 16), 0);

  inquiry.SRB_HaId = 0;
  aspi.SendASPI32Command(&inquiry);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(inquiry.HA_Identifier), 16), "SCSI Adapter 0  ");

  inquiry.SRB_HaId = 2;  // equal to the count
  EXPECT_EQ(aspi.SendASPI32Command(&inquiry), aspi::SS_INVALID_HA);
  EXPECT_EQ(inquiry.SRB_Status, aspi::SS_INVALID_HA);
}

TEST_F(EmulationTest, RequestsOtherThanTheThreeAreRefused) {
  TAtapi atapi(pc, aspi);
  aspi::SRB_GDEVBlock block = {};
  block.SRB_Cmd = aspi::SC_GET_DEV_TYPE;
  block.SRB_HaId = 0;
  block.SRB_Target = 1;  // no drive there
  EXPECT_EQ(aspi.SendASPI32Command(&block), aspi::SS_NO_DEVICE);
  EXPECT_EQ(block.SRB_DeviceType, aspi::DTYPE_UNKNOWN);
  block.SRB_Target = 0;
  EXPECT_EQ(aspi.SendASPI32Command(&block), aspi::SS_COMP);
  EXPECT_EQ(block.SRB_DeviceType, aspi::DTYPE_CDROM);

  aspi::SRB_Abort abort = {};
  abort.SRB_Cmd = aspi::SC_ABORT_SRB;
  EXPECT_EQ(aspi.SendASPI32Command(&abort), aspi::SS_ERR);
  EXPECT_EQ(abort.SRB_Status, aspi::SS_ERR);
  EXPECT_EQ(aspi.SendASPI32Command(nullptr), aspi::SS_ERR);

  aspi::SRB_ExecSCSICmd command = {};
  command.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
  command.SRB_HaId = 2;  // no such adapter
  EXPECT_EQ(aspi.SendASPI32Command(&command), aspi::SS_ERR);
}

TEST_F(EmulationTest, SecondObjectReusesTheLetterTableSilently) {
  TAtapi first(pc, aspi);
  const size_t probesBefore = Inquiries(pc, 6).size();
  TAtapi second(pc, aspi);
  EXPECT_EQ(Inquiries(pc, 6).size(), probesBefore);
  ASSERT_EQ(second.DeviceCount(), 2);
  EXPECT_EQ(Text(second.Device(1).identification), launcher_test::kForeignText);
  EXPECT_TRUE(pc.MessageBoxes().empty());
}

TEST(LauncherEmulation, NoAnsweringDriveIsReportedOncePerObject) {
  sim::SimPc pc(sim::WindowsVersion::kWinXp);
  pc.SetDriveType('D', platform::kDriveCdrom);  // a letter without a device
  AspiProcessState aspi(pc);
  TAtapi first(pc, aspi);
  TAtapi second(pc, aspi);
  ASSERT_EQ(pc.MessageBoxes().size(), 2u);
  for (const sim::MessageBoxRecord& box : pc.MessageBoxes()) {
    EXPECT_EQ(box.text, "No CD-ROM Drive detected");
    EXPECT_EQ(box.style, platform::kMbOk);
  }
  EXPECT_EQ(first.DeviceCount(), 0);
  EXPECT_EQ(second.DeviceCount(), 0);
}

TEST(LauncherEmulation, OpenRetriesForTenSecondsThenTriesTheOtherAccessMode) {
  struct Case {
    sim::WindowsVersion windows;
    uint32_t refused;  // rights whose opens fail
    uint32_t firstAccess;
    uint32_t lastAccess;
  };
  const uint32_t read = platform::kGenericRead;
  const uint32_t readWrite = platform::kGenericRead | platform::kGenericWrite;
  const Case cases[] = {
      {sim::WindowsVersion::kWinXp, platform::kGenericWrite, readWrite, read},
      {sim::WindowsVersion::kWin2000, platform::kGenericWrite, readWrite, read},
      {sim::WindowsVersion::kNt4Sp6, platform::kGenericRead, read, readWrite},
  };
  for (const Case& test : cases) {
    sim::SimPc pc(test.windows);
    pc.AttachCdrom('D', K818r());
    pc.RefuseDeviceAccess('D', test.refused);
    launcher::AspiEmulation emulation(pc, pc, pc);
    platform::Handle handle = emulation.OpenDriveLetter(3);
    const std::vector<sim::DeviceOpenRecord>& opens = pc.DeviceOpens();
    ASSERT_GE(opens.size(), 3u);
    EXPECT_EQ(opens.front().access, test.firstAccess);
    EXPECT_EQ(opens.back().access, test.lastAccess);
    EXPECT_EQ(opens.back().letter, 'D');
    // The other mode only once the first has failed for 10 s.
    EXPECT_GE(opens.back().timeUs - opens.front().timeUs, 10 * kSecond);
    EXPECT_LT(opens.back().timeUs - opens.front().timeUs, 11 * kSecond);
    if (test.refused == platform::kGenericRead) {
      EXPECT_EQ(handle, platform::InvalidHandle());  // both modes read
    } else {
      EXPECT_NE(handle, platform::InvalidHandle());
      pc.CloseHandle(handle);
    }
  }
}

TEST(LauncherEmulation, OpenThatSucceedsWithinTheRetriesKeepsItsAccessMode) {
  sim::SimPc pc(sim::WindowsVersion::kWinXp);
  pc.AttachCdrom('E', K818r());
  pc.FailOpen('E', platform::kErrorAccessDenied, 3);
  launcher::AspiEmulation emulation(pc, pc, pc);
  platform::Handle handle = emulation.OpenDriveLetter(4);
  ASSERT_NE(handle, platform::InvalidHandle());
  ASSERT_EQ(pc.DeviceOpens().size(), 4u);
  EXPECT_EQ(pc.DeviceOpens().back().access, platform::kGenericRead | platform::kGenericWrite);
  pc.CloseHandle(handle);
}

TEST(LauncherEmulation, CommandOnALetterThatNoLongerOpensFails) {
  sim::SimPc pc(sim::WindowsVersion::kWinXp);
  pc.AttachCdrom('D', K818r());
  launcher::AspiEmulation emulation(pc, pc, pc);
  ASSERT_EQ(emulation.EnumerateCdromLetters(), 1);
  pc.FailOpen('D');

  uint8_t data[36] = {};
  aspi::SRB_ExecSCSICmd command = {};
  command.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
  command.SRB_Flags = aspi::SRB_DIR_IN;
  command.SRB_BufLen = sizeof data;
  command.SRB_BufPointer = data;
  command.SRB_CDBLen = 12;
  command.CDBByte[0] = 0x12;
  command.CDBByte[4] = 36;
  EXPECT_EQ(emulation.EmuSendASPI32Command(&command), aspi::SS_ERR);
  // Nothing reached the drive: no command went out on a handle that never opened.
  EXPECT_TRUE(Inquiries(pc, 12).empty());
  EXPECT_EQ(emulation.Letter(3).valid, 1);  // the letter stays in the table
  EXPECT_EQ(pc.BadCloses(), 0);
}

TEST(LauncherEmulation, MediaChangeOrBadHandleGetsOneFreshProbeAndOneRetry) {
  struct Case {
    uint32_t error;
    int failures;  // of the command, after the probe's own INQUIRY
    uint8_t status;
  };
  const Case cases[] = {
      {platform::kErrorMediaChanged, 1, aspi::SS_COMP},
      {platform::kErrorInvalidHandle, 1, aspi::SS_COMP},
      {platform::kErrorMediaChanged, 2, aspi::SS_ERR},  // one retry only
      {platform::kErrorIoDevice, 1, aspi::SS_ERR},      // no retry for other errors
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(testing::Message() << test.error << " x" << test.failures);
    sim::SimPc pc(sim::WindowsVersion::kWinXp);
    auto drive = K818r();
    pc.AttachCdrom('D', drive);
    launcher::AspiEmulation emulation(pc, pc, pc);
    ASSERT_EQ(emulation.EnumerateCdromLetters(), 1);
    // The INQUIRYs after the probe's fail; a re-probe counts among them.
    drive->AddFault(sim::Fault::TransportError(sim::CommandKind::kInquiry, 2, test.error)
                        .Times(test.failures == 1 ? 1 : 3));

    uint8_t data[36] = {};
    aspi::SRB_ExecSCSICmd command = {};
    command.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
    command.SRB_Flags = aspi::SRB_DIR_IN;
    command.SRB_BufLen = sizeof data;
    command.SRB_BufPointer = data;
    command.SRB_CDBLen = 12;
    const uint8_t cdb[12] = {0x12, 0, 0, 0, 36, 0, 0, 0, 0, 0, 0, 0};
    std::memcpy(command.CDBByte, cdb, sizeof cdb);

    EXPECT_EQ(emulation.EmuSendASPI32Command(&command), test.status);
    EXPECT_EQ(command.SRB_Status, test.status);
    const bool retried = test.error != platform::kErrorIoDevice;
    // probe, command, then (on a retry) probe again and command again
    EXPECT_EQ(Inquiries(pc, 6).size(), retried ? 2u : 1u);
    EXPECT_EQ(Inquiries(pc, 12).size(), retried ? 2u : 1u);
    EXPECT_EQ(emulation.Letter(3).adapter, 0);
    EXPECT_EQ(emulation.Letter(3).handle, platform::InvalidHandle());
    // A handle the system called invalid is not closed again; the others are closed.
    if (test.error != platform::kErrorInvalidHandle) {
      EXPECT_EQ(pc.OpenDeviceHandles(), 0);
    }
    EXPECT_EQ(pc.BadCloses(), 0);
    if (test.status == aspi::SS_COMP) {
      EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 8), 8), "QUAV    ");
    }
  }
}

}  // namespace
