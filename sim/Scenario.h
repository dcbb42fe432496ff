// Scenario text: devices and faults, one per line, for test tables and for
// the test WNASPI32.DLL, which reads the same lines from a file.
//
//   # comment; blank lines are ignored
//   os win98                      win95 win98 win98se winme nt4sp5 nt4sp6 win2000 winxp
//   aspi ha=0 target=1 lun=0 k818r revision=1.01 typecode=WM
//   aspi ha=0 target=0 lun=0 cdrom vendor=OTHERCO product="CD-ROM 52X"
//   aspi ha=1 target=0 lun=0 disk
//   letter E: k818r name=drive1          pass-through device on \\.\E:
//   letter F: device=drive1              the same device again
//   letter C: fixed                      drive type only: fixed removable remote cdrom none
//   fault closing nth=1 count=2 status=2 sense=05/1A/00
//   fault tur every transport error=1117 fill
//   fault write nth=3 drop
//   fault inquiry completion=never       also: pending, sync
//   fault closing latency=40000          milliseconds
//   fault neverready | fault nodisc | fault corrupt bank=1 offset=0x100 xor=0x01
//
// A misbehaving drive:
//   letter E: k818r offbus=5000 offbuserror=21 attention
//       after its closing command the drive is off the bus for 5000 ms
//       (ASPI SS_NO_DEVICE with SRB_HaStat 0x11; DeviceIoControl fails with
//       offbuserror=, 55 unless given), each command taking a selection
//       time-out (selectiontimeout=, ms, 250 unless given); with attention
//       the first command after it answers 6/29/00; then not ready (2/04/01)
//       until notready= from the closing command; then ready
//   fault tur nth=2 count=3 offbus     the same, for chosen commands only
//   fault write status=8               BUSY (no sense); status=2 sense=KK/AA/QQ any sense
//   fault readpage hastat=0x11         ASPI SS_ERR with that SRB_HaStat, no sense;
//                                      pass-through error 1117 (error= to change)
//   fault closing aborted              ASPI SS_ABORTED; pass-through error 1117
//   fault any transport error=55 aspistatus=0x82    any SRB_Status and error pair
//   fault tur error=21 | error=55 | error=5 | error=121 | error=1117
//   fault readpage nth=9 short=100     only 100 bytes move, status good (residual)
//   fault write nth=2 short=10         the drive receives 10 bytes, the rest zeros
//   fault readpage nth=7 flip=0x01 byte=17   the host receives byte 17 xor 0x01
//   fault write nth=1 flip=0x80 byte=3       the drive stores byte 3 xor 0x80
//   fault write nth=1 drop                   status good, nothing stored
//   fault samesum bank=1 offset=0x100  after the commit two neighbouring bytes
//                                      from there differ by one each way: the
//                                      content is wrong, its sum is right
//   fault closing completion=never     ASPI: never completes; pass-through: use
//                                      latency= above 60000 (the port's time-out)
//
// Device options: name=, vendor=, product=, revision=, typecode=, inquirylength=,
// completion=sync|pending|never (ASPI), latency= (ms), notready= (ms, k818r),
// fill= (old firmware byte, k818r), target= lun= (letter: pass-through address).
// Values may be quoted ("QUAV    ") and take \0 and \xNN escapes. Numbers are
// decimal or 0x hex; sense=KK/AA/QQ is hex.
// Fault kinds: any tur inquiry write closing readpage other; selectors
// nth=N count=N every at=N (n-th command of any kind); a fault line applies to
// the device declared last, or to device=<name>.
//
// The words of fault and device lines are rows of two tables in ScenarioWords.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/AspiManager.h"
#include "sim/ScsiDevice.h"
#include "sim/WindowsVersions.h"

namespace sim {

class SimPc;

struct DeviceSetup {
  enum class Bus { kAspi, kLetter } bus = Bus::kAspi;
  int ha = 0;
  int target = 0;
  int lun = 0;
  char letter = 0;
  std::string model;  // "k818r", "cdrom", "disk", or empty for a drive type only
  unsigned driveType = 0;
  std::string name;
  std::string sameAs;  // device=<name>: reuse that device
  Completion completion = Completion::kSynchronous;
  std::shared_ptr<ScsiDevice> device;  // built by the parser
};

struct Scenario {
  std::optional<WindowsVersion> windows;
  std::vector<DeviceSetup> devices;
};

// Parses the whole text. On error returns false and names the line in `error`.
bool ParseScenario(const std::string& text, Scenario& scenario, std::string* error);
// One fault line without the leading "fault" word, e.g. "closing nth=1 sense=05/1A/00".
bool ParseFault(const std::string& line, Fault& fault, std::string* error);

// Attaches the ASPI devices of the scenario to a manager.
void ApplyScenario(const Scenario& scenario, AspiManager& aspi);
// Sets up a whole PC: version, ASPI devices, letters.
void ApplyScenario(const Scenario& scenario, SimPc& pc);

}  // namespace sim
