#include <gtest/gtest.h>

#include <cstring>

#include "platform/AspiRecords.h"
#include "sim/K818rDrive.h"
#include "sim/SimPc.h"

namespace {

using sim::SimPc;
using sim::WindowsVersion;

TEST(SimPcVersion, PresetsReportWhatThoseSystemsReport) {
  struct Case {
    WindowsVersion version;
    uint32_t major, minor, build16, platformId;
    const char* servicePack;
  };
  const Case cases[] = {
      {WindowsVersion::kWin95, 4, 0, 950, 1, ""},
      {WindowsVersion::kWin98, 4, 10, 1998, 1, " "},
      {WindowsVersion::kWin98Se, 4, 10, 2222, 1, " A "},
      {WindowsVersion::kWinMe, 4, 90, 3000, 1, " "},
      {WindowsVersion::kNt4Sp5, 4, 0, 1381, 2, "Service Pack 5"},
      {WindowsVersion::kNt4Sp6, 4, 0, 1381, 2, "Service Pack 6"},
      {WindowsVersion::kWin2000, 5, 0, 2195, 2, "Service Pack 4"},
      {WindowsVersion::kWinXp, 5, 1, 2600, 2, "Service Pack 3"},
  };
  for (const Case& c : cases) {
    SimPc pc(c.version);
    platform::OsVersion version;
    ASSERT_TRUE(pc.QueryVersion(version));
    EXPECT_EQ(version.major, c.major);
    EXPECT_EQ(version.minor, c.minor);
    EXPECT_EQ(version.build & 0xFFFF, c.build16);
    EXPECT_EQ(version.platformId, c.platformId);
    EXPECT_STREQ(version.servicePack, c.servicePack);
  }
  SimPc pc;
  pc.FailVersionQuery();
  platform::OsVersion version;
  EXPECT_FALSE(pc.QueryVersion(version));
}

TEST(SimPcSystem, SystemDirectoryAnswersLikeGetSystemDirectory) {
  SimPc pc(WindowsVersion::kWin98);
  char buffer[64];
  EXPECT_EQ(pc.SystemDirectory(buffer, sizeof buffer), 17u);
  EXPECT_STREQ(buffer, "C:\\WINDOWS\\SYSTEM");
  char small[8] = "keep";
  EXPECT_EQ(pc.SystemDirectory(small, sizeof small), 18u) << "the size it needs";
  EXPECT_STREQ(small, "keep");
}

TEST(SimPcSystem, ErrorTextsForTheKnownCodesOnlyAndOnlyWhenTheyFit) {
  SimPc pc;
  char text[80];
  ASSERT_TRUE(pc.SystemErrorText(5, text, sizeof text));
  EXPECT_STREQ(text, "Access is denied.\r\n");
  for (uint32_t code : {50u, 121u, 1117u}) {
    EXPECT_TRUE(pc.SystemErrorText(code, text, sizeof text)) << code;
    EXPECT_NE(std::strstr(text, "\r\n"), nullptr);
  }
  EXPECT_FALSE(pc.SystemErrorText(4321, text, sizeof text));
  EXPECT_EQ(pc.LastError(), sim::kErrorMrMidNotFound);
  EXPECT_FALSE(pc.SystemErrorText(5, text, 19)) << "19 characters and the NUL need 20";
  EXPECT_EQ(pc.LastError(), sim::kErrorInsufficientBuffer);
  pc.SetSystemErrorText(1167, std::string(90, 'x'));
  EXPECT_FALSE(pc.SystemErrorText(1167, text, sizeof text));
}

TEST(SimPcAspiLibrary, LoadsFromTheSystemDirectoryAndForwardsToTheManager) {
  SimPc pc(WindowsVersion::kWin98);
  pc.Aspi().Attach(0, 1, 0, std::make_shared<sim::K818rDrive>());
  EXPECT_EQ(pc.LoadLibraryAt("WNASPI32.DLL"), nullptr) << "only the full path";
  platform::Module module = pc.LoadLibraryAt("c:\\windows\\system\\wnaspi32.dll");
  ASSERT_NE(module, nullptr);
  auto supportInfo = reinterpret_cast<aspi::GetASPI32SupportInfoFn>(
      pc.ProcAddress(module, "GetASPI32SupportInfo"));
  auto send =
      reinterpret_cast<aspi::SendASPI32CommandFn>(pc.ProcAddress(module, "SendASPI32Command"));
  ASSERT_NE(supportInfo, nullptr);
  ASSERT_NE(send, nullptr);
  EXPECT_EQ(pc.ProcAddress(module, "sendaspi32command"), nullptr) << "names are case-sensitive";
  EXPECT_EQ(supportInfo(), 0x0101u);
  aspi::SRB_GDEVBlock block{aspi::SC_GET_DEV_TYPE, 0, 0, 0, 0, 1, 0, 0, 0};
  send(&block);
  EXPECT_EQ(block.SRB_Status, aspi::SS_COMP);
  EXPECT_EQ(block.SRB_DeviceType, aspi::DTYPE_CDROM);
  pc.UnloadLibrary(module);
  EXPECT_EQ(pc.LibraryLoads(), 1);
  EXPECT_EQ(pc.LibraryUnloads(), 1);
  EXPECT_EQ(pc.ProcAddress(module, "SendASPI32Command"), nullptr) << "unloaded";
}

TEST(SimPcAspiLibrary, MissingLibraryOrEntryPoint) {
  SimPc nt(WindowsVersion::kWinXp);
  EXPECT_EQ(nt.LoadLibraryAt("C:\\WINDOWS\\system32\\WNASPI32.DLL"), nullptr);
  EXPECT_EQ(nt.LastError(), sim::kErrorModNotFound);
  nt.InstallAspiLibrary(true, false);
  platform::Module module = nt.LoadLibraryAt("C:\\WINDOWS\\system32\\WNASPI32.DLL");
  ASSERT_NE(module, nullptr);
  EXPECT_NE(nt.ProcAddress(module, "GetASPI32SupportInfo"), nullptr);
  EXPECT_EQ(nt.ProcAddress(module, "SendASPI32Command"), nullptr);
  EXPECT_EQ(nt.LastError(), sim::kErrorProcNotFound);
}

TEST(SimPcAspiLibrary, EntryPointsFollowTheLivePc) {
  aspi::GetASPI32SupportInfoFn supportInfo = nullptr;
  {
    SimPc first(WindowsVersion::kWin98);
    EXPECT_EQ(SimPc::Active(), &first);
    platform::Module module = first.LoadLibraryAt("C:\\WINDOWS\\SYSTEM\\WNASPI32.DLL");
    supportInfo = reinterpret_cast<aspi::GetASPI32SupportInfoFn>(
        first.ProcAddress(module, "GetASPI32SupportInfo"));
  }
  EXPECT_EQ(SimPc::Active(), nullptr);
  EXPECT_EQ(supportInfo(), 0u) << "no PC, no adapters";
  SimPc second(WindowsVersion::kWin98);
  second.Aspi().SetAdapterCount(2);
  EXPECT_EQ(supportInfo(), 0x0102u);
}

TEST(SimPcEvents, WaitsEndAtTheSignalTheTimeOutOrAScriptedFailure) {
  SimPc pc;
  platform::Handle event = pc.CreateManualEvent();
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(pc.WaitForObject(event, 2500), platform::kWaitTimeout);
  EXPECT_EQ(pc.Clock().NowMs(), 2500u);

  pc.FailWaits(1, 1);
  EXPECT_EQ(pc.WaitForObject(event, 2500), platform::kWaitFailed);
  EXPECT_EQ(pc.Clock().NowMs(), 2500u) << "a failed wait takes no time";

  EXPECT_EQ(pc.WaitForObject(event, sim::kInfinite), platform::kWaitFailed);
  EXPECT_EQ(pc.WaitsWithoutWaker(), 1) << "nothing could ever have signalled it";

  pc.FailEventCreation(2, 1);
  EXPECT_NE(pc.CreateManualEvent(), nullptr);
  EXPECT_EQ(pc.CreateManualEvent(), nullptr);
  EXPECT_NE(pc.CreateManualEvent(), nullptr);
  EXPECT_EQ(pc.OpenEvents(), 3);
  pc.CloseHandle(event);
  EXPECT_EQ(pc.OpenEvents(), 2);
  EXPECT_EQ(pc.WaitForObject(event, 10), platform::kWaitFailed) << "closed";
}

TEST(SimPcTime, BusyWaitOverThePerformanceCounterEndsAndMeasuresVirtualTime) {
  SimPc pc;
  bool fired = false;
  pc.Clock().ScheduleAt(30'000'000, [&fired]() { fired = true; });
  const int64_t frequency = pc.PerformanceFrequency();
  const int64_t start = pc.PerformanceCounter();
  int64_t now = start;
  while ((now - start) / frequency <= 60) now = pc.PerformanceCounter();
  EXPECT_TRUE(fired) << "actions fall due during a busy wait";
  EXPECT_GE(pc.Clock().NowUs(), 61'000'000u);
  EXPECT_LT(pc.Clock().NowUs(), 61'001'000u);
}

TEST(SimPcTime, TickCountWrapsAt32Bits) {
  SimPc pc;
  pc.Clock().SetTickOffsetMs(0xFFFFFF00u);
  const uint32_t start = pc.TickCount();
  pc.SleepFor(1000);
  EXPECT_LT(pc.TickCount(), start);
  EXPECT_EQ(pc.TickCount() - start, 1000u);
}

TEST(SimPcUi, MessageBoxesAreRecordedAndAnsweredFromTheQueueThenByTheFirstButton) {
  SimPc pc;
  pc.QueueMessageBoxAnswer(platform::kIdNo);
  EXPECT_EQ(pc.ShowMessageBox("Restart?", "Caution", platform::kMbYesNo), platform::kIdNo);
  EXPECT_EQ(pc.ShowMessageBox("Again?", "Caution", platform::kMbYesNo | platform::kMbIconQuestion),
            platform::kIdYes);
  EXPECT_EQ(pc.ShowMessageBox("Done", "FlashK818R", platform::kMbOk), platform::kIdOk);
  ASSERT_EQ(pc.MessageBoxes().size(), 3u);
  EXPECT_EQ(pc.MessageBoxes()[0].text, "Restart?");
  EXPECT_EQ(pc.MessageBoxes()[0].caption, "Caution");
  EXPECT_EQ(pc.MessageBoxes()[1].style, platform::kMbYesNo | platform::kMbIconQuestion);
  EXPECT_EQ(pc.MessageBoxes()[0].answer, platform::kIdNo);
}

TEST(SimPcUi, PumpRunsTheHookAndMovesTimeALittle) {
  SimPc pc;
  int hooked = 0;
  pc.SetPumpHook([&hooked]() { ++hooked; });
  pc.PumpOneMessage();
  pc.PumpOneMessage();
  EXPECT_EQ(pc.PumpCount(), 2);
  EXPECT_EQ(hooked, 2);
  EXPECT_GT(pc.Clock().NowUs(), 0u);
}

TEST(SimPcFiles, ReadAndSeekAsTheRuntimeDoes) {
  SimPc pc;
  pc.AddFile("K818R_10.BIN", {1, 2, 3, 4, 5, 6});
  EXPECT_EQ(pc.OpenFileForReading("missing.bin"), nullptr);
  platform::File file = pc.OpenFileForReading("k818r_10.bin");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(pc.OpenFiles(), 1);
  uint8_t buffer[8] = {};
  EXPECT_EQ(pc.ReadFile(file, buffer, 4), 4u);
  EXPECT_EQ(pc.ReadFile(file, buffer, 4), 2u) << "short read at the end";
  EXPECT_EQ(buffer[1], 6);
  EXPECT_TRUE(pc.SeekFile(file, 1));
  EXPECT_EQ(pc.ReadFile(file, buffer, 1), 1u);
  EXPECT_EQ(buffer[0], 2);
  EXPECT_TRUE(pc.SeekFile(file, 64)) << "past the end, as fseek allows";
  EXPECT_EQ(pc.ReadFile(file, buffer, 1), 0u);
  EXPECT_FALSE(pc.SeekFile(file, -1));
  pc.RemoveFile("K818R_10.BIN");
  EXPECT_TRUE(pc.SeekFile(file, 0));
  EXPECT_EQ(pc.ReadFile(file, buffer, 6), 6u) << "an open file keeps its content";
  pc.CloseFile(file);
  pc.CloseFile(file);
  EXPECT_EQ(pc.OpenFiles(), 0);
  EXPECT_EQ(pc.BadCloses(), 1);

  pc.AddFile("K818R_10.BIN", {1});
  pc.FailFileOpen("K818R_10.BIN");
  EXPECT_EQ(pc.OpenFileForReading("K818R_10.BIN"), nullptr);
}

TEST(SimPcMemory, BuffersArePageAlignedNotZeroedAndAccountedFor) {
  SimPc pc;
  pc.FailAllocation(2);
  void* first = pc.AllocateBuffer(65536);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % 4096, 0u);
  EXPECT_EQ(static_cast<uint8_t*>(first)[100], 0xCD);
  EXPECT_EQ(pc.AllocateBuffer(65536), nullptr);
  void* third = pc.AllocateBuffer(10);
  EXPECT_EQ(pc.OutstandingBuffers(), 2);
  pc.FreeBuffer(first);
  pc.FreeBuffer(first);
  pc.FreeBuffer(nullptr);
  EXPECT_EQ(pc.OutstandingBuffers(), 1);
  EXPECT_EQ(pc.BadFrees(), 1);
  pc.FreeBuffer(third);
  EXPECT_EQ(pc.AllocationCalls(), 3);
}

TEST(SimPcRestart, RecordsTheRequestWithItsTime) {
  SimPc pc;
  pc.SleepFor(5000);
  pc.EnableShutdownPrivilege();
  EXPECT_TRUE(pc.ExitWindows(platform::kEwxReboot | platform::kEwxForce));
  ASSERT_EQ(pc.ExitWindowsCalls().size(), 1u);
  EXPECT_EQ(pc.ExitWindowsCalls()[0].flags, 0x06u);
  EXPECT_EQ(pc.ExitWindowsCalls()[0].timeUs, 5'000'000u);
  EXPECT_TRUE(pc.ExitWindowsCalls()[0].privilegeEnabledBefore);
  pc.Trace("Err:Memory allocation");
  EXPECT_EQ(pc.Traces(), std::vector<std::string>{"Err:Memory allocation"});
}

}  // namespace
