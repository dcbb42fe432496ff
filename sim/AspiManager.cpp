#include "sim/AspiManager.h"

#include <algorithm>
#include <cstring>

#include "sim/GenericDevices.h"

namespace sim {

namespace {

constexpr uint8_t SS_ABORT_FAIL = 0x03;
constexpr uint8_t kDirectionMask = aspi::SRB_DIR_IN | aspi::SRB_DIR_OUT;

bool ValidSlot(int target, int lun) {
  return target >= 0 && target < kAspiTargets && lun >= 0 && lun < kAspiLuns;
}

// Every request block ends this way: its status set and returned.
template <typename Srb>
uint32_t Answer(Srb& srb, uint8_t status) {
  srb.SRB_Status = status;
  return status;
}

}  // namespace

void AspiManager::Attach(int ha, int target, int lun, std::shared_ptr<ScsiDevice> device,
                         Completion completion) {
  slots_[Slot{ha, target, lun}] = Attachment{std::move(device), completion};
  adapterCount_ = std::max(adapterCount_, ha + 1);
}

void AspiManager::SetCompletion(int ha, int target, int lun, Completion completion) {
  auto found = slots_.find(Slot{ha, target, lun});
  if (found != slots_.end()) found->second.completion = completion;
}

ScsiDevice* AspiManager::DeviceAt(int ha, int target, int lun) const {
  const Attachment* attachment = Find(ha, target, lun);
  return attachment == nullptr ? nullptr : attachment->device.get();
}

const AspiManager::Attachment* AspiManager::Find(int ha, int target, int lun) const {
  auto found = slots_.find(Slot{ha, target, lun});
  return found == slots_.end() ? nullptr : &found->second;
}

void AspiManager::Poll() {
  for (auto it = pendingDevType_.begin(); it != pendingDevType_.end();) {
    if (it->pollsLeft > 0 && --it->pollsLeft == 0) {
      it->srb->SRB_DeviceType = it->deviceType;
      it->srb->SRB_Status = it->status;
      it = pendingDevType_.erase(it);
    } else {
      ++it;
    }
  }
}

uint32_t AspiManager::GetASPI32SupportInfo() const {
  if (adapterCount_ <= 0) return static_cast<uint32_t>(SS_NO_ADAPTERS) << 8;
  return (static_cast<uint32_t>(aspi::SS_COMP) << 8) | static_cast<uint32_t>(adapterCount_ & 0xFF);
}

uint32_t AspiManager::SendASPI32Command(void* srb) {
  if (srb == nullptr) return aspi::SS_INVALID_CMD;
  auto* header = static_cast<aspi::SRB_Header*>(srb);
  switch (header->SRB_Cmd) {
    case aspi::SC_HA_INQUIRY:
      return HaInquiry(*static_cast<aspi::SRB_HAInquiry*>(srb));
    case aspi::SC_GET_DEV_TYPE:
      return GetDevType(*static_cast<aspi::SRB_GDEVBlock*>(srb));
    case aspi::SC_EXEC_SCSI_CMD:
      return ExecScsi(*static_cast<aspi::SRB_ExecSCSICmd*>(srb));
    case aspi::SC_ABORT_SRB:
      return Abort(*static_cast<aspi::SRB_Abort*>(srb));
    default:
      return Answer(*header, aspi::SS_INVALID_CMD);
  }
}

uint32_t AspiManager::HaInquiry(aspi::SRB_HAInquiry& srb) const {
  srb.HA_Count = static_cast<uint8_t>(adapterCount_);
  if (srb.SRB_HaId >= adapterCount_) return Answer(srb, aspi::SS_INVALID_HA);
  srb.HA_SCSI_ID = 7;
  PutPaddedText(srb.HA_ManagerId, sizeof srb.HA_ManagerId, kManagerId);
  PutPaddedText(srb.HA_Identifier, sizeof srb.HA_Identifier, "ATAPI");
  std::memset(srb.HA_Unique, 0, sizeof srb.HA_Unique);
  srb.HA_Unique[3] = kAspiTargets;
  srb.HA_Unique[6] = 0x01;  // largest transfer: 0x10000 bytes, little-endian at 4-7
  return Answer(srb, aspi::SS_COMP);
}

uint32_t AspiManager::GetDevType(aspi::SRB_GDEVBlock& srb) {
  const uint64_t now = host_.NowUs();
  uint8_t status = aspi::SS_NO_DEVICE;
  uint8_t type = aspi::DTYPE_UNKNOWN;
  if (srb.SRB_HaId >= adapterCount_) {
    status = aspi::SS_INVALID_HA;
  } else if (const Attachment* attachment = Find(srb.SRB_HaId, srb.SRB_Target, srb.SRB_Lun)) {
    status = aspi::SS_COMP;
    type = attachment->device->DeviceType();
  }

  auto pending = devTypePendingPolls_.find(Slot{srb.SRB_HaId, srb.SRB_Target, srb.SRB_Lun});
  if (pending != devTypePendingPolls_.end() && pending->second != 0) {
    srb.SRB_Status = aspi::SS_PENDING;
    pendingDevType_.push_back(PendingDevType{&srb, pending->second, status, type});
  } else {
    srb.SRB_DeviceType = type;
    srb.SRB_Status = status;
  }
  log_.Add(
      DevTypeRecord{now, srb.SRB_HaId, srb.SRB_Target, srb.SRB_Lun, srb.SRB_Flags, srb.SRB_Status});
  return srb.SRB_Status;
}

uint32_t AspiManager::ExecScsi(aspi::SRB_ExecSCSICmd& srb) {
  if (srb.SRB_HaId >= adapterCount_) return Answer(srb, aspi::SS_INVALID_HA);
  const Attachment* attachment = ValidSlot(srb.SRB_Target, srb.SRB_Lun)
                                     ? Find(srb.SRB_HaId, srb.SRB_Target, srb.SRB_Lun)
                                     : nullptr;
  if (attachment == nullptr) return Answer(srb, aspi::SS_NO_DEVICE);

  ScsiCommand command;
  std::memcpy(command.cdb.data(), srb.CDBByte, std::min<size_t>(srb.SRB_CDBLen, 12));
  command.data = srb.SRB_BufPointer;
  command.length = srb.SRB_BufLen;
  const uint8_t direction = srb.SRB_Flags & kDirectionMask;
  command.direction = direction == kDirectionMask ? kDataNone : direction;
  command.timeUs = host_.NowUs();

  ScsiDevice& device = *attachment->device;
  const ScsiResult result = device.Execute(command);

  CommandRecord record = RecordOf(device, command, result, Transport::kAspi);
  record.aspi = AspiFields{srb.SRB_Cmd,
                           srb.SRB_HaId,
                           srb.SRB_Flags,
                           srb.SRB_Target,
                           srb.SRB_Lun,
                           srb.SRB_SenseLen,
                           srb.SRB_CDBLen,
                           srb.SRB_BufLen,
                           srb.SRB_BufPointer != nullptr,
                           srb.SRB_PostProc != nullptr};
  log_.Add(record);

  const Completion completion =
      result.completion == Completion::kDefault ? attachment->completion : result.completion;
  if (completion == Completion::kSynchronous || completion == Completion::kDefault) {
    host_.Elapse(result.latencyUs);
    Finish(srb, result);
    return srb.SRB_Status;
  }

  const uint64_t id = nextRequestId_++;
  pendingExec_[&srb] = id;
  srb.SRB_Status = aspi::SS_PENDING;
  if (completion == Completion::kPending) {
    aspi::SRB_ExecSCSICmd* request = &srb;
    host_.ScheduleAt(command.timeUs + result.latencyUs, [this, request, id, result]() {
      auto found = pendingExec_.find(request);
      if (found == pendingExec_.end() || found->second != id) return;  // aborted or reused
      pendingExec_.erase(found);
      Finish(*request, result);
    });
  }
  return srb.SRB_Status;
}

void AspiManager::Finish(aspi::SRB_ExecSCSICmd& srb, const ScsiResult& result) const {
  srb.SRB_HaStat = result.hostAdapterStatus;
  if (result.transportFailed) {
    srb.SRB_TargStat = 0;
    // No sense: the command never reached a verdict.
    srb.SRB_Status = result.aspiStatus != 0 ? result.aspiStatus : aspi::SS_ERR;
  } else {
    srb.SRB_TargStat = result.status;
    if (result.status == kStatusCheckCondition) {
      // The block has room for SENSE_LEN + 2 bytes, whatever SRB_SenseLen asks.
      const size_t count = std::min<size_t>({srb.SRB_SenseLen, sizeof srb.SenseArea, kSenseLength});
      std::memcpy(srb.SenseArea, result.sense.data(), count);
    }
    const uint8_t derived = result.status == kStatusGood ? aspi::SS_COMP : aspi::SS_ERR;
    srb.SRB_Status = result.aspiStatus != 0 ? result.aspiStatus : derived;
  }
  if ((srb.SRB_Flags & aspi::SRB_EVENT_NOTIFY) != 0 && srb.SRB_PostProc != nullptr) {
    host_.SignalEvent(srb.SRB_PostProc);
  }
}

uint32_t AspiManager::Abort(aspi::SRB_Abort& srb) {
  auto found = pendingExec_.find(srb.SRB_ToAbort);
  const bool pending = found != pendingExec_.end();
  log_.Add(AbortRecord{host_.NowUs(), srb.SRB_HaId, srb.SRB_ToAbort, pending});
  if (!pending) return Answer(srb, SS_ABORT_FAIL);
  pendingExec_.erase(found);
  static_cast<aspi::SRB_ExecSCSICmd*>(srb.SRB_ToAbort)->SRB_Status = aspi::SS_ABORTED;
  return Answer(srb, aspi::SS_COMP);
}

}  // namespace sim
