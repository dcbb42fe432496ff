#include "sim/K818rDrive.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "sim/GenericDevices.h"

namespace sim {

namespace {

constexpr uint8_t kModeClosingPassThrough = 4;
constexpr uint8_t kModeBlock = 5;
constexpr uint64_t kForever = std::numeric_limits<uint64_t>::max();

uint16_t BigEndian16(const Cdb& cdb, size_t at) {
  return static_cast<uint16_t>((cdb[at] << 8) | cdb[at + 1]);
}

}  // namespace

void K818rDrive::ResetFlash() {
  for (auto& bank : banks_) bank.clear();
  for (auto& staged : staged_) staged.clear();
}

void K818rDrive::SetBank(int bank, const std::vector<uint8_t>& content) {
  std::vector<uint8_t>& target = banks_[static_cast<size_t>(bank)];
  target.assign(kBankSize, 0);
  std::copy_n(content.begin(), std::min<size_t>(content.size(), kBankSize), target.begin());
}

uint16_t K818rDrive::ReadBackSum(int blockCount) const {
  uint32_t sum = 0;
  for (int bank = 0; bank < blockCount && bank < kFlashBanks; ++bank) {
    const uint32_t end = (bank == 1 || bank == 2) ? 0xF000 : kBankSize;
    const std::vector<uint8_t>& content = banks_[static_cast<size_t>(bank)];
    if (content.empty()) {
      sum += uint32_t{config_.oldFirmwareFill} * end;
      continue;
    }
    for (uint32_t i = 0; i < end; ++i) sum += content[i];
  }
  return static_cast<uint16_t>(sum);
}

ScsiResult K818rDrive::Run(const ScsiCommand& command) {
  if (command.timeUs < offBusUntilUs_) {
    ScsiResult gone;  // a selection time-out
    gone.transportFailed = true;
    gone.transportError = config_.offBusError;
    gone.aspiStatus = aspi::SS_NO_DEVICE;
    gone.hostAdapterStatus = kHaSelectionTimeout;
    gone.latencyUs = config_.offBusLatencyUs;
    return gone;
  }
  if (attentionPending_) {
    attentionPending_ = false;
    return Check(kSenseUnitAttention, 0x29, 0x00);
  }
  const CommandKind kind = ClassifyCommand(command.cdb);
  if (kind == CommandKind::kInquiry) return Inquiry(command);
  if (kind == CommandKind::kOther) return Check(kSenseIllegalRequest, 0x20, 0x00);
  // Everything else waits for the drive to come back after a commit.
  if (!ReadyAt(command.timeUs)) return Check(kSenseNotReady, 0x04, 0x01);
  if (kind == CommandKind::kWriteBlock) return WriteBlock(command);
  if (kind == CommandKind::kClosing) return Close(command);
  if (kind == CommandKind::kReadFlashPage) return ReadPage(command);
  // TEST UNIT READY.
  if (!config_.discPresent || (committed_ && HasFault(FaultAction::kNoDisc))) {
    return Check(kSenseNotReady, 0x3A, 0x00);
  }
  return Good();
}

ScsiResult K818rDrive::Inquiry(const ScsiCommand& command) const {
  InquiryIdentity identity;
  identity.vendor = config_.vendor;
  identity.product = config_.product;
  identity.revision = config_.revision;
  identity.vendorSpecific = std::string(2, '\0') + config_.typeCode;
  identity.length = config_.inquiryLength;
  return Good(CopyInquiryData(identity, command));
}

ScsiResult K818rDrive::WriteBlock(const ScsiCommand& command) {
  const uint8_t mode = command.cdb[6];
  const uint8_t block = command.cdb[7];
  const uint16_t length = BigEndian16(command.cdb, 8);
  if (mode != kModeBlock || block >= kFlashBanks) return Check(kSenseIllegalRequest, 0x24, 0x00);
  // The data phase must carry the whole block the CDB announces.
  if (command.direction == kDataIn || command.data == nullptr || command.length < length) {
    return Check(kSenseIllegalRequest, 0x24, 0x00);
  }
  staged_[block].assign(command.data, command.data + length);
  return Good(length);
}

ScsiResult K818rDrive::Close(const ScsiCommand& command) {
  const uint8_t mode = command.cdb[6];
  const uint8_t block = command.cdb[7];
  const bool closingBlock = (block & 0xF0) == 0xE0 || (block & 0xF0) == 0xF0;
  const int count = block & 0x0F;
  if ((mode != kModeClosingPassThrough && mode != kModeBlock) || !closingBlock ||
      count > kFlashBanks) {
    return Check(kSenseIllegalRequest, 0x24, 0x00);
  }
  ClosingRecord record{mode, block, BigEndian16(command.cdb, 10), command.timeUs, 0};
  for (int bank = 0; bank < count; ++bank) {
    std::vector<uint8_t>& staged = staged_[static_cast<size_t>(bank)];
    if (staged.empty()) continue;
    SetBank(bank, staged);
    staged.clear();
    ++record.banksCommitted;
  }
  // Only a commit that wrote something is spoiled; a repeated closing must not undo it.
  if (record.banksCommitted > 0) SpoilCommit();
  closings_.push_back(record);
  committed_ = true;
  readyAtUs_ = HasFault(FaultAction::kNeverReady) ? kForever
                                                  : command.timeUs + config_.notReadyAfterCommitUs;
  offBusUntilUs_ = command.timeUs + config_.offBusAfterCommitUs;
  attentionPending_ = config_.unitAttentionOnReturn;
  return Good();
}

void K818rDrive::SpoilCommit() {
  for (const Fault& fault : Faults()) {
    if (fault.bank < 0 || fault.bank >= kFlashBanks || fault.offset >= kBankSize) continue;
    std::vector<uint8_t>& content = Materialize(fault.bank);
    if (fault.action == FaultAction::kCorruptBank) content[fault.offset] ^= fault.xorMask;
    if (fault.action != FaultAction::kSameSum) continue;
    // The first neighbouring pair from the offset on that can move one unit
    // from one byte to the other: other bytes, the same sum.
    for (uint32_t at = fault.offset; at + 1 < kBankSize; ++at) {
      uint8_t& a = content[at];
      uint8_t& b = content[at + 1];
      if (a < 0xFF && b > 0) {
        ++a;
        --b;
        break;
      }
      if (a > 0 && b < 0xFF) {
        --a;
        ++b;
        break;
      }
    }
  }
}

std::vector<uint8_t>& K818rDrive::Materialize(int bank) const {
  std::vector<uint8_t>& content = banks_[static_cast<size_t>(bank)];
  if (content.empty()) content.assign(kBankSize, config_.oldFirmwareFill);
  return content;
}

ScsiResult K818rDrive::ReadPage(const ScsiCommand& command) const {
  const uint16_t address = BigEndian16(command.cdb, 6);
  const uint8_t bank = command.cdb[9];
  if (bank >= kFlashBanks) return Check(kSenseIllegalRequest, 0x24, 0x00);
  if (address + kFlashPageSize > kBankSize) return Check(kSenseIllegalRequest, 0x21, 0x00);
  uint32_t count = std::min(command.length, kFlashPageSize);
  if (command.direction == kDataOut || command.data == nullptr) count = 0;
  const std::vector<uint8_t>& content = banks_[bank];
  if (count > 0 && content.empty()) std::memset(command.data, config_.oldFirmwareFill, count);
  if (count > 0 && !content.empty()) std::memcpy(command.data, content.data() + address, count);
  return Good(count);
}

}  // namespace sim
