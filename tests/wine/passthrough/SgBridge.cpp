#include "passthrough/SgBridge.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace winept {

namespace {

using passthrough::SCSI_PASS_THROUGH_DIRECT;

constexpr uint16_t kHostTimedOut = 0x03;  // the SCSI midlayer's DID_TIME_OUT
// Where a sense buffer may sit behind the record for it to count as the
// record's own (the kit's lies 48 or 60 bytes in).
constexpr uintptr_t kFarthestSenseOffset = 4096;

std::string Format(const char* format, long long a, long long b = 0, long long c = 0) {
  char text[96];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

std::string Hex(const uint8_t* bytes, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) text += Format(i == 0 ? "%02llX" : " %02llX", bytes[i]);
  return text;
}

std::string DescribeRecord(const SCSI_PASS_THROUGH_DIRECT& record) {
  return Format("Length=%lld CdbLength=%lld", record.Length, record.CdbLength) +
         Format(" SenseInfoLength=%lld DataIn=%lld", record.SenseInfoLength, record.DataIn) +
         Format(" DataTransferLength=%lld TimeOutValue=%lld", record.DataTransferLength,
                record.TimeOutValue) +
         Format(" SenseInfoOffset=%lld", record.SenseInfoOffset) +
         (record.DataBuffer != nullptr ? " DataBuffer=set" : " DataBuffer=null");
}

// A request that did not come from a record: its own fields instead.
std::string DescribeRequest(const sg_io_hdr& request) {
  return Format("record=unknown cmd_len=%lld mx_sb_len=%lld", request.cmd_len, request.mx_sb_len) +
         Format(" dxfer_direction=%lld dxfer_len=%lld timeout=%lld", request.dxfer_direction,
                request.dxfer_len, request.timeout);
}

uint8_t Direction(const sg_io_hdr& request) {
  if (request.dxfer_len == 0) return sim::kDataNone;
  switch (request.dxfer_direction) {
    case SG_DXFER_FROM_DEV:
    case SG_DXFER_TO_FROM_DEV:
      return sim::kDataIn;
    case SG_DXFER_TO_DEV:
      return sim::kDataOut;
    default:
      return sim::kDataNone;
  }
}

const char* ErrnoName(int error) {
  switch (error) {
    case ETIME:
      return "ETIME";
    case EACCES:
      return "EACCES";
    case EBADF:
      return "EBADF";
    case EINVAL:
      return "EINVAL";
    case ENOTTY:
      return "ENOTTY";
    case EBUSY:
      return "EBUSY";
    default:
      return "EIO";
  }
}

void WriteAnswer(sg_io_hdr& request, const sim::ScsiResult& result, uint8_t direction) {
  request.status = result.status;
  request.masked_status = static_cast<uint8_t>((result.status >> 1) & 0x7F);
  request.resid =
      direction == sim::kDataNone
          ? 0
          : static_cast<int>(request.dxfer_len - std::min(result.transferred, request.dxfer_len));
  request.sb_len_wr = 0;
  if (result.status == sim::kStatusCheckCondition && request.mx_sb_len > 0 &&
      request.sbp != nullptr) {
    const size_t count = std::min<size_t>(request.mx_sb_len, sim::kSenseLength);
    std::memcpy(request.sbp, result.sense.data(), count);
    request.sb_len_wr = static_cast<uint8_t>(count);
  }
  if (result.status != sim::kStatusGood) request.info |= SG_INFO_CHECK;
}

}  // namespace

const SCSI_PASS_THROUGH_DIRECT* RecordBehind(const sg_io_hdr& request) {
  if (request.cmdp == nullptr || request.sbp == nullptr) return nullptr;
  const auto cdb = reinterpret_cast<uintptr_t>(request.cmdp);
  const auto sense = reinterpret_cast<uintptr_t>(request.sbp);
  constexpr uintptr_t cdbOffset = offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb);
  if (cdb < cdbOffset) return nullptr;
  const uintptr_t start = cdb - cdbOffset;
  // Only a sense buffer just behind the Cdb makes the bytes before the Cdb
  // part of the same record, and so safe to read.
  if (start % alignof(SCSI_PASS_THROUGH_DIRECT) != 0 ||
      sense < start + sizeof(SCSI_PASS_THROUGH_DIRECT) || sense - start > kFarthestSenseOffset) {
    return nullptr;
  }
  const auto* record = reinterpret_cast<const SCSI_PASS_THROUGH_DIRECT*>(start);
  const bool same =
      record->SenseInfoOffset == sense - start && record->CdbLength == request.cmd_len &&
      record->SenseInfoLength == request.mx_sb_len &&
      record->DataTransferLength == request.dxfer_len && record->DataBuffer == request.dxferp;
  return same ? record : nullptr;
}

int ErrnoForWindowsError(uint32_t windowsError) {
  switch (windowsError) {
    case 121:   // ERROR_SEM_TIMEOUT, from STATUS_IO_TIMEOUT
    case 1117:  // ERROR_IO_DEVICE: no errno leads there
      return ETIME;
    case 5:
      return EACCES;
    case 6:
      return EBADF;
    case 87:
      return EINVAL;
    case 50:
      return ENOTTY;
    case 170:
      return EBUSY;
    case 55:  // ERROR_DEV_NOT_EXIST: no errno leads there; 21 is the drive's other answer
    default:
      return EIO;
  }
}

SgAnswer AnswerRequest(sg_io_hdr& request, sim::ScsiDevice& device, char letter, uint64_t timeUs) {
  SgAnswer answer;
  // The record as the program filled it in: Wine writes back only after the call.
  const SCSI_PASS_THROUGH_DIRECT* record = RecordBehind(request);
  answer.line = std::string(1, letter) + ": " +
                (record != nullptr ? DescribeRecord(*record) : DescribeRequest(request));

  sim::ScsiCommand command;
  const size_t cdbLength = std::min<size_t>(request.cmd_len, command.cdb.size());
  if (request.cmdp != nullptr) std::memcpy(command.cdb.data(), request.cmdp, cdbLength);
  answer.line += " cdb=" + Hex(command.cdb.data(), cdbLength);
  command.data = static_cast<uint8_t*>(request.dxferp);
  command.length = request.dxferp != nullptr ? request.dxfer_len : 0;
  command.direction = Direction(request);
  command.timeUs = timeUs;

  sim::ScsiResult result = device.Execute(command);
  request.info = 0;
  request.host_status = 0;
  request.driver_status = 0;

  const uint64_t timeoutUs = uint64_t{request.timeout} * 1000;
  if (request.timeout != 0 && result.latencyUs > timeoutUs) {
    // The kernel gives up on the command and says so only in host_status,
    // which Wine does not look at.
    answer.waitUs = timeoutUs;
    request.status = 0;
    request.resid = static_cast<int>(request.dxfer_len);
    request.host_status = kHostTimedOut;
    request.info = SG_INFO_CHECK;
    answer.line += " -> timed out";
  } else if (result.transportFailed) {
    answer.waitUs = result.latencyUs;
    answer.result = -1;
    answer.error = ErrnoForWindowsError(result.transportError);
    if (result.fillRecordOnFailure) WriteAnswer(request, result, command.direction);
    answer.line += Format(" -> error=%lld", result.transportError) +
                   " errno=" + ErrnoName(answer.error) +
                   (result.fillRecordOnFailure ? Format(" status=%02llX", result.status) : "");
  } else {
    answer.waitUs = result.latencyUs;
    WriteAnswer(request, result, command.direction);
    const bool sense = request.sb_len_wr >= 14;
    answer.line +=
        Format(" -> status=%02llX", result.status) +
        Format(" sense=%02llX/%02llX", sense ? request.sbp[2] : 0, sense ? request.sbp[12] : 0) +
        Format("/%02llX resid=%lld", sense ? request.sbp[13] : 0, request.resid);
  }
  request.duration = static_cast<unsigned>(answer.waitUs / 1000);
  return answer;
}

}  // namespace winept
