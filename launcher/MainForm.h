// The "Caution" form TMainW as plain data and its Yes handler; the window
// code in win32/ builds the window from the "TMAINW" resource and places
// everything as given here. Places are in pixels, designed at 96 dpi.
#pragma once

#include <string>

#include "launcher/Atapiobj.h"
#include "platform/Platform.h"

namespace launcher {

struct Place {
  int left;
  int top;
  int width;
  int height;
};

namespace main_form {

constexpr char kCaption[] = "Caution";
constexpr Place kForm = {229, 223, 402, 159};  // outer size
constexpr char kFontName[] = "MS Sans Serif";
constexpr int kFontHeight = -11;  // 8 points
constexpr Place kMemo = {48, 16, 329, 57};
constexpr Place kYes = {80, 88, 75, 25};
constexpr Place kNo = {224, 88, 75, 25};
constexpr char kYesCaption[] = "Yes";
constexpr char kNoCaption[] = "No";

// Memo1's lines, exactly as stored.
constexpr const char* kMemoLines[] = {
    "Because of the distinction of Windows 95/98 operating system, ",
    "Updater has to make some system-level setting and reboot your ",
    "computer before updating. After rebooting, you have to excuse ",
    "Updater again to process updating. Are you sure to continue?",
};

// The lines as one edit-control text.
std::string MemoText();

}  // namespace main_form

// Switches the notification off for every target drive of the list and
// restarts Windows; the form stays up until the system ends the program.
void BtnYesClick(platform::Platform& os, const TAtapi& atapi);

}  // namespace launcher
