// How each final result ends on the update page, in both languages, with the
// flasher's own catalogue.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/UpdateOutcome.h"
#include "sim/SimPc.h"
#include "tests/app/FlasherPc.h"

namespace {

struct Shown {
  enum Kind { kPage, kBox } kind;
  std::string text;
  bool exitEnabled = false;
  size_t restartsBefore = 0;  // restart requests made before this was shown
};

class RecordingDisplay : public OutcomeDisplay {
 public:
  explicit RecordingDisplay(sim::SimPc& pc) : pc_(pc) {}
  void ShowPage(const std::string& text, bool exitEnabled) override {
    shown.push_back({Shown::kPage, text, exitEnabled, pc_.ExitWindowsCalls().size()});
  }
  void ShowBox(const std::string& text) override {
    shown.push_back({Shown::kBox, text, false, pc_.ExitWindowsCalls().size()});
  }
  std::vector<Shown> shown;

 private:
  sim::SimPc& pc_;
};

const char kEnglishExitHint[] = "\r\n\r\nPlease click \" Exit \" to exit this program.";
const char kJapaneseExitHint[] = "\r\n\r\n\"Exit\"をクリックして、プログラムを終了して下さい。";

struct OutcomeCase {
  uint8_t result;
  Language language;
  const char* text;
  bool restart;
};

const OutcomeCase kCases[] = {
    {RESULT_FINISHED, Language::kEnglish,
     "Firmware has been updated successfully.\nYour computer will be restarted. ", true},
    {RESULT_FINISHED, Language::kJapanese,
     "更新が成功しました。コンピューターのシャットダウンが必要です。\r\n", true},
    {RESULT_IMAGE_REJECTED, Language::kEnglish,
     "Found CHECKSUM ERR.\n\nNotice:\n  1. Perhaps \"DMA mode\" is turned on. Please use \"PIO "
     "mode\".\n  2. Check you have a correct firmware file please.\n  3. Make sure all "
     "application have been closed.\n",
     false},
    {RESULT_IMAGE_REJECTED, Language::kJapanese,
     "CHECKSUM ERRが発生しています。\r\n\r\n以下の注意事項を確認してください。\r\n  1.　 "
     "ドライブのデータ転送モードは、PIOモードにしてください。\r\n  2.  "
     "ファームウェアファイルを確認してください。\r\n  3.  "
     "更新前に、他の実行中のアプリケーションを全て終了して下さい。\r\n",
     false},
    {RESULT_DRIVE_REJECTED, Language::kEnglish,
     "The firmware of your drive doesn't need to be updated. ", false},
    {RESULT_DRIVE_REJECTED, Language::kJapanese,
     "このドライブのファームウェアはバージョンアップの必要がありません。", false},
    {RESULT_FLASH_FAILED, Language::kEnglish,
     "OD-K818R Firmware update is Failed.\r\n\r\nFound hardware error. Your drive cannot be "
     "updated to new firmware.\n\n ",
     false},
    {RESULT_FLASH_FAILED, Language::kJapanese,
     "OD-K818Rファームウェアの更新に失敗しました。\r\n\r\n"
     "ハードウェアエラーが発生しています。\r\nご使用のドライブは修理する必要があると思われます。"
     "\r\n\r\n",
     false},
    // No worker: the drive got nothing, which is no hardware error.
    {RESULT_NOT_STARTED, Language::kEnglish,
     "OD-K818R Firmware update is Failed.\r\n\r\nThe update could not be started. Nothing was "
     "sent to the drive; its firmware is unchanged.",
     false},
    {RESULT_NOT_STARTED, Language::kJapanese,
     "OD-K818Rファームウェアの更新に失敗しました。\r\n\r\n更新を開始できませんでした。"
     "ドライブには何も送信されていないため、ファームウェアは変更されていません。",
     false},
};

TEST(UpdateOutcome, EachResultInEachLanguage) {
  for (const OutcomeCase& c : kCases) {
    SCOPED_TRACE("result " + std::to_string(c.result) +
                 (c.language == Language::kJapanese ? ", Japanese" : ", English"));
    sim::SimPc pc(sim::WindowsVersion::kWin98);
    flasher_pc::InstallFlasherResources(pc);
    CAtapi atapi(pc);
    RecordingDisplay display(pc);
    ConcludeUpdate(pc, atapi, c.result, c.language, "OD-K818R", display);

    const auto& shown = display.shown;
    ASSERT_GE(shown.size(), 2u);
    // The page holds the text before the box repeats it; no button is usable.
    EXPECT_EQ(shown[0].kind, Shown::kPage);
    EXPECT_EQ(shown[0].text, c.text);
    EXPECT_FALSE(shown[0].exitEnabled);
    EXPECT_EQ(shown[1].kind, Shown::kBox);
    EXPECT_EQ(shown[1].text, c.text);
    EXPECT_EQ(shown[1].restartsBefore, 0u) << "the box comes before any restart";

    const std::string hint =
        c.language == Language::kJapanese ? kJapaneseExitHint : kEnglishExitHint;
    if (c.restart) {
      ASSERT_EQ(shown.size(), 2u) << "the page stays as it is while Windows restarts";
      ASSERT_EQ(pc.ExitWindowsCalls().size(), 1u);
      EXPECT_EQ(pc.ExitWindowsCalls()[0].flags, platform::kEwxReboot | platform::kEwxForce);
    } else {
      ASSERT_EQ(shown.size(), 3u);
      EXPECT_EQ(shown[2].kind, Shown::kPage);
      EXPECT_EQ(shown[2].text, c.text + hint);
      EXPECT_TRUE(shown[2].exitEnabled);
      EXPECT_TRUE(pc.ExitWindowsCalls().empty()) << "no restart without a verified flash";
    }
  }
}

TEST(UpdateOutcome, ARefusedRestartLeavesTheRestartNoticeAndExit) {
  for (Language language : {Language::kEnglish, Language::kJapanese}) {
    sim::SimPc pc(sim::WindowsVersion::kWinXp);
    flasher_pc::InstallFlasherResources(pc);
    pc.SetExitWindowsResult(false);
    CAtapi atapi(pc);
    RecordingDisplay display(pc);
    ConcludeUpdate(pc, atapi, RESULT_FINISHED, language, "OD-K818R", display);

    ASSERT_EQ(display.shown.size(), 3u);
    EXPECT_EQ(display.shown[1].kind, Shown::kBox);
    const Shown& last = display.shown[2];
    EXPECT_EQ(last.kind, Shown::kPage);
    EXPECT_TRUE(last.exitEnabled);
    EXPECT_EQ(last.restartsBefore, 1u);
    EXPECT_EQ(last.text,
              language == Language::kEnglish
                  ? std::string("Firmware has been updated successfully\r\nYou must restart the "
                                "PC for OD-K818R to work correctly.\r\nRestart your PC "
                                "immediately.") +
                        kEnglishExitHint
                  : std::string("ファームウェア更新が成功しました。\r\nOD-K818Rを使用する為に、"
                                "PCの再起動が必要です。\r\nPCを再起動して下さい。") +
                        kJapaneseExitHint);
    EXPECT_EQ(pc.ExitWindowsCalls().size(), 1u) << "asked once, not again";
  }
}

}  // namespace
