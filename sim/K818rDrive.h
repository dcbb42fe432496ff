// The simulated OD-K818R: INQUIRY with its type code, TEST UNIT READY, and
// the vendor firmware commands (0x5A 00 38 41 53, sub-code at byte 5):
//
//   0xA0 write firmware block: [6] mode, [7] block, [8..9] length, [10..11] value.
//        Mode 5, block 0-7, length > 0: stages the data for that bank.
//        Length 0, block 0xE0+n or 0xF0+n, mode 4 or 5: the closing command.
//        It commits the staged blocks below n (bank i = block i, then zeros),
//        records the value and restarts the drive: off the bus for
//        offBusAfterCommitUs (every command fails as a selection time-out),
//        then, when unitAttentionOnReturn is set, 6/29/00 on the first
//        command, then not ready (2/04/01) until notReadyAfterCommitUs after
//        the closing command, then ready.
//   0x11 read flash page: [6..7] address, [9] bank; 256 bytes in.
//
// Everything else: CHECK CONDITION 5/20/00. Setup in a test:
//
//   auto drive = std::make_shared<sim::K818rDrive>();      // "QUAV OD-K818R 1.01", type "WM"
//   drive->Config().revision = "1.16";
//   drive->Config().notReadyAfterCommitUs = 30'000'000;
//   drive->AddFault(sim::Fault::NeverReady());
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/ScsiDevice.h"

namespace sim {

constexpr int kFlashBanks = 8;
constexpr uint32_t kBankSize = 0x10000;
constexpr uint32_t kFlashPageSize = 256;

struct K818rConfig {
  std::string vendor = "QUAV";
  std::string product = "OD-K818R";
  std::string revision = "1.01";   // 4 bytes; may hold NULs
  std::string typeCode = "WM";     // INQUIRY bytes 38-39
  uint32_t inquiryLength = 96;     // bytes returned at most; below 50 leaves the host's rest
  uint8_t oldFirmwareFill = 0x00;  // every bank's content before an update
  uint64_t notReadyAfterCommitUs = 15'000'000;
  uint64_t offBusAfterCommitUs = 0;
  uint32_t offBusError = kErrorDeviceGone;  // what DeviceIoControl fails with meanwhile
  uint64_t offBusLatencyUs = 250'000;       // a selection time-out per command
  bool unitAttentionOnReturn = false;
  bool discPresent = true;
};

struct ClosingRecord {
  uint8_t mode = 0;
  uint8_t block = 0;  // as sent (0xE0+n or 0xF0+n)
  uint16_t value = 0;
  uint64_t timeUs = 0;
  int banksCommitted = 0;
};

class K818rDrive : public ScsiDevice {
 public:
  explicit K818rDrive(K818rConfig config = {}) : config_(std::move(config)) {}

  uint8_t DeviceType() const override { return 0x05; }
  std::string Name() const override { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  // Changes to the config apply from the next command (banks that nothing
  // wrote read as oldFirmwareFill; ResetFlash() makes every bank so again).
  K818rConfig& Config() { return config_; }
  void ResetFlash();
  void SetBank(int bank, const std::vector<uint8_t>& content);  // padded with zeros

  const std::vector<uint8_t>& Bank(int bank) const { return Materialize(bank); }
  bool Staged(int bank) const { return !staged_[bank].empty(); }
  const std::vector<ClosingRecord>& Closings() const { return closings_; }
  // 16-bit sum over what a read-back of `blockCount` banks covers
  // (banks 1 and 2 up to 0xEFFF, the others whole).
  uint16_t ReadBackSum(int blockCount) const;
  bool ReadyAt(uint64_t timeUs) const { return timeUs >= readyAtUs_; }

 protected:
  ScsiResult Run(const ScsiCommand& command) override;

 private:
  ScsiResult Inquiry(const ScsiCommand& command) const;
  ScsiResult WriteBlock(const ScsiCommand& command);
  ScsiResult Close(const ScsiCommand& command);
  ScsiResult ReadPage(const ScsiCommand& command) const;
  void SpoilCommit();
  // A bank takes memory only once something reads it whole or writes it.
  std::vector<uint8_t>& Materialize(int bank) const;

  K818rConfig config_;
  std::string name_ = "K818R";
  mutable std::array<std::vector<uint8_t>, kFlashBanks> banks_;  // empty: all oldFirmwareFill
  std::array<std::vector<uint8_t>, kFlashBanks> staged_;
  std::vector<ClosingRecord> closings_;
  bool committed_ = false;
  uint64_t readyAtUs_ = 0;
  uint64_t offBusUntilUs_ = 0;
  bool attentionPending_ = false;
};

}  // namespace sim
