#include "platform/AspiRequestPath.h"

#include <cstring>

namespace aspi {

namespace {

constexpr uint8_t kCdbLength = 12;

}  // namespace

uint8_t RequestPath::Execute(SRB_ExecSCSICmd& request, const Address& address, const uint8_t* cdb,
                             void* buffer, uint32_t length, uint8_t direction) {
  platform::Handle event = clock_.CreateManualEvent();
  if (event == nullptr) return settings_.failureStatus;

  request.SRB_Cmd = SC_EXEC_SCSI_CMD;
  request.SRB_HaId = address.hostAdapter;
  request.SRB_Flags = static_cast<uint8_t>(direction | SRB_EVENT_NOTIFY);
  request.SRB_Target = address.target;
  request.SRB_Lun = address.lun;
  request.SRB_BufLen = length;
  request.SRB_BufPointer = static_cast<uint8_t*>(buffer);
  request.SRB_SenseLen = settings_.senseLength;
  request.SRB_CDBLen = kCdbLength;
  request.SRB_PostProc = event;
  std::memcpy(request.CDBByte, cdb, kCdbLength);

  manager_.SendASPI32Command(&request);
  if (request.SRB_Status != SS_PENDING) {
    clock_.CloseHandle(event);
    return request.SRB_Status;
  }
  const uint32_t wait = clock_.WaitForObject(event, settings_.commandTimeoutMs);
  if (wait == platform::kWaitObject0) {
    clock_.CloseHandle(event);
    return request.SRB_Status;
  }
  // Closed only after the abort, in case the manager posts the aborted
  // request to it.
  Abort(&request, address.hostAdapter);
  clock_.CloseHandle(event);
  return settings_.failureStatus;
}

void RequestPath::Abort(void* request, uint8_t hostAdapter) {
  SRB_Abort abort = {};
  abort.SRB_Cmd = SC_ABORT_SRB;
  abort.SRB_HaId = hostAdapter;
  abort.SRB_ToAbort = request;
  manager_.SendASPI32Command(&abort);
}

void RequestPath::QueryDeviceType(SRB_GDEVBlock& block, const Address& address) {
  std::memset(&block, 0, sizeof block);
  block.SRB_Cmd = SC_GET_DEV_TYPE;
  block.SRB_HaId = address.hostAdapter;
  block.SRB_Target = address.target;
  block.SRB_Lun = address.lun;
  manager_.SendASPI32Command(&block);
  // The tick count, not the performance counter: not every machine has one.
  const uint32_t start = clock_.TickCount();
  while (block.SRB_Status == SS_PENDING &&
         clock_.TickCount() - start < settings_.deviceTypePollLimitMs) {
    screen_.PumpOneMessage();
  }
}

}  // namespace aspi
