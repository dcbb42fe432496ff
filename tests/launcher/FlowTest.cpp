// The launcher's start-up flow and the "Caution" form's answers, on every
// road: what is started, what is written to the registry, what is shown.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

#include "launcher/Atapiobj.h"
#include "launcher/Autoinsertnotification.h"
#include "launcher/Main.h"
#include "launcher/MainForm.h"
#include "sim/SimPc.h"
#include "tests/launcher/LauncherDrives.h"

namespace {

using launcher_test::Foreign;
using launcher_test::K818r;

constexpr char kTarget[] = "QUAV    OD-K818R        1.01";
constexpr char kSecondTarget[] = "QUAV    OD-K818R        2.03";
constexpr char kForeign[] = "OTHERCO CD-ROM 52X      1.00";
constexpr int kNoKey = -2;  // no instance key at all
constexpr int kUnset = -1;  // an instance key without the value

class FakeForm : public launcher::MainFormRunner {
 public:
  void RunMainForm() override {
    ++shown;
    if (onShow) onShow();
  }
  int shown = 0;
  std::function<void()> onShow;
};

// The launcher on one simulated PC: its two drive objects, built in the
// order the program builds them, and the flow run once.
class Launcher {
 public:
  explicit Launcher(sim::WindowsVersion windows) : pc(windows) { pc.AddFile("FlashK818R.exe", {}); }

  // The drive's instance key, with its setting unless kUnset.
  void SeedSetting(const char* identification, int value) {
    if (value == kNoKey) return;
    const std::string key = "HKLM\\" + launcher::ModelKeyPath(identification) + "\\0000";
    pc.Registry().AddKey(key);
    pc.Registry().SetString(key, "RevisionLevel", std::string(identification + 24, 4));
    if (value != kUnset) {
      pc.Registry().SetValue(key, "AutoInsertNotification", platform::kRegBinary,
                             {static_cast<uint8_t>(value)});
    }
  }
  int Setting(const char* identification) {
    const std::string key = "HKLM\\" + launcher::ModelKeyPath(identification) + "\\0000";
    auto value = pc.Registry().Value(key, "AutoInsertNotification");
    return value && value->bytes.size() == 1 ? value->bytes[0] : kUnset;
  }

  int Run() {
    aspi = std::make_unique<launcher::AspiProcessState>(pc);
    mainAtapi = std::make_unique<launcher::TAtapi>(pc, *aspi);
    flowAtapi = std::make_unique<launcher::TAtapi>(pc, *aspi);
    return launcher::RunLauncher(pc, *flowAtapi, form);
  }
  void AnswerYes() {
    form.onShow = [this] { launcher::BtnYesClick(pc, *mainAtapi); };
  }

  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const sim::MessageBoxRecord& box : pc.MessageBoxes()) texts.push_back(box.text);
    return texts;
  }

  sim::SimPc pc;
  FakeForm form;
  std::unique_ptr<launcher::AspiProcessState> aspi;
  std::unique_ptr<launcher::TAtapi> mainAtapi;
  std::unique_ptr<launcher::TAtapi> flowAtapi;
};

void ExpectErrorBox(const sim::MessageBoxRecord& box, const std::string& text) {
  EXPECT_EQ(box.text, text);
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.style, platform::kMbOk);  // OK only, no icon
}

TEST(LauncherFlow, NtFamilyStartsTheFlasherAtOnce) {
  for (auto windows :
       {sim::WindowsVersion::kNt4Sp6, sim::WindowsVersion::kWin2000, sim::WindowsVersion::kWinXp}) {
    for (bool drive : {true, false}) {
      SCOPED_TRACE(testing::Message() << static_cast<int>(windows) << (drive ? " drive" : ""));
      Launcher launcher(windows);
      if (drive) launcher.pc.AttachCdrom('D', K818r());
      launcher.SeedSetting(kTarget, 1);
      EXPECT_EQ(launcher.Run(), 0);

      ASSERT_EQ(launcher.pc.Processes().Attempts().size(), 1u);
      const sim::ProgramStartRecord& start = launcher.pc.Processes().Attempts()[0];
      EXPECT_EQ(start.applicationName, "FlashK818R.exe");
      EXPECT_FALSE(start.commandLineGiven);
      EXPECT_TRUE(start.processHandleInheritable);
      EXPECT_FALSE(start.threadHandleInheritable);
      EXPECT_FALSE(start.inheritHandles);
      EXPECT_EQ(start.creationFlags, 0u);
      EXPECT_TRUE(start.started);

      EXPECT_TRUE(launcher.pc.Registry().Opens().empty());
      EXPECT_EQ(launcher.form.shown, 0);
      // Only the probe's own message, once per drive object, when no drive answers.
      const std::vector<std::string> probeBoxes(drive ? 0 : 2, "No CD-ROM Drive detected");
      EXPECT_EQ(launcher.Boxes(), probeBoxes);
    }
  }
}

TEST(LauncherFlow, NtFamilyWithoutTheFlasherSaysSo) {
  Launcher launcher(sim::WindowsVersion::kWinXp);
  launcher.pc.AttachCdrom('D', K818r());
  launcher.pc.Files().RemoveFile("FlashK818R.exe");
  EXPECT_EQ(launcher.Run(), 0);
  ASSERT_EQ(launcher.pc.MessageBoxes().size(), 1u);
  ExpectErrorBox(launcher.pc.MessageBoxes()[0], "FlashK818R.exe does not exist!");
}

TEST(LauncherFlow, Windows98RoadsFollowTheSetting) {
  struct Case {
    const char* road;
    int setting;  // of the target drive before the run
    bool flasherPresent;
    bool formShown;
    bool started;
    int settingAfter;
    const char* box;
  };
  const Case cases[] = {
      {"on: ask first", 1, true, true, false, 1, nullptr},
      {"off: start, then on again", 0, true, false, true, 1, nullptr},
      {"neither 0 nor 1 counts as off", 5, true, false, true, 1, nullptr},
      {"no instance key: start, and the write finds nothing", kNoKey, true, false, true, kUnset,
       nullptr},
      {"no value: start, and the write makes it", kUnset, true, false, true, 1, nullptr},
      {"flasher missing: nothing written", 0, false, false, false, 0,
       "FlashK818R.exe does not exist!"},
  };
  for (auto windows :
       {sim::WindowsVersion::kWin95, sim::WindowsVersion::kWin98, sim::WindowsVersion::kWinMe}) {
    for (const Case& test : cases) {
      SCOPED_TRACE(testing::Message() << static_cast<int>(windows) << " " << test.road);
      Launcher launcher(windows);
      launcher.pc.Aspi().Attach(0, 1, 0, K818r());
      launcher.SeedSetting(kTarget, test.setting);
      if (!test.flasherPresent) launcher.pc.Files().RemoveFile("FlashK818R.exe");
      EXPECT_EQ(launcher.Run(), 0);

      EXPECT_EQ(launcher.form.shown, test.formShown ? 1 : 0);
      EXPECT_EQ(launcher.pc.Processes().Started().size(), test.started ? 1u : 0u);
      EXPECT_EQ(launcher.Setting(kTarget), test.settingAfter);
      if (test.formShown) {
        EXPECT_EQ(launcher.pc.Registry().ValueWrites(), 0);
      }
      if (test.box != nullptr) {
        ASSERT_EQ(launcher.pc.MessageBoxes().size(), 1u);
        ExpectErrorBox(launcher.pc.MessageBoxes()[0], test.box);
      } else {
        EXPECT_TRUE(launcher.pc.MessageBoxes().empty());
      }
      EXPECT_EQ(launcher.pc.Registry().OpenKeys(), 0);
      EXPECT_TRUE(launcher.pc.ExitWindowsCalls().empty());
    }
  }
}

TEST(LauncherFlow, NoTargetDriveIsReported) {
  struct Case {
    const char* setup;
    bool library;
    std::vector<std::string> boxes;
  };
  const Case cases[] = {
      {"a foreign drive only", true, {"K818R does not exist!"}},
      {"no ASPI library",
       false,
       {"WNASPI32.DLL not found", "WNASPI32.DLL not found", "K818R does not exist!"}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.setup);
    Launcher launcher(sim::WindowsVersion::kWin98);
    if (!test.library) launcher.pc.RemoveAspiLibrary();
    launcher.pc.Aspi().Attach(0, 0, 0, Foreign());
    EXPECT_EQ(launcher.Run(), 0);
    EXPECT_EQ(launcher.Boxes(), test.boxes);
    ExpectErrorBox(launcher.pc.MessageBoxes().back(), "K818R does not exist!");
    EXPECT_TRUE(launcher.pc.Processes().Attempts().empty());
    EXPECT_TRUE(launcher.pc.Registry().Opens().empty());
  }
}

TEST(LauncherFlow, OnlyTargetDrivesAreReadAndWritten) {
  // The foreign drive's setting is on, but it is not the drive to update.
  Launcher launcher(sim::WindowsVersion::kWin98);
  launcher.pc.Aspi().Attach(0, 0, 0, Foreign());
  launcher.pc.Aspi().Attach(0, 1, 0, K818r());
  launcher.SeedSetting(kForeign, 1);
  launcher.SeedSetting(kTarget, 0);
  launcher.Run();
  EXPECT_EQ(launcher.form.shown, 0);
  EXPECT_EQ(launcher.pc.Processes().Started(), std::vector<std::string>{"FlashK818R.exe"});
  EXPECT_EQ(launcher.Setting(kTarget), 1);
  EXPECT_EQ(launcher.Setting(kForeign), 1);
  for (const sim::RegistryOpen& open : launcher.pc.Registry().Opens()) {
    EXPECT_EQ(open.path.find("OTHERCO"), std::string::npos) << open.path;
  }
}

TEST(LauncherFlow, TargetDriveBeyondTheFourthRowCountsLikeAnyOther) {
  for (bool settingOn : {false, true}) {
    SCOPED_TRACE(settingOn ? "on, Yes" : "off");
    Launcher launcher(sim::WindowsVersion::kWin98);
    for (int target = 0; target < 5; ++target) launcher.pc.Aspi().Attach(0, target, 0, Foreign());
    launcher.pc.Aspi().Attach(0, 5, 0, K818r());
    launcher.SeedSetting(kTarget, settingOn ? 1 : 0);
    launcher.AnswerYes();
    launcher.Run();
    ASSERT_EQ(launcher.flowAtapi->DeviceCount(), 6);
    EXPECT_EQ(launcher.form.shown, settingOn ? 1 : 0);
    EXPECT_EQ(launcher.Setting(kTarget), settingOn ? 0 : 1);
  }
}

TEST(CautionForm, YesSwitchesEveryTargetDriveOffAndRestarts) {
  Launcher launcher(sim::WindowsVersion::kWin98);
  launcher.pc.Aspi().Attach(0, 0, 0, K818r());
  launcher.pc.Aspi().Attach(0, 1, 0, Foreign());
  launcher.pc.Aspi().Attach(1, 0, 0, K818r("2.03"));
  launcher.SeedSetting(kTarget, 1);
  launcher.SeedSetting(kForeign, 1);
  launcher.SeedSetting(kSecondTarget, 1);
  launcher.AnswerYes();
  EXPECT_EQ(launcher.Run(), 0);

  EXPECT_EQ(launcher.form.shown, 1);
  EXPECT_EQ(launcher.Setting(kTarget), 0);
  EXPECT_EQ(launcher.Setting(kSecondTarget), 0);
  EXPECT_EQ(launcher.Setting(kForeign), 1);
  ASSERT_EQ(launcher.pc.ExitWindowsCalls().size(), 1u);
  EXPECT_EQ(launcher.pc.ExitWindowsCalls()[0].flags, platform::kEwxReboot | platform::kEwxForce);
  EXPECT_TRUE(launcher.pc.ExitWindowsCalls()[0].privilegeEnabledBefore);
  EXPECT_TRUE(launcher.pc.Processes().Attempts().empty());
  EXPECT_TRUE(launcher.pc.MessageBoxes().empty());
  EXPECT_EQ(launcher.pc.Registry().OpenKeys(), 0);
}

TEST(CautionForm, YesRestartsEvenWhenAWriteFails) {
  Launcher launcher(sim::WindowsVersion::kWin98);
  launcher.pc.Aspi().Attach(0, 0, 0, K818r());
  launcher.SeedSetting(kTarget, 1);
  launcher.Run();  // the form is shown, nobody answers
  launcher.pc.Registry().FailOpen("HKLM\\" + launcher::ModelKeyPath(kTarget));
  launcher::BtnYesClick(launcher.pc, *launcher.mainAtapi);
  EXPECT_EQ(launcher.Setting(kTarget), 1);
  EXPECT_EQ(launcher.pc.ExitWindowsCalls().size(), 1u);
}

TEST(CautionForm, MemoHoldsItsFourLinesExactly) {
  EXPECT_EQ(launcher::main_form::MemoText(),
            "Because of the distinction of Windows 95/98 operating system, \r\n"
            "Updater has to make some system-level setting and reboot your \r\n"
            "computer before updating. After rebooting, you have to excuse \r\n"
            "Updater again to process updating. Are you sure to continue?");
}

TEST(LauncherFlow, AnErrorThatEscapesIsShownOnceAndTheExitCodeStaysZero) {
  struct Case {
    std::function<void()> fault;
    std::string text;
  };
  const Case cases[] = {
      {[] { throw std::runtime_error("Out of memory"); }, "Out of memory"},
      {[] { throw 42; }, ""},
  };
  for (const Case& test : cases) {
    Launcher launcher(sim::WindowsVersion::kWin98);
    launcher.pc.Aspi().Attach(0, 1, 0, K818r());
    launcher.SeedSetting(kTarget, 1);
    launcher.form.onShow = test.fault;
    EXPECT_EQ(launcher.Run(), 0);
    ASSERT_EQ(launcher.pc.MessageBoxes().size(), 1u);
    EXPECT_EQ(launcher.pc.MessageBoxes()[0].text, test.text);
    EXPECT_EQ(launcher.pc.MessageBoxes()[0].caption, "UpdaterK818R");
    EXPECT_EQ(launcher.pc.MessageBoxes()[0].style, platform::kMbOk | platform::kMbIconStop);
  }
}

}  // namespace
