// Our own copies of the system's records and constants must match what the
// Windows headers of the build target declare, on both word sizes.
#include <cstddef>
#include <cstdint>

#include "platform/PassThroughRecords.h"
#include "platform/Platform.h"

// The system headers define some of our constants' names as macros, so their
// values are taken before those headers come in.
namespace ours {
constexpr uint32_t kPassThroughDirect = passthrough::IOCTL_SCSI_PASS_THROUGH_DIRECT;
constexpr uint8_t kDataOut = passthrough::SCSI_IOCTL_DATA_OUT;
constexpr uint8_t kDataIn = passthrough::SCSI_IOCTL_DATA_IN;
constexpr uint8_t kDataUnspecified = passthrough::SCSI_IOCTL_DATA_UNSPECIFIED;
}  // namespace ours

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

// The device-control headers build on windows.h.
#include <ntddscsi.h>
#include <winioctl.h>

namespace {

using Ours = passthrough::SCSI_PASS_THROUGH_DIRECT;
using Theirs = ::SCSI_PASS_THROUGH_DIRECT;

#define KIT_SAME_OFFSET(field) \
  static_assert(offsetof(Ours, field) == offsetof(Theirs, field), #field " offset")

static_assert(sizeof(Ours) == sizeof(Theirs), "SCSI_PASS_THROUGH_DIRECT size");
static_assert(alignof(Ours) == alignof(Theirs), "SCSI_PASS_THROUGH_DIRECT alignment");
KIT_SAME_OFFSET(Length);
KIT_SAME_OFFSET(ScsiStatus);
KIT_SAME_OFFSET(PathId);
KIT_SAME_OFFSET(TargetId);
KIT_SAME_OFFSET(Lun);
KIT_SAME_OFFSET(CdbLength);
KIT_SAME_OFFSET(SenseInfoLength);
KIT_SAME_OFFSET(DataIn);
KIT_SAME_OFFSET(DataTransferLength);
KIT_SAME_OFFSET(TimeOutValue);
KIT_SAME_OFFSET(DataBuffer);
KIT_SAME_OFFSET(SenseInfoOffset);
KIT_SAME_OFFSET(Cdb);
#undef KIT_SAME_OFFSET
static_assert(sizeof(Ours::Cdb) == sizeof(Theirs::Cdb), "Cdb length");

static_assert(ours::kPassThroughDirect == IOCTL_SCSI_PASS_THROUGH_DIRECT, "pass-through code");
static_assert(ours::kDataOut == SCSI_IOCTL_DATA_OUT, "data out");
static_assert(ours::kDataIn == SCSI_IOCTL_DATA_IN, "data in");
static_assert(ours::kDataUnspecified == SCSI_IOCTL_DATA_UNSPECIFIED, "no data");

static_assert(sizeof(OSVERSIONINFOA) == 148, "the version record every Windows accepts");
static_assert(platform::kPlatformWin32s == VER_PLATFORM_WIN32s, "Win32s");
static_assert(platform::kPlatformWin32Windows == VER_PLATFORM_WIN32_WINDOWS, "Windows 9x");
static_assert(platform::kPlatformWin32Nt == VER_PLATFORM_WIN32_NT, "Windows NT");

static_assert(platform::kDriveUnknown == DRIVE_UNKNOWN, "DRIVE_UNKNOWN");
static_assert(platform::kDriveNoRootDir == DRIVE_NO_ROOT_DIR, "DRIVE_NO_ROOT_DIR");
static_assert(platform::kDriveRemovable == DRIVE_REMOVABLE, "DRIVE_REMOVABLE");
static_assert(platform::kDriveFixed == DRIVE_FIXED, "DRIVE_FIXED");
static_assert(platform::kDriveRemote == DRIVE_REMOTE, "DRIVE_REMOTE");
static_assert(platform::kDriveCdrom == DRIVE_CDROM, "DRIVE_CDROM");

static_assert(platform::kWaitObject0 == WAIT_OBJECT_0, "WAIT_OBJECT_0");
static_assert(platform::kWaitTimeout == WAIT_TIMEOUT, "WAIT_TIMEOUT");
static_assert(platform::kWaitFailed == WAIT_FAILED, "WAIT_FAILED");

static_assert(platform::kErrorAccessDenied == ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED");
static_assert(platform::kErrorSemTimeout == ERROR_SEM_TIMEOUT, "ERROR_SEM_TIMEOUT");
static_assert(platform::kErrorAlreadyExists == ERROR_ALREADY_EXISTS, "ERROR_ALREADY_EXISTS");
static_assert(platform::kErrorIoDevice == ERROR_IO_DEVICE, "ERROR_IO_DEVICE");

static_assert(platform::kMbOk == MB_OK, "MB_OK");
static_assert(platform::kMbOkCancel == MB_OKCANCEL, "MB_OKCANCEL");
static_assert(platform::kMbYesNo == MB_YESNO, "MB_YESNO");
static_assert(platform::kMbIconStop == MB_ICONSTOP, "MB_ICONSTOP");
static_assert(platform::kMbIconQuestion == MB_ICONQUESTION, "MB_ICONQUESTION");
static_assert(platform::kMbIconExclamation == MB_ICONEXCLAMATION, "MB_ICONEXCLAMATION");
static_assert(platform::kMbIconInformation == MB_ICONINFORMATION, "MB_ICONINFORMATION");
static_assert(platform::kIdOk == IDOK, "IDOK");
static_assert(platform::kIdCancel == IDCANCEL, "IDCANCEL");
static_assert(platform::kIdYes == IDYES, "IDYES");
static_assert(platform::kIdNo == IDNO, "IDNO");

static_assert(platform::kEwxReboot == EWX_REBOOT, "EWX_REBOOT");
static_assert(platform::kEwxForce == EWX_FORCE, "EWX_FORCE");

}  // namespace
