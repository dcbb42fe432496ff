// Building and tearing down the drive object: transport choice, the ASPI
// library, and what is left open at the end.
#include <gtest/gtest.h>

#include "sim/SimPc.h"
#include "tests/transport/Drives.h"
#include "transport/Atapi.h"

namespace {

using testing_drives::K818r;

TEST(Startup, TransportFollowsThePlatformFamily) {
  for (auto windows :
       {sim::WindowsVersion::kWin95, sim::WindowsVersion::kWin98, sim::WindowsVersion::kWinMe,
        sim::WindowsVersion::kNt4Sp6, sim::WindowsVersion::kWin2000, sim::WindowsVersion::kWinXp}) {
    sim::SimPc pc(windows);
    CAtapi atapi(pc);
    EXPECT_EQ(atapi.IsNtFamily(), sim::IsNtFamily(windows));
    EXPECT_EQ(pc.LibraryLoads(), sim::IsNtFamily(windows) ? 0 : 1);
  }
}

TEST(Startup, AspiLibraryIsLoadedFromTheSystemFolder) {
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  pc.SetSystemDirectoryPath("C:\\WIN98\\SYSTEM");
  CAtapi atapi(pc);
  ASSERT_EQ(pc.LoadLibraryPaths().size(), 1u);
  EXPECT_EQ(pc.LoadLibraryPaths()[0], "C:\\WIN98\\SYSTEM\\WNASPI32.DLL");
}

TEST(Startup, MissingAspiLibraryIsReportedBeforeAnythingElse) {
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  pc.RemoveAspiLibrary();
  pc.SetDriveType('D', platform::kDriveCdrom);
  pc.Aspi().Attach(0, 1, 0, K818r());
  CAtapi atapi(pc);

  ASSERT_EQ(pc.MessageBoxes().size(), 1u);
  EXPECT_EQ(pc.MessageBoxes()[0].text, "WNASPI32.DLL not found");
  EXPECT_EQ(pc.MessageBoxes()[0].style & 0x0F, platform::kMbOk);
  EXPECT_EQ(atapi.DriveCount(), 0);
  EXPECT_TRUE(pc.Log().DevTypeRequests().empty());

  // Nothing reaches a drive later either.
  EXPECT_EQ(atapi.TestUnitReady(), aspi::SS_ERR);
  EXPECT_TRUE(pc.Log().Commands().empty());
}

TEST(Startup, MissingEntryPointMeansNoScanAndNoCommands) {
  for (bool supportInfo : {false, true}) {
    sim::SimPc pc(sim::WindowsVersion::kWin98);
    pc.InstallAspiLibrary(supportInfo, !supportInfo);
    pc.Aspi().Attach(0, 1, 0, K818r());
    CAtapi atapi(pc);
    EXPECT_EQ(atapi.DriveCount(), 0);
    EXPECT_EQ(atapi.TestUnitReady(), aspi::SS_ERR);
    EXPECT_TRUE(pc.Log().Commands().empty());
    EXPECT_TRUE(pc.Log().DevTypeRequests().empty());
  }
}

TEST(Startup, DestructionReleasesWhatConstructionTook) {
  {
    sim::SimPc pc(sim::WindowsVersion::kWinXp);
    pc.AttachCdrom('E', K818r());
    pc.AttachCdrom('F', K818r("1.16"));
    pc.AttachCdrom('G', K818r());
    { CAtapi atapi(pc); }
    EXPECT_EQ(pc.OpenDeviceHandles(), 0);
    EXPECT_EQ(pc.BadCloses(), 0);
  }
  {
    sim::SimPc pc(sim::WindowsVersion::kWin98);
    { CAtapi atapi(pc); }
    EXPECT_EQ(pc.LibraryUnloads(), 1);
  }
}

TEST(Startup, AnEarlierDriveObjectsLibraryIsNotUsedByALaterOne) {
  {
    sim::SimPc pc(sim::WindowsVersion::kWin98);
    CAtapi atapi(pc);
  }
  sim::SimPc pc(sim::WindowsVersion::kWin98);
  pc.RemoveAspiLibrary();
  CAtapi atapi(pc);
  EXPECT_EQ(atapi.TestUnitReady(), aspi::SS_ERR);
}

}  // namespace
