#include "launcher/MainForm.h"

#include "launcher/Autoinsertnotification.h"

namespace launcher {

std::string main_form::MemoText() {
  std::string text;
  for (const char* line : kMemoLines) {
    if (!text.empty()) text += "\r\n";
    text += line;
  }
  return text;
}

void BtnYesClick(platform::Platform& os, const TAtapi& atapi) {
  bool marks[kMaxDevices] = {};
  for (int row = 0; row < atapi.DeviceCount(); ++row) {
    marks[row] = TAtapi::IsTargetDrive(atapi.Device(row).identification);
  }
  for (int row = 0; row < atapi.DeviceCount(); ++row) {
    if (marks[row]) {
      WriteAutoInsertNotification(os, atapi.Device(row).identification, kNotificationOff);
    }
  }
  // Windows 95/98/ME has no tokens; the restart does not need them there.
  os.EnableShutdownPrivilege();
  os.ExitWindows(platform::kEwxReboot | platform::kEwxForce);
}

}  // namespace launcher
