// The seam's files role: files of the current folder, read as the C runtime
// reads them, and the profile files of the Windows folder.
#pragma once

#include "platform/Handles.h"

namespace platform {

class Files {
 public:
  virtual ~Files() = default;

  virtual File OpenFileForReading(const char* name) = 0;              // "rb"; null on failure
  virtual size_t ReadFile(File file, void* buffer, size_t size) = 0;  // bytes read
  virtual bool SeekFile(File file, long offset) = 0;                  // from the start
  virtual void CloseFile(File file) = 0;
  // FindFirstFileA on a name in the current folder: whether anything matches.
  virtual bool FindFirstMatch(const char* pattern) = 0;

  // WritePrivateProfileStringA: a bare file name is a profile file of the
  // Windows folder.
  virtual bool WriteProfileText(const char* file, const char* section, const char* key,
                                const char* value) = 0;
};

}  // namespace platform
