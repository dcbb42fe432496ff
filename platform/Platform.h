// The seam between the kit's logic and the operating system.
//
// Everything the logic asks of Windows goes through one Platform object: the
// real Win32 backend in the shipped programs, the simulated PC in the tests.
// The operations are shaped by what the logic needs, with Win32 semantics.
#pragma once

#include <cstddef>
#include <cstdint>

// winuser.h defines ExitWindows as a macro; in files that include windows.h
// first, the seam's operation of that name must win.
#ifdef ExitWindows
#undef ExitWindows
#endif

namespace platform {

using Handle = void*;       // HANDLE
using Module = void*;       // HMODULE
using File = void*;         // an open file of the C runtime
using RegistryKey = void*;  // HKEY

// A thread's start routine; what it returns is the thread's exit code.
using ThreadRoutine = uint32_t (*)(void* parameter);

// INVALID_HANDLE_VALUE
inline Handle InvalidHandle() {
  return reinterpret_cast<Handle>(static_cast<intptr_t>(-1));
}

constexpr uint32_t kPlatformWin32s = 0;
constexpr uint32_t kPlatformWin32Windows = 1;  // Windows 95, 98, ME
constexpr uint32_t kPlatformWin32Nt = 2;

constexpr unsigned kDriveUnknown = 0;
constexpr unsigned kDriveNoRootDir = 1;
constexpr unsigned kDriveRemovable = 2;
constexpr unsigned kDriveFixed = 3;
constexpr unsigned kDriveRemote = 4;
constexpr unsigned kDriveCdrom = 5;

constexpr uint32_t kWaitObject0 = 0;
constexpr uint32_t kWaitTimeout = 0x102;
constexpr uint32_t kWaitFailed = 0xFFFFFFFF;

constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorSemTimeout = 121;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorMediaChanged = 1110;
constexpr uint32_t kErrorIoDevice = 1117;

// CreateFileA access and share modes.
constexpr uint32_t kGenericRead = 0x80000000;
constexpr uint32_t kGenericWrite = 0x40000000;
constexpr uint32_t kFileShareRead = 0x1;
constexpr uint32_t kFileShareWrite = 0x2;

// MAX_PATH: room for any folder the system reports.
constexpr unsigned kMaxPath = 260;

// Message box styles and answers (MB_*, ID*).
constexpr unsigned kMbOk = 0x00;
constexpr unsigned kMbOkCancel = 0x01;
constexpr unsigned kMbYesNo = 0x04;
constexpr unsigned kMbIconStop = 0x10;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconExclamation = 0x30;
constexpr unsigned kMbIconInformation = 0x40;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// ExitWindowsEx flags.
constexpr uint32_t kEwxReboot = 0x02;
constexpr uint32_t kEwxForce = 0x04;

// Registry roots, access rights, value types and the answers the logic
// looks at (Win32 error codes).
RegistryKey HkeyLocalMachine();  // HKEY_LOCAL_MACHINE
RegistryKey HkeyDynData();       // HKEY_DYN_DATA: the live device tree of Windows 95/98/ME
constexpr uint32_t kKeyRead = 0x20019;
constexpr uint32_t kKeyAllAccess = 0xF003F;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorMoreData = 234;
constexpr long kErrorNoMoreItems = 259;

constexpr uint32_t kLocaleSystemDefault = 0x0800;  // LOCALE_SYSTEM_DEFAULT
constexpr uint32_t kLocaleILanguage = 0x0001;      // LOCALE_ILANGUAGE

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

// What GetVersionExA reports (OSVERSIONINFOA).
struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platformId = 0;
  char servicePack[128] = {};
};

class Platform {
 public:
  virtual ~Platform() = default;

  // System
  virtual bool QueryVersion(OsVersion& version) = 0;                  // GetVersionExA
  virtual unsigned SystemDirectory(char* buffer, unsigned size) = 0;  // GetSystemDirectoryA
  virtual uint32_t LastError() = 0;                                   // GetLastError
  // FormatMessageA(FROM_SYSTEM) into buffer; false (and LastError set) when
  // there is no text or it does not fit.
  virtual bool SystemErrorText(uint32_t code, char* buffer, unsigned size) = 0;

  // Run-time libraries
  virtual Module LoadLibraryAt(const char* path) = 0;  // LoadLibraryA; null on failure
  virtual void* ProcAddress(Module module, const char* name) = 0;
  virtual void UnloadLibrary(Module module) = 0;

  // Devices and SCSI pass-through
  virtual unsigned DriveType(const char* rootPath) = 0;  // GetDriveTypeA
  // CreateFileA(path, access, share, OPEN_EXISTING); InvalidHandle() on failure.
  virtual Handle OpenDeviceWith(const char* path, uint32_t access, uint32_t share) = 0;
  // The same for reading and writing, shared both ways.
  Handle OpenDevice(const char* path) {
    return OpenDeviceWith(path, kGenericRead | kGenericWrite, kFileShareRead | kFileShareWrite);
  }
  virtual bool DeviceControl(Handle device, uint32_t code, void* in, uint32_t inSize, void* out,
                             uint32_t outSize, uint32_t* bytesReturned) = 0;
  virtual void CloseHandle(Handle handle) = 0;

  // Events, waits and time
  virtual Handle CreateManualEvent() = 0;  // manual reset, not signalled; null on failure
  virtual uint32_t WaitForObject(Handle handle, uint32_t milliseconds) = 0;
  virtual void SleepFor(uint32_t milliseconds) = 0;
  virtual uint32_t TickCount() = 0;
  virtual int64_t PerformanceCounter() = 0;
  virtual int64_t PerformanceFrequency() = 0;
  virtual uint32_t MultimediaTime() = 0;  // timeGetTime

  // Threads: CreateThread with default security and stack, running at once.
  // The handle is the caller's to close; null on failure.
  virtual Handle StartThread(ThreadRoutine routine, void* parameter) = 0;

  // User interface
  virtual int ShowMessageBox(const char* text, const char* caption, unsigned style) = 0;
  virtual void PumpOneMessage() = 0;  // dispatches one waiting message of this thread, if any

  // WritePrivateProfileStringA: a bare file name is a profile file of the
  // Windows folder.
  virtual bool WriteProfileText(const char* file, const char* section, const char* key,
                                const char* value) = 0;

  // Processes. Starts the program without waiting for it; false when
  // CreateProcessA fails (LastError set).
  virtual bool StartProgram(const ProgramStart& start) = 0;

  // Files of the current folder, read as the C runtime reads them ("rb").
  virtual File OpenFileForReading(const char* name) = 0;              // null on failure
  virtual size_t ReadFile(File file, void* buffer, size_t size) = 0;  // bytes read
  virtual bool SeekFile(File file, long offset) = 0;                  // from the start
  virtual void CloseFile(File file) = 0;

  // Working memory for device transfers: page-aligned, as the pass-through
  // port drivers want it. Null on failure.
  virtual void* AllocateBuffer(size_t size) = 0;
  virtual void FreeBuffer(void* buffer) = 0;

  // Registry. Each returns the Win32 error code, kErrorSuccess on success.
  virtual long OpenRegistryKey(RegistryKey parent, const char* path, uint32_t access,
                               RegistryKey* key) = 0;  // RegOpenKeyExA
  // Name of subkey `index` into name[size], zero-terminated.
  virtual long EnumRegistrySubkey(RegistryKey key, uint32_t index, char* name, uint32_t size) = 0;
  virtual long RegistryValueCount(RegistryKey key, uint32_t* count) = 0;  // RegQueryInfoKeyA
  // RegEnumValueA: *nameSize in, the buffer's size in characters; out, the
  // name's length without its zero. type, data and dataSize may be null.
  virtual long EnumRegistryValue(RegistryKey key, uint32_t index, char* name, uint32_t* nameSize,
                                 uint32_t* type, uint8_t* data, uint32_t* dataSize) = 0;
  // RegQueryValueExA: *dataSize in, the buffer's size; out, the value's size
  // (with kErrorMoreData when it does not fit). type may be null.
  virtual long QueryRegistryValue(RegistryKey key, const char* name, uint32_t* type, uint8_t* data,
                                  uint32_t* dataSize) = 0;
  virtual long SetRegistryValue(RegistryKey key, const char* name, uint32_t type,
                                const uint8_t* data, uint32_t size) = 0;  // RegSetValueExA
  virtual long CloseRegistryKey(RegistryKey key) = 0;

  // Restart
  virtual void EnableShutdownPrivilege() = 0;  // token calls, results ignored
  virtual bool ExitWindows(uint32_t flags) = 0;

  // The program itself
  // GetVersionExA with the larger OSVERSIONINFOEXA record, which Windows 95,
  // 98, ME and NT 4.0 before Service Pack 6 refuse.
  virtual bool QueryVersionExtended(OsVersion& version) = 0;
  // CreateMutexA(no security, initially owned, name); LastError tells
  // kErrorAlreadyExists when another process holds one of that name. The
  // handle is never closed: it lives as long as the process.
  virtual Handle CreateOwnedMutex(const char* name) = 0;
  // GetLocaleInfoA: characters written with the zero, 0 on failure.
  virtual int LocaleInfo(uint32_t locale, uint32_t type, char* buffer, int size) = 0;
  // The program file's full path (GetModuleFileNameA); its length.
  virtual unsigned ProgramPath(char* buffer, unsigned size) = 0;
  // LoadStringA from the program's string table: the characters copied
  // (at most size - 1, then a zero), 0 for an id without text.
  virtual int LoadText(unsigned id, char* buffer, int size) = 0;
  // The bytes of the program's resource `id` of the named type, or null;
  // they stay valid as long as the process.
  virtual const uint8_t* ResourceBytes(const char* type, unsigned id, uint32_t* size) = 0;
  // FindFirstFileA on a name in the current folder: whether anything matches.
  virtual bool FindFirstMatch(const char* pattern) = 0;
  // A box owned by the thread's active window (MessageBoxA with it as owner),
  // so that the window cannot be used while the box is up.
  virtual int ShowOwnedMessageBox(const char* text, const char* caption, unsigned style) = 0;

  // The engine's diagnostic texts. The programs discard them.
  virtual void Trace(const char* text) = 0;
};

// The process's platform: the Win32 backend in the Windows programs. Only
// the programs' entry points and global objects reach for it.
Platform& System();

}  // namespace platform
