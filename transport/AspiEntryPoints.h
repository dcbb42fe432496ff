// The two ASPI library entry points, bound by name when the drive object is
// built on Windows 9x and kept for the whole process.
#pragma once

#include "platform/AspiRecords.h"

namespace aspi_entry {

extern aspi::GetASPI32SupportInfoFn GetASPI32SupportInfo;
extern aspi::SendASPI32CommandFn SendASPI32Command;

inline bool Bound() {
  return GetASPI32SupportInfo != nullptr && SendASPI32Command != nullptr;
}

}  // namespace aspi_entry
