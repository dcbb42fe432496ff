// CAtapi: the flasher's drive object. It owns the transport to the drive
// (SCSI pass-through on the NT family, the ASPI library on Windows 9x), the
// table of drives found at start, the command builders and the firmware
// engine that runs on the selected drive.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/AspiRecords.h"
#include "platform/AspiRequestPath.h"
#include "platform/PassThroughRecords.h"
#include "platform/Platform.h"
#include "update/ImageHeader.h"

struct DriveEntry {
  platform::Handle handle;
  uint8_t hostAdapter;
  uint8_t target;
  uint8_t lun;
  char identification[50];
  char revision[8];
  char driveLetter[10];
};

struct SenseTriple {
  uint8_t key;  // sense byte 2, flag bits included
  uint8_t asc;
  uint8_t ascq;
};

constexpr int kCdbLength = 12;
constexpr int kMaxDrives = 30;
constexpr int kInquiryLength = 50;
constexpr int kInquiryBufferSize = 256;
constexpr uint32_t kFlashPageSize = 256;  // bytes one READ FLASH PAGE returns

constexpr uint8_t kDirectionNone = 0x00;
constexpr uint8_t kDirectionIn = 0x08;
constexpr uint8_t kDirectionOut = 0x10;

constexpr uint8_t RESULT_RUNNING = 0x00;
constexpr uint8_t RESULT_FINISHED = 0x01;
constexpr uint8_t RESULT_IMAGE_REJECTED = 0xE0;
constexpr uint8_t RESULT_DRIVE_REJECTED = 0xE1;
// Written by the update worker: the drive was written but the flash did not
// end verified (a refused block or closing command, no ready drive, a
// read-back that failed or did not match).
constexpr uint8_t RESULT_FLASH_FAILED = 0xE2;
// Written by the update page: its worker could not be started, so nothing
// was sent to the drive.
constexpr uint8_t RESULT_NOT_STARTED = 0xE3;

class CAtapi {
 public:
  // Chooses the transport, binds the ASPI library where needed, scans for
  // drives and selects row 0.
  explicit CAtapi(platform::Platform& os);
  ~CAtapi();
  CAtapi(const CAtapi&) = delete;
  CAtapi& operator=(const CAtapi&) = delete;

  // Transport
  bool IsWindowsNt();
  uint8_t SendCommand(const uint8_t* cdb, void* buffer, uint32_t length, uint8_t direction);
  uint8_t SendPassThrough(const uint8_t* cdb, void* buffer, uint32_t length, uint8_t dataIn);
  void ShowSystemError(uint32_t code);
  SenseTriple LastSense() const;
  // The DeviceIoControl of the last pass-through command failed.
  bool LastCallFailed() const { return ntFamily_ && passThroughCallFailed_; }
  // While the drive restarts its new firmware a failed pass-through call
  // shows no box: the drive is briefly gone, and the procedure's own rules
  // decide what the failure means.
  void SetDriveRestarting(bool restarting) { driveRestarting_ = restarting; }

  // Discovery
  int ScanDrives();
  int ScanPassThroughDrives();
  int ScanAspiDrives();
  void SetAddress(uint8_t hostAdapter, uint8_t target, uint8_t lun);
  void SelectDrive(int row);
  static bool IsKnownRevision(const char* revision);

  // General commands
  uint8_t TestUnitReady();
  uint8_t Inquiry(void* buffer);

  // Firmware engine
  bool CheckImageFile(const char* fileName);
  static bool Unscramble(uint8_t* buffer, uint32_t length, uint32_t flag);
  void EngineTrace(const char* text);
  bool CheckDriveType();
  uint8_t WriteFirmwareBlock(const void* buffer, uint32_t mode, uint32_t block, uint32_t length,
                             uint32_t value);
  uint8_t ReadFlashPage(void* buffer, uint32_t bank, uint32_t address);
  bool FlashFirmware();
  uint16_t SumFlashContents();
  bool VerifyFlash();
  bool RestartWindows();  // false: Windows refused the restart
  bool RunUpdate();

  int DriveCount() const { return driveCount_; }
  const DriveEntry& Drive(int row) const { return drives_[row]; }
  bool IsNtFamily() const { return ntFamily_; }
  uint8_t UpdateResult() const { return updateResult_.load(); }
  void SetUpdateResult(uint8_t result) { updateResult_.store(result); }
  const ImageHeader& Image() const { return image_; }
  platform::Platform& Os() { return os_; }

 private:
  bool BindAspiLibrary();
  uint8_t SendAspi(const uint8_t* cdb, void* buffer, uint32_t length, uint8_t direction);
  void RecordDrive(const uint8_t* inquiry, const char* driveLetter);

  platform::Platform& os_;
  aspi::RequestPath aspiPath_;

  // Members in the order the drive object has always laid them out.
  platform::Handle deviceHandle_ = nullptr;
  uint8_t hostAdapter_ = 0;
  uint8_t target_ = 0;
  uint8_t lun_ = 0;
  platform::Module aspiLibrary_ = nullptr;
  int driveCount_ = 0;
  std::atomic<uint8_t> updateResult_{RESULT_RUNNING};  // polled by the UI thread
  bool ntFamily_ = false;
  platform::Handle lastOpenedHandle_ = nullptr;
  DriveEntry drives_[kMaxDrives] = {};
  aspi::SRB_ExecSCSICmd* request_ = nullptr;
  passthrough::PassThroughRecord passThrough_ = {};
  bool passThroughCallFailed_ = false;  // DeviceIoControl of the last pass-through failed
  bool driveRestarting_ = false;

  ImageHeader image_ = {};
};
