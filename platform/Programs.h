// The seam's programs role: the running program's own file, string table
// and resources, its diagnostic texts, and the start of another program.
#pragma once

#include "platform/Handles.h"

namespace platform {

// A program start with CreateProcessA: the start-up record is empty but for
// its size, and environment and current folder are the caller's own.
struct ProgramStart {
  const char* applicationName = nullptr;  // a bare name resolves against the current folder
  const char* commandLine = nullptr;
  bool processHandleInheritable = false;  // SECURITY_ATTRIBUTES of the new process
  bool threadHandleInheritable = false;   // ... and of its first thread
  bool inheritHandles = false;
  uint32_t creationFlags = 0;
};

class Programs {
 public:
  virtual ~Programs() = default;

  // The program file's full path (GetModuleFileNameA); its length.
  virtual unsigned ProgramPath(char* buffer, unsigned size) = 0;
  // LoadStringA from the program's string table: the characters copied
  // (at most size - 1, then a zero), 0 for an id without text.
  virtual int LoadText(unsigned id, char* buffer, int size) = 0;
  // The bytes of the program's resource `id` of the named type, or null;
  // they stay valid as long as the process.
  virtual const uint8_t* ResourceBytes(const char* type, unsigned id, uint32_t* size) = 0;
  // The engine's diagnostic texts. The programs discard them.
  virtual void Trace(const char* text) = 0;

  // Starts the program without waiting for it; false when CreateProcessA
  // fails (the system's LastError set).
  virtual bool StartProgram(const ProgramStart& start) = 0;
};

}  // namespace platform
