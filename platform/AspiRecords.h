// The published ASPI for Win32 request blocks and constants.
#pragma once

#include <cstddef>
#include <cstdint>

namespace aspi {

constexpr uint8_t SC_HA_INQUIRY = 0x00;
constexpr uint8_t SC_GET_DEV_TYPE = 0x01;
constexpr uint8_t SC_EXEC_SCSI_CMD = 0x02;
constexpr uint8_t SC_ABORT_SRB = 0x03;

constexpr uint8_t SS_PENDING = 0x00;
constexpr uint8_t SS_COMP = 0x01;
constexpr uint8_t SS_ABORTED = 0x02;
constexpr uint8_t SS_ERR = 0x04;
constexpr uint8_t SS_INVALID_CMD = 0x80;
constexpr uint8_t SS_INVALID_HA = 0x81;
constexpr uint8_t SS_NO_DEVICE = 0x82;

constexpr uint8_t SRB_DIR_IN = 0x08;
constexpr uint8_t SRB_DIR_OUT = 0x10;
constexpr uint8_t SRB_EVENT_NOTIFY = 0x40;

constexpr uint8_t DTYPE_DASD = 0x00;
constexpr uint8_t DTYPE_CDROM = 0x05;
constexpr uint8_t DTYPE_UNKNOWN = 0x1F;

constexpr int SENSE_LEN = 14;

#pragma pack(push, 1)

struct SRB_Header {
  uint8_t SRB_Cmd;
  uint8_t SRB_Status;
  uint8_t SRB_HaId;
  uint8_t SRB_Flags;
  uint32_t SRB_Hdr_Rsvd;
};

struct SRB_HAInquiry {
  uint8_t SRB_Cmd;
  uint8_t SRB_Status;
  uint8_t SRB_HaId;
  uint8_t SRB_Flags;
  uint32_t SRB_Hdr_Rsvd;
  uint8_t HA_Count;
  uint8_t HA_SCSI_ID;
  uint8_t HA_ManagerId[16];
  uint8_t HA_Identifier[16];
  uint8_t HA_Unique[16];
  uint16_t HA_Rsvd1;
};

struct SRB_GDEVBlock {
  uint8_t SRB_Cmd;
  uint8_t SRB_Status;
  uint8_t SRB_HaId;
  uint8_t SRB_Flags;
  uint32_t SRB_Hdr_Rsvd;
  uint8_t SRB_Target;
  uint8_t SRB_Lun;
  uint8_t SRB_DeviceType;
  uint8_t SRB_Rsvd1;
};

struct SRB_ExecSCSICmd {
  uint8_t SRB_Cmd;
  uint8_t SRB_Status;
  uint8_t SRB_HaId;
  uint8_t SRB_Flags;
  uint32_t SRB_Hdr_Rsvd;
  uint8_t SRB_Target;
  uint8_t SRB_Lun;
  uint16_t SRB_Rsvd1;
  uint32_t SRB_BufLen;
  uint8_t* SRB_BufPointer;
  uint8_t SRB_SenseLen;
  uint8_t SRB_CDBLen;
  uint8_t SRB_HaStat;
  uint8_t SRB_TargStat;
  void* SRB_PostProc;
  uint8_t SRB_Rsvd2[20];
  uint8_t CDBByte[16];
  uint8_t SenseArea[SENSE_LEN + 2];
};

struct SRB_Abort {
  uint8_t SRB_Cmd;
  uint8_t SRB_Status;
  uint8_t SRB_HaId;
  uint8_t SRB_Flags;
  uint32_t SRB_Hdr_Rsvd;
  void* SRB_ToAbort;
};

#pragma pack(pop)

// The library's two entry points, bound by name at run time (cdecl).
using GetASPI32SupportInfoFn = uint32_t (*)();
using SendASPI32CommandFn = uint32_t (*)(void* srb);

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(SRB_HAInquiry) == 60, "SRB_HAInquiry layout");
static_assert(sizeof(SRB_GDEVBlock) == 12, "SRB_GDEVBlock layout");
static_assert(sizeof(SRB_ExecSCSICmd) == 80, "SRB_ExecSCSICmd layout");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_PostProc) == 24, "SRB_PostProc offset");
static_assert(offsetof(SRB_ExecSCSICmd, CDBByte) == 48, "CDBByte offset");
static_assert(offsetof(SRB_ExecSCSICmd, SenseArea) == 64, "SenseArea offset");
static_assert(sizeof(SRB_Abort) == 12, "SRB_Abort layout");
#endif

}  // namespace aspi
