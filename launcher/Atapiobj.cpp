#include "launcher/Atapiobj.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "launcher/LauncherTexts.h"

namespace launcher {

namespace {

constexpr uint8_t kInquiryCdb[12] = {0x12, 0, 0, 0, 0x24, 0, 0, 0, 0, 0, 0, 0};  // 36 bytes
constexpr uint32_t kInquiryLength = 36;
constexpr int kIdentificationOffset = 8;
// 18 sense bytes; 30 s for a command and for a device type.
constexpr aspi::RequestSettings kRequests = {kRequestSenseLength, 30000, 30000, aspi::SS_ERR};
constexpr int kTargets = 8;
constexpr int kLuns = 8;

}  // namespace

void AspiProcessState::BindLibrary(aspi::GetASPI32SupportInfoFn supportInfo,
                                   aspi::SendASPI32CommandFn send) {
  supportInfo_ = supportInfo;
  send_ = send;
  emulated_ = false;
}

void AspiProcessState::BindEmulation() {
  supportInfo_ = nullptr;
  send_ = nullptr;
  emulated_ = true;
}

uint32_t AspiProcessState::GetASPI32SupportInfo() {
  if (emulated_) return emulation_.EmuGetASPI32SupportInfo();
  return supportInfo_ != nullptr ? supportInfo_() : 0;
}

uint32_t AspiProcessState::SendASPI32Command(void* request) {
  if (emulated_) return emulation_.EmuSendASPI32Command(request);
  return send_ != nullptr ? send_(request) : aspi::SS_ERR;
}

TAtapiImp::TAtapiImp(platform::Platform& os, AspiProcessState& aspi)
    : os_(os), aspi_(aspi), path_(os, os, aspi, kRequests) {
  if (!LoadAspiLibrary()) {
    platform::OsVersion version;
    const bool known = os_.QueryVersion(version);
    if (known && version.platformId == platform::kPlatformWin32Windows) {
      os_.ShowMessageBox(kAspiMissingText, kLauncherCaption, platform::kMbOk);
      return;
    }
    if (aspi_.Emulation().EnumerateCdromLetters() < 1) {
      os_.ShowMessageBox(kNoCdromText, kLauncherCaption, platform::kMbOk);
      return;
    }
    aspi_.BindEmulation();
  }
  request_ = new ExecRequest{};
  ScanCdromDevices();
  SelectDevice(0);
}

TAtapiImp::~TAtapiImp() {
  delete request_;
  if (aspiLibrary_ != nullptr) os_.UnloadLibrary(aspiLibrary_);
}

bool TAtapiImp::LoadAspiLibrary() {
  char systemDir[platform::kMaxPath] = {};
  const unsigned length = os_.SystemDirectory(systemDir, sizeof systemDir);
  if (length >= sizeof systemDir) systemDir[0] = '\0';  // did not fit: not a folder to use
  char path[platform::kMaxPath + 16];
  std::snprintf(path, sizeof path, "%s\\WNASPI32.DLL", systemDir);
  aspiLibrary_ = os_.LoadLibraryAt(path);
  if (aspiLibrary_ == nullptr) aspiLibrary_ = os_.LoadLibraryAt("WNASPI32.DLL");
  if (aspiLibrary_ == nullptr) return false;

  auto supportInfo = reinterpret_cast<aspi::GetASPI32SupportInfoFn>(
      os_.ProcAddress(aspiLibrary_, "GetASPI32SupportInfo"));
  auto send = reinterpret_cast<aspi::SendASPI32CommandFn>(
      os_.ProcAddress(aspiLibrary_, "SendASPI32Command"));
  if (supportInfo == nullptr || send == nullptr) {
    // A library without both entry points is no ASPI manager.
    os_.UnloadLibrary(aspiLibrary_);
    aspiLibrary_ = nullptr;
    return false;
  }
  aspi_.BindLibrary(supportInfo, send);
  return true;
}

int TAtapiImp::ScanCdromDevices() {
  deviceCount_ = 0;
  if (!aspi_.Bound()) return 0;
  const int adapterCount = static_cast<int>(aspi_.GetASPI32SupportInfo() & 0xFF);

  aspi::SRB_GDEVBlock block;
  for (int adapter = 0; adapter < adapterCount; ++adapter) {
    for (int target = 0; target < kTargets; ++target) {
      for (int lun = 0; lun < kLuns; ++lun) {
        path_.QueryDeviceType(block, {static_cast<uint8_t>(adapter), static_cast<uint8_t>(target),
                                      static_cast<uint8_t>(lun)});
        if (block.SRB_Status != aspi::SS_COMP || block.SRB_DeviceType != aspi::DTYPE_CDROM) {
          continue;
        }
        if (deviceCount_ == kMaxDevices) return deviceCount_;  // the list is full

        DeviceRecord& row = devices_[deviceCount_];
        row.hostAdapter = block.SRB_HaId;
        row.target = block.SRB_Target;
        row.lun = block.SRB_Lun;
        SelectDevice(deviceCount_);
        // Cleared, so a failed INQUIRY leaves blanks of no one's choosing rather than stack bytes.
        uint8_t inquiry[kInquiryLength] = {};
        ExecScsiCommand(kInquiryCdb, inquiry, sizeof inquiry, aspi::SRB_DIR_IN);
        std::memset(row.identification, 0, sizeof row.identification);
        std::memcpy(row.identification, inquiry + kIdentificationOffset, kIdentificationLength);
        ++deviceCount_;
      }
    }
  }
  return deviceCount_;
}

bool TAtapiImp::IsTargetDrive(const char* identification) {
  if (identification == nullptr) return false;
  const std::string_view text(identification, kIdentificationLength);
  return text.find(kModelCode) != std::string_view::npos;
}

void TAtapiImp::SelectDevice(int row) {
  if (row < 0 || row >= kMaxDevices) return;
  hostAdapter_ = devices_[row].hostAdapter;
  target_ = devices_[row].target;
  lun_ = devices_[row].lun;
}

uint8_t TAtapiImp::ExecScsiCommand(const uint8_t* cdb, void* buffer, uint32_t length,
                                   uint8_t direction) {
  if (request_ == nullptr || !aspi_.Bound()) return aspi::SS_ERR;
  // The 18 sense bytes reach past the record's own sense area into the room
  // the request keeps after it.
  std::memset(reinterpret_cast<uint8_t*>(request_) + offsetof(aspi::SRB_ExecSCSICmd, SenseArea), 0,
              kRequestSenseLength);
  return path_.Execute(request_->srb, {hostAdapter_, target_, lun_}, cdb, buffer, length,
                       direction);
}

}  // namespace launcher
