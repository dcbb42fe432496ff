// What the update page shows and allows, decided without a window: the
// drive lines, the page text, which of Back, Update and Exit can be
// pressed, and the answer to the confirmation question. The dialog
// (app/win32/UpdateDlg) applies it after every step.
#pragma once

#include <string>
#include <vector>

#include "app/MessageCatalogue.h"
#include "platform/Platform.h"
#include "transport/Atapi.h"

constexpr const char* kNewFirmwareVersion = "1.01";
constexpr const char* kNoDriveCaption = "Error - OD-K818R Upgrade Program";

// What the user can operate on the page. The drive list goes with the
// buttons: a drive chosen while the question is up or the update runs
// would move the drive object away from the drive being written.
struct UpdateButtons {
  bool back = true;
  bool update = true;
  bool exit = true;
  bool driveList = true;
};

class UpdatePage {
 public:
  UpdatePage(platform::Platform& os, CAtapi& atapi) : os_(os), atapi_(atapi) {}

  // Picks the language and lists the drives.
  void Open();
  // Selects the first line, or, without a drive, shows the "No drive
  // found." box and returns false: the page must end.
  bool Start();
  // The selection handler: the page text for the image file's presence,
  // then the drive object addresses the selected drive.
  void Select(int line);
  // Update pressed: every button is disabled while the question is asked.
  void LockForQuestion();
  // The question. True on Yes, with the "updating" text in place; on No the
  // buttons are usable again.
  bool AskToUpdate();

  Language PageLanguage() const { return language_; }
  const std::vector<std::string>& DriveLines() const { return driveLines_; }
  int Selection() const { return selection_; }
  const std::string& LabelText() const { return labelText_; }
  const std::string& PageText() const { return pageText_; }
  const UpdateButtons& Buttons() const { return buttons_; }

  // The drive's product field, trailing blanks removed ("OD-K818R").
  std::string ProductName(int row) const;

  // For the update run that follows Yes.
  void SetPageText(std::string text) { pageText_ = std::move(text); }
  void SetButtons(UpdateButtons buttons) { buttons_ = buttons; }

 private:
  std::string FormatPair(Message message, const std::string& first,
                         const std::string& second = "") const;

  platform::Platform& os_;
  CAtapi& atapi_;
  Language language_ = Language::kEnglish;
  std::vector<std::string> driveLines_;
  int selection_ = 0;
  static constexpr int kInitialSelection = 0;
  std::string labelText_;
  std::string pageText_;
  UpdateButtons buttons_;
};

// One line of the drive list: "E: QUAV    OD-K818R [0 : 0  1.00]".
std::string DriveLine(const DriveEntry& drive);
