// The launcher's own ASPI manager for the NT family without WNASPI32.DLL:
// every CD-ROM drive letter becomes one host adapter, numbered from 0 in
// letter order, with the drive as target 0, LUN 0, and its commands go
// through SCSI pass-through on the letter.
//
// The letter table is filled once, by the first drive object that needs
// it, and shared by the next; every answer is final when the call returns.
#pragma once

#include <cstdint>

#include "platform/AspiRecords.h"
#include "platform/Platform.h"

namespace launcher {

constexpr int kLetterCount = 26;  // A: to Z:
constexpr int kLetterInquiryLength = 36;

struct LetterEntry {
  uint8_t adapter;
  uint8_t target;
  uint8_t lun;
  uint8_t letterIndex;  // 0 = A:
  int32_t valid;
  platform::Handle handle;  // InvalidHandle() when not open
  uint8_t inquiry[kLetterInquiryLength];
};

class AspiEmulation {
 public:
  AspiEmulation(platform::Devices& devices, platform::Clock& clock, platform::SystemInfo& system);
  ~AspiEmulation();
  AspiEmulation(const AspiEmulation&) = delete;
  AspiEmulation& operator=(const AspiEmulation&) = delete;

  // Number of drive letters that answer INQUIRY (the table's, once filled).
  int EnumerateCdromLetters();
  void ProbeDriveLetter(int letterIndex, LetterEntry& row);
  platform::Handle OpenDriveLetter(int letterIndex);
  int CountEmulatedAdapters() const;
  // 0 when no valid row has that address (A: and B: never hold one).
  int FindLetterByAddress(uint8_t adapter, uint8_t target, uint8_t lun) const;

  // The two library entry points.
  uint32_t EmuGetASPI32SupportInfo() const;
  uint32_t EmuSendASPI32Command(void* request);

  uint8_t AdapterCount() const { return adapterCount_; }
  const LetterEntry& Letter(int index) const { return letters_[index]; }

 private:
  uint32_t HostAdapterInquiry(aspi::SRB_HAInquiry& request) const;
  uint32_t DeviceType(aspi::SRB_GDEVBlock& request) const;
  uint32_t ExecuteCommand(aspi::SRB_ExecSCSICmd& request, bool retryAllowed);
  void CloseLetter(LetterEntry& row);

  platform::Devices& devices_;
  platform::Clock& clock_;
  platform::SystemInfo& system_;
  uint8_t adapterCount_ = 0;
  LetterEntry letters_[kLetterCount] = {};
  bool filled_ = false;
  bool drivesFound_ = false;
};

}  // namespace launcher
