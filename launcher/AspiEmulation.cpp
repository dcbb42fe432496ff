#include "launcher/AspiEmulation.h"

#include <cstring>

#include "platform/PassThroughRecords.h"

namespace launcher {

namespace {

constexpr int kFirstProbedLetter = 2;  // C:; A: and B: are floppy letters
constexpr uint32_t kOpenRetryMs = 10000;
constexpr uint8_t kProbeCdb[6] = {0x12, 0x00, 0x00, 0x00, 0x64, 0x00};  // INQUIRY, 100 bytes
constexpr uint32_t kProbeDataLength = 100;
constexpr uint8_t kProbeSenseLength = 24;
constexpr uint32_t kProbeTimeoutSeconds = 2;
constexpr uint32_t kCommandTimeoutSeconds = 30;
constexpr uint8_t kMaxCdbLength = 16;

constexpr char kManagerId[] = "LOWSPI v0.000001";
constexpr char kAdapterIdentifier[] = "SCSI Adapter    ";
constexpr int kAdapterDigitPosition = 13;
constexpr uint8_t kAdapterScsiId = 7;
constexpr uint8_t kTargetsPerAdapter = 8;
constexpr uint32_t kMaxTransferBytes = 65536;

void ClearRow(LetterEntry& row) {
  std::memset(&row, 0, sizeof row);
  row.handle = platform::InvalidHandle();
}

uint8_t DataDirection(uint8_t flags) {
  if (flags & aspi::SRB_DIR_IN) return passthrough::SCSI_IOCTL_DATA_IN;
  if (flags & aspi::SRB_DIR_OUT) return passthrough::SCSI_IOCTL_DATA_OUT;
  return passthrough::SCSI_IOCTL_DATA_UNSPECIFIED;
}

}  // namespace

AspiEmulation::AspiEmulation(platform::Devices& devices, platform::Clock& clock,
                             platform::SystemInfo& system)
    : devices_(devices), clock_(clock), system_(system) {
  for (LetterEntry& row : letters_) ClearRow(row);
}

AspiEmulation::~AspiEmulation() {
  for (LetterEntry& row : letters_) CloseLetter(row);
}

int AspiEmulation::EnumerateCdromLetters() {
  if (filled_) return drivesFound_ ? 1 : 0;

  for (LetterEntry& row : letters_) ClearRow(row);
  int found = 0;
  for (int index = kFirstProbedLetter; index < kLetterCount; ++index) {
    const char root[] = {static_cast<char>('A' + index), ':', '\\', '\0'};
    if (devices_.DriveType(root) != platform::kDriveCdrom) continue;
    LetterEntry& row = letters_[index];
    ProbeDriveLetter(index, row);
    if (row.valid == 0) continue;
    row.adapter = static_cast<uint8_t>(found);
    ++found;
  }
  adapterCount_ = static_cast<uint8_t>(CountEmulatedAdapters());
  filled_ = true;
  drivesFound_ = found > 0;
  return found;
}

void AspiEmulation::ProbeDriveLetter(int letterIndex, LetterEntry& row) {
  platform::Handle handle = OpenDriveLetter(letterIndex);
  if (handle == platform::InvalidHandle()) return;

  passthrough::PassThroughRecord record;
  std::memset(&record, 0, sizeof record);
  uint8_t data[kProbeDataLength] = {};
  passthrough::SCSI_PASS_THROUGH_DIRECT& request = record.sptd;
  request.Length = sizeof request;
  request.CdbLength = sizeof kProbeCdb;
  request.SenseInfoLength = kProbeSenseLength;
  request.DataIn = passthrough::SCSI_IOCTL_DATA_IN;
  request.DataTransferLength = kProbeDataLength;
  request.TimeOutValue = kProbeTimeoutSeconds;
  request.DataBuffer = data;
  request.SenseInfoOffset = passthrough::kSenseBufferOffset;
  std::memcpy(request.Cdb, kProbeCdb, sizeof kProbeCdb);

  uint32_t returned = 0;
  const bool answered =
      devices_.DeviceControl(handle, passthrough::IOCTL_SCSI_PASS_THROUGH_DIRECT, &record,
                             sizeof record, &record, sizeof record, &returned);
  devices_.CloseHandle(handle);
  if (!answered) return;

  std::memcpy(row.inquiry, data, sizeof row.inquiry);
  row.valid = 1;
  row.target = 0;
  row.lun = 0;
  row.letterIndex = static_cast<uint8_t>(letterIndex);
  row.handle = platform::InvalidHandle();
}

platform::Handle AspiEmulation::OpenDriveLetter(int letterIndex) {
  platform::OsVersion version;
  const bool known = system_.QueryVersion(version);
  uint32_t access = platform::kGenericRead;
  if (known && version.platformId == platform::kPlatformWin32Nt && version.major > 4) {
    access |= platform::kGenericWrite;  // 2000 and XP want it for pass-through
  }
  const char path[] = {'\\', '\\', '.', '\\', static_cast<char>('A' + letterIndex), ':', '\0'};

  // A drive busy spinning up refuses opens for a while.
  const uint32_t start = clock_.MultimediaTime();
  platform::Handle handle;
  do {
    handle = devices_.OpenDeviceWith(path, access, platform::kFileShareRead);
  } while (handle == platform::InvalidHandle() && clock_.MultimediaTime() - start < kOpenRetryMs);
  if (handle != platform::InvalidHandle()) return handle;

  // Some drivers want the other access mode.
  return devices_.OpenDeviceWith(path, access ^ platform::kGenericWrite, platform::kFileShareRead);
}

int AspiEmulation::CountEmulatedAdapters() const {
  bool present[256] = {};
  present[0] = true;
  for (const LetterEntry& row : letters_) {
    if (row.valid != 0) present[row.adapter] = true;
  }
  int count = 0;
  for (bool marked : present) count += marked ? 1 : 0;
  return count;
}

int AspiEmulation::FindLetterByAddress(uint8_t adapter, uint8_t target, uint8_t lun) const {
  for (int index = kFirstProbedLetter; index < kLetterCount; ++index) {
    const LetterEntry& row = letters_[index];
    if (row.valid != 0 && row.adapter == adapter && row.target == target && row.lun == lun) {
      return index;
    }
  }
  return 0;
}

uint32_t AspiEmulation::EmuGetASPI32SupportInfo() const {
  if (adapterCount_ == 0) return 0xE800;  // SS_NO_ADAPTERS
  return (uint32_t{aspi::SS_COMP} << 8) | adapterCount_;
}

uint32_t AspiEmulation::EmuSendASPI32Command(void* request) {
  if (request == nullptr) return aspi::SS_ERR;
  auto* header = static_cast<aspi::SRB_Header*>(request);
  switch (header->SRB_Cmd) {
    case aspi::SC_HA_INQUIRY:
      return HostAdapterInquiry(*static_cast<aspi::SRB_HAInquiry*>(request));
    case aspi::SC_GET_DEV_TYPE:
      return DeviceType(*static_cast<aspi::SRB_GDEVBlock*>(request));
    case aspi::SC_EXEC_SCSI_CMD:
      return ExecuteCommand(*static_cast<aspi::SRB_ExecSCSICmd*>(request), true);
    default:
      header->SRB_Status = aspi::SS_ERR;
      return aspi::SS_ERR;
  }
}

uint32_t AspiEmulation::HostAdapterInquiry(aspi::SRB_HAInquiry& request) const {
  request.HA_Count = adapterCount_;
  if (request.SRB_HaId >= adapterCount_) {
    request.SRB_Status = aspi::SS_INVALID_HA;
    return aspi::SS_INVALID_HA;
  }
  request.HA_SCSI_ID = kAdapterScsiId;
  std::memcpy(request.HA_ManagerId, kManagerId, sizeof request.HA_ManagerId);
  std::memcpy(request.HA_Identifier, kAdapterIdentifier, sizeof request.HA_Identifier);
  request.HA_Identifier[kAdapterDigitPosition] = static_cast<uint8_t>('0' + request.SRB_HaId);
  std::memset(request.HA_Unique, 0, sizeof request.HA_Unique);
  request.HA_Unique[3] = kTargetsPerAdapter;
  for (int byte = 0; byte < 4; ++byte) {
    request.HA_Unique[4 + byte] = static_cast<uint8_t>(kMaxTransferBytes >> (8 * byte));
  }
  request.SRB_Status = aspi::SS_COMP;
  return aspi::SS_COMP;
}

uint32_t AspiEmulation::DeviceType(aspi::SRB_GDEVBlock& request) const {
  const bool found =
      FindLetterByAddress(request.SRB_HaId, request.SRB_Target, request.SRB_Lun) != 0;
  request.SRB_Status = found ? aspi::SS_COMP : aspi::SS_NO_DEVICE;
  request.SRB_DeviceType = found ? aspi::DTYPE_CDROM : aspi::DTYPE_UNKNOWN;
  return request.SRB_Status;
}

uint32_t AspiEmulation::ExecuteCommand(aspi::SRB_ExecSCSICmd& request, bool retryAllowed) {
  const int letter = FindLetterByAddress(request.SRB_HaId, request.SRB_Target, request.SRB_Lun);
  if (letter == 0) {
    request.SRB_Status = aspi::SS_ERR;
    return aspi::SS_ERR;
  }
  LetterEntry& row = letters_[letter];
  if (row.handle == platform::InvalidHandle()) row.handle = OpenDriveLetter(letter);

  passthrough::PassThroughRecord record;
  std::memset(&record, 0, sizeof record);
  passthrough::SCSI_PASS_THROUGH_DIRECT& command = record.sptd;
  const uint8_t cdbLength = request.SRB_CDBLen < kMaxCdbLength ? request.SRB_CDBLen : kMaxCdbLength;
  command.Length = sizeof command;
  command.CdbLength = cdbLength;
  command.SenseInfoLength = 0;
  command.DataIn = DataDirection(request.SRB_Flags);
  command.DataTransferLength = request.SRB_BufLen;
  command.TimeOutValue = kCommandTimeoutSeconds;
  command.DataBuffer = request.SRB_BufPointer;
  command.SenseInfoOffset = passthrough::kSenseBufferOffset;
  std::memcpy(command.Cdb, request.CDBByte, cdbLength);

  // A letter that would not open is not handed to the driver as a handle.
  bool sent = false;
  uint32_t error = platform::kErrorInvalidHandle;
  if (row.handle != platform::InvalidHandle()) {
    uint32_t returned = 0;
    sent = devices_.DeviceControl(row.handle, passthrough::IOCTL_SCSI_PASS_THROUGH_DIRECT, &record,
                                  sizeof record, &record, sizeof record, &returned);
    if (!sent) error = system_.LastError();
  }
  if (sent) {
    request.SRB_Status = aspi::SS_COMP;
  } else {
    request.SRB_Status = aspi::SS_ERR;
    if (retryAllowed &&
        (error == platform::kErrorMediaChanged || error == platform::kErrorInvalidHandle)) {
      // A handle the system calls invalid is not closed again.
      if (error == platform::kErrorMediaChanged) CloseLetter(row);
      row.handle = platform::InvalidHandle();
      ProbeDriveLetter(letter, row);
      return ExecuteCommand(request, false);
    }
  }
  CloseLetter(row);
  return request.SRB_Status;
}

void AspiEmulation::CloseLetter(LetterEntry& row) {
  if (row.handle == platform::InvalidHandle()) return;
  devices_.CloseHandle(row.handle);
  row.handle = platform::InvalidHandle();
}

}  // namespace launcher
