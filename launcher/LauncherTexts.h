// The launcher's own texts.
#pragma once

namespace launcher {

constexpr char kLauncherCaption[] =
    "UpdaterK818R";  // boxes of the drive probe and of escaped errors
constexpr char kAspiMissingText[] = "WNASPI32.DLL not found";
constexpr char kNoCdromText[] = "No CD-ROM Drive detected";

constexpr char kModelCode[] = "K818R";
constexpr char kFlasherFileName[] = "FlashK818R.exe";
constexpr char kMissingSuffix[] = " does not exist!";
constexpr char kErrorCaption[] = "Error";

}  // namespace launcher
