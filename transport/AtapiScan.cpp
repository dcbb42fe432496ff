// Discovery: finding the OD-K818R drives and recording them in the table.
#include <cstring>

#include "transport/AspiEntryPoints.h"
#include "transport/Atapi.h"

namespace {

constexpr char kDriveIdentification[] = "QUAV    OD-K818R";  // vendor field, then product
constexpr size_t kIdentificationMatchLength = 16;
constexpr int kIdentificationOffset = 8;
constexpr int kIdentificationLength = 24;  // vendor and product fields
constexpr int kRevisionOffset = 32;
constexpr int kRevisionLength = 4;
constexpr int kMaxPassThroughDrives = 4;
constexpr int kLetterCount = 25;  // A: to Y:; Z: is never examined

const char* const kKnownRevisions[] = {"1.00", "1.01", "1.02", "1.03", "1.04", "1.05", "1.06",
                                       "1.07", "1.08", "1.09", "1.10", "1.11", "1.12", "1.13",
                                       "1.14", "1.15", "2.00", "2.01", "2.02", "2.03"};

bool MatchesIdentification(const uint8_t* inquiry) {
  return std::memcmp(inquiry + kIdentificationOffset, kDriveIdentification,
                     kIdentificationMatchLength) == 0;
}

void RootPath(char letter, char (&root)[4]) {
  root[0] = letter;
  root[1] = ':';
  root[2] = '\\';
  root[3] = '\0';
}

}  // namespace

int CAtapi::ScanDrives() {
  return ntFamily_ ? ScanPassThroughDrives() : ScanAspiDrives();
}

void CAtapi::RecordDrive(const uint8_t* inquiry, const char* driveLetter) {
  DriveEntry& row = drives_[driveCount_];
  std::memset(row.identification, 0, sizeof row.identification);
  std::memcpy(row.identification, inquiry + kIdentificationOffset, kIdentificationLength);
  int last = kIdentificationLength - 1;
  while (last > 8 && row.identification[last] == ' ') --last;
  row.identification[last + 1] = '\0';

  std::memset(row.revision, 0, sizeof row.revision);
  std::memcpy(row.revision, inquiry + kRevisionOffset, kRevisionLength);

  std::memset(row.driveLetter, 0, sizeof row.driveLetter);
  std::strncpy(row.driveLetter, driveLetter, sizeof row.driveLetter - 1);
}

int CAtapi::ScanPassThroughDrives() {
  driveCount_ = 0;
  uint8_t inquiry[kInquiryBufferSize];
  for (int index = 0; index < kLetterCount; ++index) {
    char root[4];
    RootPath(static_cast<char>('A' + index), root);
    if (os_.DriveType(root) != platform::kDriveCdrom) continue;

    const char devicePath[] = {'\\', '\\', '.', '\\', root[0], root[1], '\0'};
    lastOpenedHandle_ = os_.OpenDevice(devicePath);
    if (lastOpenedHandle_ == platform::InvalidHandle()) continue;

    deviceHandle_ = lastOpenedHandle_;
    std::memset(inquiry, 0, sizeof inquiry);
    Inquiry(inquiry);
    if (!MatchesIdentification(inquiry)) {
      os_.CloseHandle(lastOpenedHandle_);
      continue;
    }

    const char letter[] = {root[0], root[1], '\0'};
    RecordDrive(inquiry, letter);
    DriveEntry& row = drives_[driveCount_];
    row.handle = lastOpenedHandle_;
    row.target = passThrough_.sptd.TargetId;
    row.lun = passThrough_.sptd.Lun;
    if (driveCount_ < kMaxPassThroughDrives && IsKnownRevision(row.revision)) {
      ++driveCount_;
    } else {
      os_.CloseHandle(lastOpenedHandle_);
    }
  }
  return driveCount_;
}

int CAtapi::ScanAspiDrives() {
  driveCount_ = 0;
  if (!aspi_entry::Bound()) return driveCount_;

  int firstCdromLetter = -1;
  for (int index = 0; index < kLetterCount && firstCdromLetter < 0; ++index) {
    char root[4];
    RootPath(static_cast<char>('A' + index), root);
    if (os_.DriveType(root) == platform::kDriveCdrom) firstCdromLetter = index;
  }

  const int adapterCount = static_cast<int>(aspi_entry::GetASPI32SupportInfo() & 0xFF);
  int cdromDevices = 0;
  aspi::SRB_GDEVBlock block;
  uint8_t inquiry[kInquiryBufferSize];

  for (int adapter = 0; adapter < adapterCount; ++adapter) {
    for (uint8_t target = 0; target < 8; ++target) {
      for (uint8_t lun = 0; lun < 8; ++lun) {
        aspiPath_.QueryDeviceType(block, {static_cast<uint8_t>(adapter), target, lun});
        if (block.SRB_Status != aspi::SS_COMP || block.SRB_DeviceType != aspi::DTYPE_CDROM) {
          continue;
        }

        SetAddress(static_cast<uint8_t>(adapter), target, lun);
        std::memset(inquiry, 0, sizeof inquiry);
        Inquiry(inquiry);

        // The letter is inferred: CD-ROM letters are taken to follow the scan order.
        char letter[3] = {};
        const int letterIndex = firstCdromLetter + cdromDevices;
        if (firstCdromLetter >= 0 && letterIndex < 26) {
          letter[0] = static_cast<char>('A' + letterIndex);
          letter[1] = ':';
        }
        ++cdromDevices;

        if (!MatchesIdentification(inquiry) || driveCount_ >= kMaxDrives) continue;
        RecordDrive(inquiry, letter);
        DriveEntry& row = drives_[driveCount_];
        row.handle = nullptr;
        row.hostAdapter = static_cast<uint8_t>(adapter);
        row.target = target;
        row.lun = lun;
        if (IsKnownRevision(row.revision)) ++driveCount_;
      }
    }
  }
  return driveCount_;
}

void CAtapi::SetAddress(uint8_t hostAdapter, uint8_t target, uint8_t lun) {
  hostAdapter_ = hostAdapter;
  target_ = target;
  lun_ = lun;
}

void CAtapi::SelectDrive(int row) {
  if (row < 0 || row >= kMaxDrives) return;
  const DriveEntry& entry = drives_[row];
  deviceHandle_ = entry.handle;
  SetAddress(entry.hostAdapter, entry.target, entry.lun);
}

bool CAtapi::IsKnownRevision(const char* revision) {
  const size_t length = std::strlen(revision);
  for (const char* known : kKnownRevisions) {
    if (std::strncmp(known, revision, length) == 0) return true;
  }
  return false;
}
