// The seam's system role: which Windows this is, its folders, locale and
// error texts, the thread's last error, a named mutex, and the restart.
#pragma once

#include "platform/Handles.h"

// winuser.h defines ExitWindows as a macro; in files that include windows.h
// first, the seam's operation of that name must win.
#ifdef ExitWindows
#undef ExitWindows
#endif

namespace platform {

constexpr uint32_t kPlatformWin32s = 0;
constexpr uint32_t kPlatformWin32Windows = 1;  // Windows 95, 98, ME
constexpr uint32_t kPlatformWin32Nt = 2;

constexpr uint32_t kLocaleSystemDefault = 0x0800;  // LOCALE_SYSTEM_DEFAULT
constexpr uint32_t kLocaleILanguage = 0x0001;      // LOCALE_ILANGUAGE

// ExitWindowsEx flags.
constexpr uint32_t kEwxReboot = 0x02;
constexpr uint32_t kEwxForce = 0x04;

// What GetVersionExA reports (OSVERSIONINFOA).
struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platformId = 0;
  char servicePack[128] = {};
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  virtual bool QueryVersion(OsVersion& version) = 0;  // GetVersionExA
  // GetVersionExA with the larger OSVERSIONINFOEXA record, which Windows 95,
  // 98, ME and NT 4.0 before Service Pack 6 refuse.
  virtual bool QueryVersionExtended(OsVersion& version) = 0;
  virtual unsigned SystemDirectory(char* buffer, unsigned size) = 0;  // GetSystemDirectoryA
  // GetLocaleInfoA: characters written with the zero, 0 on failure.
  virtual int LocaleInfo(uint32_t locale, uint32_t type, char* buffer, int size) = 0;

  virtual uint32_t LastError() = 0;  // GetLastError
  // FormatMessageA(FROM_SYSTEM) into buffer; false (and LastError set) when
  // there is no text or it does not fit.
  virtual bool SystemErrorText(uint32_t code, char* buffer, unsigned size) = 0;

  // CreateMutexA(no security, initially owned, name); LastError tells
  // kErrorAlreadyExists when another process holds one of that name. The
  // handle is never closed: it lives as long as the process.
  virtual Handle CreateOwnedMutex(const char* name) = 0;

  virtual void EnableShutdownPrivilege() = 0;  // token calls, results ignored
  virtual bool ExitWindows(uint32_t flags) = 0;
};

}  // namespace platform
