// The launcher's drive probe: a list of every CD-ROM device with its
// identification text, over WNASPI32.DLL where it loads and over the
// launcher's own ASPI emulation on the NT family where it does not.
//
//   launcher::AspiProcessState aspi(os);   // one per process
//   launcher::TAtapi atapi(os, aspi);      // binds, scans, selects row 0
//   for (int row = 0; row < atapi.DeviceCount(); ++row) ... atapi.Device(row).identification
#pragma once

#include <cstddef>
#include <cstdint>

#include "launcher/AspiEmulation.h"
#include "platform/AspiRecords.h"
#include "platform/AspiRequestPath.h"
#include "platform/Platform.h"

namespace launcher {

constexpr int kMaxDevices = 20;
constexpr int kIdentificationLength = 28;  // vendor 8, product 16, revision 4

struct DeviceRecord {
  uint8_t hostAdapter;
  uint8_t target;
  uint8_t lun;
  char identification[50];  // INQUIRY bytes 8 to 35, then NUL
};

#pragma pack(push, 1)
// SRB_ExecSCSICmd with room for 18 sense bytes: the manager writes as many
// as SRB_SenseLen asks for.
struct ExecRequest {
  aspi::SRB_ExecSCSICmd srb;
  uint8_t moreSense[4];
};
#pragma pack(pop)
constexpr uint8_t kRequestSenseLength = 18;
static_assert(sizeof(ExecRequest) - offsetof(aspi::SRB_ExecSCSICmd, SenseArea) >=
                  kRequestSenseLength,
              "sense area of the request");
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(ExecRequest) == 84, "request record size");
#endif

// The two entry points and the emulation's letter table, shared by every
// drive object of the process.
class AspiProcessState : public aspi::Manager {
 public:
  explicit AspiProcessState(platform::Platform& os) : emulation_(os, os, os) {}

  void BindLibrary(aspi::GetASPI32SupportInfoFn supportInfo, aspi::SendASPI32CommandFn send);
  void BindEmulation();
  bool Bound() const { return emulated_ || (supportInfo_ != nullptr && send_ != nullptr); }
  bool Emulated() const { return emulated_; }

  uint32_t GetASPI32SupportInfo();
  uint32_t SendASPI32Command(void* request) override;

  AspiEmulation& Emulation() { return emulation_; }

 private:
  aspi::GetASPI32SupportInfoFn supportInfo_ = nullptr;
  aspi::SendASPI32CommandFn send_ = nullptr;
  bool emulated_ = false;
  AspiEmulation emulation_;
};

class TAtapiImp {
 public:
  TAtapiImp(platform::Platform& os, AspiProcessState& aspi);
  ~TAtapiImp();
  TAtapiImp(const TAtapiImp&) = delete;
  TAtapiImp& operator=(const TAtapiImp&) = delete;

  int ScanCdromDevices();
  static bool IsTargetDrive(const char* identification);
  void SelectDevice(int row);
  uint8_t ExecScsiCommand(const uint8_t* cdb, void* buffer, uint32_t length, uint8_t direction);

  int DeviceCount() const { return deviceCount_; }
  const DeviceRecord& Device(int row) const { return devices_[row]; }

 private:
  bool LoadAspiLibrary();

  platform::Platform& os_;
  AspiProcessState& aspi_;
  aspi::RequestPath path_;

  uint8_t hostAdapter_ = 0;
  uint8_t target_ = 0;
  uint8_t lun_ = 0;
  platform::Module aspiLibrary_ = nullptr;
  int deviceCount_ = 0;
  DeviceRecord devices_[kMaxDevices] = {};
  ExecRequest* request_ = nullptr;
};

class TAtapi : public TAtapiImp {
 public:
  using TAtapiImp::TAtapiImp;
};

}  // namespace launcher
