#include "launcher/Main.h"

#include <exception>
#include <string>

#include "launcher/Autoinsertnotification.h"
#include "launcher/LauncherTexts.h"

namespace launcher {

namespace {

void ShowMissing(platform::Screen& screen, const char* what) {
  const std::string text = std::string(what) + kMissingSuffix;
  screen.ShowMessageBox(text.c_str(), kErrorCaption, platform::kMbOk);
}

bool IsNtFamily(platform::SystemInfo& system) {
  platform::OsVersion version;
  return system.QueryVersion(version) && version.platformId == platform::kPlatformWin32Nt;
}

}  // namespace

bool StartFlasher(platform::Programs& programs) {
  platform::ProgramStart start;
  start.applicationName = kFlasherFileName;
  start.commandLine = nullptr;
  start.processHandleInheritable = true;
  start.threadHandleInheritable = false;
  start.inheritHandles = false;
  start.creationFlags = 0;
  return programs.StartProgram(start);
}

void RunStartupFlow(platform::Platform& os, const TAtapi& atapi, MainFormRunner& form) {
  if (IsNtFamily(os)) {
    if (!StartFlasher(os)) ShowMissing(os, kFlasherFileName);
    return;
  }

  // One mark per row the list can hold, so a target drive in any row counts.
  bool marks[kMaxDevices] = {};
  bool targetFound = false;
  for (int row = 0; row < atapi.DeviceCount(); ++row) {
    if (TAtapi::IsTargetDrive(atapi.Device(row).identification)) {
      marks[row] = true;
      targetFound = true;
    }
  }
  if (!targetFound) {
    ShowMissing(os, kModelCode);
    return;
  }

  for (int row = 0; row < atapi.DeviceCount(); ++row) {
    if (marks[row] &&
        ReadAutoInsertNotification(os, atapi.Device(row).identification) == kNotificationOn) {
      form.RunMainForm();
      return;
    }
  }

  if (!StartFlasher(os)) {
    ShowMissing(os, kFlasherFileName);
    return;
  }
  for (int row = 0; row < atapi.DeviceCount(); ++row) {
    if (marks[row])
      WriteAutoInsertNotification(os, atapi.Device(row).identification, kNotificationOn);
  }
}

int RunLauncher(platform::Platform& os, const TAtapi& atapi, MainFormRunner& form) {
  try {
    RunStartupFlow(os, atapi, form);
  } catch (const std::exception& error) {
    os.ShowMessageBox(error.what(), kLauncherCaption, platform::kMbOk | platform::kMbIconStop);
  } catch (...) {
    os.ShowMessageBox("", kLauncherCaption, platform::kMbOk | platform::kMbIconStop);
  }
  return 0;
}

}  // namespace launcher
