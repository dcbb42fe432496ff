// The pass-through library's core, free of the preloading: one Linux SG_IO
// request, as Wine's CD-ROM code builds it from a program's
// SCSI_PASS_THROUGH_DIRECT record, answered by a simulated device, and the
// request-log line that shows the record as the program filled it in:
//
//   #1 E: Length=44 CdbLength=12 SenseInfoLength=24 DataIn=1 DataTransferLength=50
//         TimeOutValue=60 SenseInfoOffset=48 DataBuffer=set
//         cdb=12 00 00 00 32 00 00 00 00 00 00 00 -> status=00 sense=00/00/00 resid=0
//
// (one line). Wine hands the record's own Cdb and sense buffer to SG_IO, so
// the record is found behind them; the record of a 32-bit program is read
// by the 32-bit copy of the library, whose layout is the 32-bit one.
#pragma once

#include <scsi/sg.h>

#include <cstdint>
#include <string>

#include "platform/PassThroughRecords.h"
#include "sim/ScsiDevice.h"

namespace winept {

// The program's record behind a request, or null when the request's
// pointers do not lead back to one.
const passthrough::SCSI_PASS_THROUGH_DIRECT* RecordBehind(const sg_io_hdr& request);

// The errno that Wine turns into the given Windows error of DeviceIoControl.
// Wine 8 maps the errno of SG_IO as for files: EACCES 5, EBADF 6, EINVAL 87,
// ENOTTY 50, EBUSY 170, ETIME 121, EIO 21 ("Not ready."), an errno it does
// not know 31. No errno reaches 1117 (a device I/O error) or 55 (a device that
// is gone, as while a drive restarts off the bus): 1117 becomes 121, which
// callers tolerate alike, and 55 becomes 21, the other error a restarting
// drive gives; the rest become EIO (21).
int ErrnoForWindowsError(uint32_t windowsError);

struct SgAnswer {
  int result = 0;  // what ioctl returns: 0, or -1 with `error` in errno
  int error = 0;
  uint64_t waitUs = 0;  // how long the device took, at most the request's time-out
  std::string line;     // the log line, without time stamp and number
};

// Runs the request on `device` at `timeUs` and fills in the request's
// answer fields (status, sense, residual) the way the kernel does.
SgAnswer AnswerRequest(sg_io_hdr& request, sim::ScsiDevice& device, char letter, uint64_t timeUs);

}  // namespace winept
