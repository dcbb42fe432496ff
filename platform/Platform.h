// The seam between the kit's logic and the operating system.
//
// Everything the logic asks of Windows goes through the seam's roles, each
// a small interface of its own, shaped by what the logic needs, with Win32
// semantics:
//   Devices     drive letters, pass-through, transfer memory, the ASPI library
//   Registry    keys and values
//   Files       files of the current folder, profile files
//   Clock       time, events and waits, threads
//   Screen      message boxes, the message loop
//   SystemInfo  version, folders, locale, errors, mutex, restart
//   Programs    the program's own path, texts and resources; starting another
// A logic class takes the roles it uses. A Platform is one object that
// plays them all: the real Win32 backend in the shipped programs, the
// simulated PC in the tests.
#pragma once

#include "platform/Clock.h"
#include "platform/Devices.h"
#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Programs.h"
#include "platform/Registry.h"
#include "platform/Screen.h"
#include "platform/SystemInfo.h"

namespace platform {

// The roles are virtual bases, so that a backend may be put together from
// classes that each play one role (as the simulated PC is).
class Platform : public virtual Devices,
                 public virtual Registry,
                 public virtual Files,
                 public virtual Clock,
                 public virtual Screen,
                 public virtual SystemInfo,
                 public virtual Programs {
 public:
  // Device, event and thread handles close alike: one CloseHandle plays
  // both roles' operation.
  using Devices::CloseHandle;
};

// The process's platform: the Win32 backend in the Windows programs. Only
// the programs' entry points and global objects reach for it.
Platform& System();

}  // namespace platform
