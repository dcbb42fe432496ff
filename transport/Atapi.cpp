#include "transport/Atapi.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "transport/AspiEntryPoints.h"
#include "transport/TransportMessages.h"

namespace aspi_entry {
aspi::GetASPI32SupportInfoFn GetASPI32SupportInfo = nullptr;
aspi::SendASPI32CommandFn SendASPI32Command = nullptr;
}  // namespace aspi_entry

namespace {

// 14 sense bytes; 30 s for a command and for a device type.
constexpr aspi::RequestSettings kAspiRequests = {aspi::SENSE_LEN, 30000, 30000, aspi::SS_ERR};

class LibraryManager : public aspi::Manager {
 public:
  uint32_t SendASPI32Command(void* srb) override { return aspi_entry::SendASPI32Command(srb); }
};

// Reached during static initialisation, when the drive object is built.
aspi::Manager& Library() {
  static LibraryManager library;
  return library;
}

}  // namespace

CAtapi::CAtapi(platform::Platform& os) : os_(os), aspiPath_(os, os, Library(), kAspiRequests) {
  IsWindowsNt();
  if (!ntFamily_ && !BindAspiLibrary()) {
    os_.ShowMessageBox(kAspiMissingText, kTransportCaption,
                       platform::kMbOk | platform::kMbIconStop);
    return;
  }
  ScanDrives();
  SelectDrive(0);
}

CAtapi::~CAtapi() {
  std::free(request_);
  if (aspiLibrary_ != nullptr) {
    aspi_entry::GetASPI32SupportInfo = nullptr;
    aspi_entry::SendASPI32Command = nullptr;
    os_.UnloadLibrary(aspiLibrary_);
  }
  for (int row = 0; row < driveCount_; ++row) {
    if (drives_[row].handle != nullptr) os_.CloseHandle(drives_[row].handle);
  }
}

bool CAtapi::IsWindowsNt() {
  platform::OsVersion version;
  os_.QueryVersion(version);
  ntFamily_ = version.platformId == platform::kPlatformWin32Nt;
  return ntFamily_;
}

bool CAtapi::BindAspiLibrary() {
  // Entry points left over from an earlier drive object must not be used.
  aspi_entry::GetASPI32SupportInfo = nullptr;
  aspi_entry::SendASPI32Command = nullptr;

  char systemDir[260] = {};
  os_.SystemDirectory(systemDir, sizeof systemDir);
  char path[300];
  std::snprintf(path, sizeof path, "%s\\WNASPI32.DLL", systemDir);
  aspiLibrary_ = os_.LoadLibraryAt(path);
  if (aspiLibrary_ == nullptr) return false;

  aspi_entry::GetASPI32SupportInfo = reinterpret_cast<aspi::GetASPI32SupportInfoFn>(
      os_.ProcAddress(aspiLibrary_, "GetASPI32SupportInfo"));
  aspi_entry::SendASPI32Command = reinterpret_cast<aspi::SendASPI32CommandFn>(
      os_.ProcAddress(aspiLibrary_, "SendASPI32Command"));
  request_ = static_cast<aspi::SRB_ExecSCSICmd*>(std::calloc(1, sizeof(aspi::SRB_ExecSCSICmd)));
  return true;
}
