#include "RequestLog.h"

#include <cstdio>

#include "platform/AspiRecords.h"

namespace wineaspi {

namespace {

constexpr size_t kRecentRequests = 16;

std::string Format(const char* format, unsigned a, unsigned b = 0, unsigned c = 0, unsigned d = 0) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b, c, d);
  return text;
}

std::string Hex(const uint8_t* bytes, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    text += Format(i == 0 ? "%02X" : " %02X", bytes[i]);
  }
  return text;
}

std::string Sense(const aspi::SRB_ExecSCSICmd& srb) {
  return Format(" targstat=%02X sense=%02X/%02X/%02X", srb.SRB_TargStat, srb.SenseArea[2],
                srb.SenseArea[12], srb.SenseArea[13]);
}

std::string Describe(const void* request) {
  const auto* header = static_cast<const aspi::SRB_Header*>(request);
  switch (header->SRB_Cmd) {
    case aspi::SC_HA_INQUIRY:
      return Format("HA_INQUIRY ha=%u flags=%02X", header->SRB_HaId, header->SRB_Flags);
    case aspi::SC_GET_DEV_TYPE: {
      const auto* srb = static_cast<const aspi::SRB_GDEVBlock*>(request);
      return Format("GET_DEV_TYPE ha=%u target=%u lun=%u flags=%02X", srb->SRB_HaId,
                    srb->SRB_Target, srb->SRB_Lun, srb->SRB_Flags);
    }
    case aspi::SC_EXEC_SCSI_CMD: {
      const auto* srb = static_cast<const aspi::SRB_ExecSCSICmd*>(request);
      size_t cdbLength =
          srb->SRB_CDBLen < sizeof srb->CDBByte ? srb->SRB_CDBLen : sizeof srb->CDBByte;
      return Format("EXEC ha=%u target=%u lun=%u flags=%02X", srb->SRB_HaId, srb->SRB_Target,
                    srb->SRB_Lun, srb->SRB_Flags) +
             Format(" buflen=%u", srb->SRB_BufLen) +
             (srb->SRB_BufPointer ? " buf=set" : " buf=null") +
             Format(" senselen=%u cdblen=%u", srb->SRB_SenseLen, srb->SRB_CDBLen) +
             (srb->SRB_PostProc ? " postproc=set" : " postproc=null") +
             " cdb=" + Hex(srb->CDBByte, cdbLength);
    }
    default:
      return Format("CMD %02X ha=%u", header->SRB_Cmd, header->SRB_HaId);
  }
}

std::string Outcome(const void* request) {
  const auto* header = static_cast<const aspi::SRB_Header*>(request);
  std::string text = Format("%02X", header->SRB_Status);
  if (header->SRB_Status == aspi::SS_PENDING) return text + " pending";
  switch (header->SRB_Cmd) {
    case aspi::SC_HA_INQUIRY:
      return text + Format(" count=%u", static_cast<const aspi::SRB_HAInquiry*>(request)->HA_Count);
    case aspi::SC_GET_DEV_TYPE:
      return text +
             Format(" type=%02X", static_cast<const aspi::SRB_GDEVBlock*>(request)->SRB_DeviceType);
    case aspi::SC_EXEC_SCSI_CMD:
      return text + Sense(*static_cast<const aspi::SRB_ExecSCSICmd*>(request));
    default:
      return text;
  }
}

}  // namespace

void RequestLog::Write(uint64_t timeUs, const std::string& text) const {
  if (path_.empty()) return;
  FILE* file = std::fopen(path_.c_str(), "ab");
  if (file == nullptr) return;
  std::fprintf(file, "%llu.%03llu %s\n", static_cast<unsigned long long>(timeUs / 1000000u),
               static_cast<unsigned long long>(timeUs / 1000u % 1000u), text.c_str());
  std::fclose(file);
}

void RequestLog::Note(uint64_t timeUs, const std::string& text) {
  Write(timeUs, text);
}

int RequestLog::NumberOf(const void* srb) const {
  for (auto it = recent_.rbegin(); it != recent_.rend(); ++it) {
    if (it->srb == srb) return it->number;
  }
  return 0;
}

int RequestLog::Begin(const void* srb, std::string& line) {
  int number = nextNumber_++;
  signalled_.clear();
  line = "#" + std::to_string(number) + " ";
  if (srb == nullptr) {
    line += "null";
    return number;
  }
  line += Describe(srb);
  const auto* header = static_cast<const aspi::SRB_Header*>(srb);
  if (header->SRB_Cmd == aspi::SC_ABORT_SRB) {
    int target = NumberOf(static_cast<const aspi::SRB_Abort*>(srb)->SRB_ToAbort);
    line = "#" + std::to_string(number) +
           Format(" ABORT ha=%u flags=%02X", header->SRB_HaId, header->SRB_Flags) +
           (target ? " toabort=#" + std::to_string(target) : std::string(" toabort=unknown"));
  }
  return number;
}

void RequestLog::End(uint64_t timeUs, void* srb, int number, std::string line) {
  if (srb == nullptr) {
    Write(timeUs, line);
    return;
  }
  const auto* header = static_cast<const aspi::SRB_Header*>(srb);
  // A block used again forgets its earlier, unfinished request.
  for (auto it = pending_.begin(); it != pending_.end();) {
    it = it->srb == srb ? pending_.erase(it) : it + 1;
  }
  Pending request{srb, number, header->SRB_Cmd};
  recent_.push_back(request);
  if (recent_.size() > kRecentRequests) recent_.erase(recent_.begin());
  line += " -> " + Outcome(srb);
  if (header->SRB_Status == aspi::SS_PENDING) {
    pending_.push_back(request);
  } else if (header->SRB_Cmd == aspi::SC_EXEC_SCSI_CMD) {
    line += EventNote(srb);
  }
  Write(timeUs, line);
}

std::string RequestLog::EventNote(const void* srb) const {
  void* event = static_cast<const aspi::SRB_ExecSCSICmd*>(srb)->SRB_PostProc;
  return event != nullptr && signalled_.count(event) ? " event=set" : " event=none";
}

void RequestLog::WriteCompletions(uint64_t timeUs) {
  for (auto it = pending_.begin(); it != pending_.end();) {
    const auto* header = static_cast<const aspi::SRB_Header*>(it->srb);
    if (header->SRB_Status == aspi::SS_PENDING) {
      ++it;
      continue;
    }
    std::string line = "#" + std::to_string(it->number) + " done " + Outcome(it->srb);
    if (it->command == aspi::SC_EXEC_SCSI_CMD) line += EventNote(it->srb);
    Write(timeUs, line);
    it = pending_.erase(it);
  }
}

}  // namespace wineaspi
