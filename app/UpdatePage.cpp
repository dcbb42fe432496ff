#include "app/UpdatePage.h"

#include <algorithm>
#include <cstdio>

#include "app/AppBoxes.h"
#include "app/Language.h"

namespace {

constexpr size_t kVendorLength = 8;

}  // namespace

std::string DriveLine(const DriveEntry& drive) {
  char line[128];
  std::snprintf(line, sizeof line, "%s %s [%i : %i  %s]", drive.driveLetter, drive.identification,
                drive.target, drive.lun, drive.revision);
  return line;
}

void UpdatePage::Open() {
  language_ = DetectLanguage(os_);
  driveLines_.clear();
  for (int row = 0; row < atapi_.DriveCount(); ++row) {
    driveLines_.push_back(DriveLine(atapi_.Drive(row)));
  }
}

bool UpdatePage::Start() {
  if (driveLines_.empty()) {
    ShowPlainBox(os_, LoadMessage(os_, Pick(Message::NoDrive, language_)), kNoDriveCaption,
                 platform::kMbOk | platform::kMbIconStop);
    return false;
  }
  Select(kInitialSelection);
  labelText_ = LoadMessage(os_, Pick(Message::DriveListLabel, language_));
  return true;
}

std::string UpdatePage::ProductName(int row) const {
  std::string name = atapi_.Drive(row).identification;
  name.erase(0, std::min(kVendorLength, name.size()));
  const size_t last = name.find_last_not_of(' ');
  name.erase(last == std::string::npos ? 0 : last + 1);
  return name;
}

std::string UpdatePage::FormatPair(Message message, const std::string& first,
                                   const std::string& second) const {
  return FormatMessageText(LoadMessage(os_, Pick(message, language_)), first, second);
}

void UpdatePage::Select(int line) {
  selection_ = line;
  if (os_.FindFirstMatch(kImageFileName)) {
    const std::string product = ProductName(selection_);
    pageText_ = FormatPair(Message::FoundIntro, product, kNewFirmwareVersion) +
                FormatPair(Message::FoundCaution, product);
  } else {
    // The missing file is reported for the first drive of the list, and
    // nothing on this page offers Back or Update again.
    pageText_ = FormatPair(Message::ImageFileMissingForDrive,
                           atapi_.Drive(kInitialSelection).identification) +
                LoadMessage(os_, Pick(Message::ExitHint, language_));
    buttons_.back = false;
    buttons_.update = false;
  }
  atapi_.SelectDrive(selection_);
}

void UpdatePage::LockForQuestion() {
  buttons_ = {false, false, false, false};
}

bool UpdatePage::AskToUpdate() {
  const std::string product = ProductName(selection_);
  const std::string question = FormatPair(Message::ConfirmNotices, product) +
                               FormatPair(Message::ConfirmQuestion, product, kNewFirmwareVersion);
  const int answer =
      ShowApplicationBox(os_, question, platform::kMbYesNo | platform::kMbIconQuestion);
  if (answer != platform::kIdYes) {
    buttons_ = UpdateButtons{};
    return false;
  }
  pageText_ = LoadMessage(os_, Pick(Message::Updating, language_));
  return true;
}
