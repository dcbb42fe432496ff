// The one way both programs put requests to an ASPI manager: a command sent
// with its completion event, waited for and aborted when it does not come
// back in time; a device-type query polled while the thread's window
// messages keep flowing. What the programs differ in is a setting.
//
//   aspi::RequestPath path(os, os, manager, {aspi::SENSE_LEN, 30000, 30000, aspi::SS_ERR});
//   uint8_t status = path.Execute(request, {ha, target, lun}, cdb, buffer, length, direction);
#pragma once

#include <cstdint>

#include "platform/AspiRecords.h"
#include "platform/Clock.h"
#include "platform/Screen.h"

namespace aspi {

// Whatever answers a program's SendASPI32Command: the library it bound, or
// an emulation.
class Manager {
 public:
  virtual uint32_t SendASPI32Command(void* srb) = 0;

 protected:
  ~Manager() = default;
};

struct RequestSettings {
  uint8_t senseLength;             // SRB_SenseLen of every command
  uint32_t commandTimeoutMs;       // for a pending command's event
  uint32_t deviceTypePollLimitMs;  // a pending device-type query is given up after
  uint8_t failureStatus;           // no event, or no completion in time
};

struct Address {
  uint8_t hostAdapter;
  uint8_t target;
  uint8_t lun;
};

class RequestPath {
 public:
  RequestPath(platform::Clock& clock, platform::Screen& screen, Manager& manager,
              const RequestSettings& settings)
      : clock_(clock), screen_(screen), manager_(manager), settings_(settings) {}

  // Sends the 12-byte command in `request`, which the caller keeps for every
  // command (fields not set here stay as they were, the sense area among
  // them). Returns the final SRB_Status, or the failure status.
  uint8_t Execute(SRB_ExecSCSICmd& request, const Address& address, const uint8_t* cdb,
                  void* buffer, uint32_t length, uint8_t direction);

  // An SRB_Abort naming the pending request; nothing waits for it.
  void Abort(void* request, uint8_t hostAdapter);

  // Fills `block` for the address and sends it. A manager that never
  // answers must not hang the program before its first window, so a pending
  // answer is polled, serving the thread's messages, up to the limit.
  void QueryDeviceType(SRB_GDEVBlock& block, const Address& address);

 private:
  platform::Clock& clock_;
  platform::Screen& screen_;
  Manager& manager_;
  RequestSettings settings_;
};

}  // namespace aspi
