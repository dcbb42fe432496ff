#include "platform/win32/Win32Platform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>
// winuser.h has a macro of this name; ours is the seam's operation.
#undef ExitWindows

#include <cstdio>
#include <cstring>

namespace platform {

namespace {

struct ThreadStart {
  ThreadRoutine routine;
  void* parameter;
};

// CreateThread wants the system's calling convention; the seam's routines
// are plain functions.
DWORD WINAPI RunThreadRoutine(LPVOID start) {
  const ThreadStart call = *static_cast<ThreadStart*>(start);
  delete static_cast<ThreadStart*>(start);
  return call.routine(call.parameter);
}

}  // namespace

bool Win32Platform::QueryVersion(OsVersion& version) {
  OSVERSIONINFOA info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;  // 148: the size every Windows version accepts
  if (!::GetVersionExA(&info)) return false;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  version.build = info.dwBuildNumber;
  version.platformId = info.dwPlatformId;
  static_assert(sizeof version.servicePack == sizeof info.szCSDVersion, "service-pack text");
  std::memcpy(version.servicePack, info.szCSDVersion, sizeof version.servicePack);
  version.servicePack[sizeof version.servicePack - 1] = '\0';
  return true;
}

unsigned Win32Platform::SystemDirectory(char* buffer, unsigned size) {
  return ::GetSystemDirectoryA(buffer, size);
}

uint32_t Win32Platform::LastError() {
  return ::GetLastError();
}

bool Win32Platform::SystemErrorText(uint32_t code, char* buffer, unsigned size) {
  // Some system texts hold %1-style inserts; without arguments to fill them
  // FormatMessage would read through a null argument list.
  const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  return ::FormatMessageA(flags, nullptr, code, 0, buffer, size, nullptr) != 0;
}

Module Win32Platform::LoadLibraryAt(const char* path) {
  return ::LoadLibraryA(path);
}

void* Win32Platform::ProcAddress(Module module, const char* name) {
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module), name));
}

void Win32Platform::UnloadLibrary(Module module) {
  if (module != nullptr) ::FreeLibrary(static_cast<HMODULE>(module));
}

unsigned Win32Platform::DriveType(const char* rootPath) {
  return ::GetDriveTypeA(rootPath);
}

Handle Win32Platform::OpenDeviceWith(const char* path, uint32_t access, uint32_t share) {
  return ::CreateFileA(path, access, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

bool Win32Platform::DeviceControl(Handle device, uint32_t code, void* in, uint32_t inSize,
                                  void* out, uint32_t outSize, uint32_t* bytesReturned) {
  // Without an OVERLAPPED the count is written unconditionally, so it always
  // gets a place even when the caller does not want it.
  DWORD returned = 0;
  const BOOL done = ::DeviceIoControl(device, code, in, inSize, out, outSize, &returned, nullptr);
  if (bytesReturned != nullptr) *bytesReturned = returned;
  return done != FALSE;
}

void Win32Platform::CloseHandle(Handle handle) {
  ::CloseHandle(handle);
}

Handle Win32Platform::CreateManualEvent() {
  return ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

uint32_t Win32Platform::WaitForObject(Handle handle, uint32_t milliseconds) {
  return ::WaitForSingleObject(handle, milliseconds);
}

void Win32Platform::SleepFor(uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

uint32_t Win32Platform::TickCount() {
  return ::GetTickCount();
}

int64_t Win32Platform::PerformanceCounter() {
  LARGE_INTEGER count;
  if (!::QueryPerformanceCounter(&count)) return 0;
  return count.QuadPart;
}

int64_t Win32Platform::PerformanceFrequency() {
  LARGE_INTEGER frequency;
  if (!::QueryPerformanceFrequency(&frequency)) return 0;
  return frequency.QuadPart;
}

Handle Win32Platform::StartThread(ThreadRoutine routine, void* parameter) {
  auto* start = new ThreadStart{routine, parameter};
  DWORD id = 0;
  HANDLE thread = ::CreateThread(nullptr, 0, RunThreadRoutine, start, 0, &id);
  if (thread == nullptr) delete start;
  return thread;
}

uint32_t Win32Platform::MultimediaTime() {
  return ::timeGetTime();
}

int Win32Platform::ShowMessageBox(const char* text, const char* caption, unsigned style) {
  return ::MessageBoxA(nullptr, text, caption, style);
}

void Win32Platform::PumpOneMessage() {
  MSG message;
  if (!::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return;
  if (message.message == WM_QUIT) {
    // Put it back for the loop that owns it; swallowing it here would keep
    // the program running after it was told to end.
    ::PostQuitMessage(static_cast<int>(message.wParam));
    return;
  }
  ::TranslateMessage(&message);
  ::DispatchMessageA(&message);
}

bool Win32Platform::WriteProfileText(const char* file, const char* section, const char* key,
                                     const char* value) {
  return ::WritePrivateProfileStringA(section, key, value, file) != FALSE;
}

bool Win32Platform::StartProgram(const ProgramStart& start) {
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  SECURITY_ATTRIBUTES processAttributes = {sizeof(SECURITY_ATTRIBUTES), nullptr,
                                           start.processHandleInheritable ? TRUE : FALSE};
  SECURITY_ATTRIBUTES threadAttributes = {sizeof(SECURITY_ATTRIBUTES), nullptr,
                                          start.threadHandleInheritable ? TRUE : FALSE};
  PROCESS_INFORMATION started;
  std::memset(&started, 0, sizeof started);
  // CreateProcessA may write into the command line, so it gets a copy.
  char commandLine[kMaxPath * 2] = {};
  if (start.commandLine != nullptr) {
    std::snprintf(commandLine, sizeof commandLine, "%s", start.commandLine);
  }
  if (!::CreateProcessA(start.applicationName, start.commandLine != nullptr ? commandLine : nullptr,
                        &processAttributes, &threadAttributes, start.inheritHandles ? TRUE : FALSE,
                        start.creationFlags, nullptr, nullptr, &startup, &started)) {
    return false;
  }
  // Nobody waits for the new program; its handles are not needed here.
  ::CloseHandle(started.hThread);
  ::CloseHandle(started.hProcess);
  return true;
}

File Win32Platform::OpenFileForReading(const char* name) {
  return std::fopen(name, "rb");
}

size_t Win32Platform::ReadFile(File file, void* buffer, size_t size) {
  return std::fread(buffer, 1, size, static_cast<std::FILE*>(file));
}

bool Win32Platform::SeekFile(File file, long offset) {
  return std::fseek(static_cast<std::FILE*>(file), offset, SEEK_SET) == 0;
}

void Win32Platform::CloseFile(File file) {
  if (file != nullptr) std::fclose(static_cast<std::FILE*>(file));
}

void* Win32Platform::AllocateBuffer(size_t size) {
  return ::VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void Win32Platform::FreeBuffer(void* buffer) {
  if (buffer != nullptr) ::VirtualFree(buffer, 0, MEM_RELEASE);
}

RegistryKey HkeyLocalMachine() {
  return HKEY_LOCAL_MACHINE;
}

RegistryKey HkeyDynData() {
  return HKEY_DYN_DATA;
}

long Win32Platform::OpenRegistryKey(RegistryKey parent, const char* path, uint32_t access,
                                    RegistryKey* key) {
  HKEY opened = nullptr;
  const LONG result = ::RegOpenKeyExA(static_cast<HKEY>(parent), path, 0, access, &opened);
  if (key != nullptr) *key = result == ERROR_SUCCESS ? opened : nullptr;
  return result;
}

long Win32Platform::EnumRegistrySubkey(RegistryKey key, uint32_t index, char* name, uint32_t size) {
  DWORD length = size;
  return ::RegEnumKeyExA(static_cast<HKEY>(key), index, name, &length, nullptr, nullptr, nullptr,
                         nullptr);
}

long Win32Platform::RegistryValueCount(RegistryKey key, uint32_t* count) {
  DWORD values = 0;
  const LONG result =
      ::RegQueryInfoKeyA(static_cast<HKEY>(key), nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, &values, nullptr, nullptr, nullptr, nullptr);
  if (count != nullptr) *count = result == ERROR_SUCCESS ? values : 0;
  return result;
}

long Win32Platform::EnumRegistryValue(RegistryKey key, uint32_t index, char* name,
                                      uint32_t* nameSize, uint32_t* type, uint8_t* data,
                                      uint32_t* dataSize) {
  DWORD nameLength = nameSize != nullptr ? *nameSize : 0;
  DWORD valueType = 0;
  DWORD dataLength = dataSize != nullptr ? *dataSize : 0;
  const LONG result = ::RegEnumValueA(static_cast<HKEY>(key), index, name, &nameLength, nullptr,
                                      type != nullptr ? &valueType : nullptr, data,
                                      dataSize != nullptr ? &dataLength : nullptr);
  if (nameSize != nullptr) *nameSize = nameLength;
  if (type != nullptr) *type = valueType;
  if (dataSize != nullptr) *dataSize = dataLength;
  return result;
}

long Win32Platform::QueryRegistryValue(RegistryKey key, const char* name, uint32_t* type,
                                       uint8_t* data, uint32_t* dataSize) {
  DWORD valueType = 0;
  DWORD dataLength = dataSize != nullptr ? *dataSize : 0;
  const LONG result = ::RegQueryValueExA(static_cast<HKEY>(key), name, nullptr,
                                         type != nullptr ? &valueType : nullptr, data,
                                         dataSize != nullptr ? &dataLength : nullptr);
  if (type != nullptr) *type = valueType;
  if (dataSize != nullptr) *dataSize = dataLength;
  return result;
}

long Win32Platform::SetRegistryValue(RegistryKey key, const char* name, uint32_t type,
                                     const uint8_t* data, uint32_t size) {
  return ::RegSetValueExA(static_cast<HKEY>(key), name, 0, type, data, size);
}

long Win32Platform::CloseRegistryKey(RegistryKey key) {
  return ::RegCloseKey(static_cast<HKEY>(key));
}

void Win32Platform::EnableShutdownPrivilege() {
  // Windows 95/98/ME has no tokens: these calls fail there and the restart
  // works without them.
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    return;
  }
  TOKEN_PRIVILEGES privileges;
  std::memset(&privileges, 0, sizeof privileges);
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
    ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  }
  ::CloseHandle(token);
}

bool Win32Platform::ExitWindows(uint32_t flags) {
  return ::ExitWindowsEx(flags, 0) != FALSE;
}

bool Win32Platform::QueryVersionExtended(OsVersion& version) {
  OSVERSIONINFOEXA info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;  // 156
  if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return false;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  version.build = info.dwBuildNumber;
  version.platformId = info.dwPlatformId;
  std::memcpy(version.servicePack, info.szCSDVersion, sizeof version.servicePack);
  version.servicePack[sizeof version.servicePack - 1] = '\0';
  return true;
}

Handle Win32Platform::CreateOwnedMutex(const char* name) {
  return ::CreateMutexA(nullptr, TRUE, name);
}

int Win32Platform::LocaleInfo(uint32_t locale, uint32_t type, char* buffer, int size) {
  return ::GetLocaleInfoA(locale, type, buffer, size);
}

unsigned Win32Platform::ProgramPath(char* buffer, unsigned size) {
  return ::GetModuleFileNameA(nullptr, buffer, size);
}

int Win32Platform::LoadText(unsigned id, char* buffer, int size) {
  return ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer, size);
}

const uint8_t* Win32Platform::ResourceBytes(const char* type, unsigned id, uint32_t* size) {
  HMODULE program = ::GetModuleHandleA(nullptr);
  HRSRC found = ::FindResourceA(program, MAKEINTRESOURCEA(id), type);
  if (found == nullptr) return nullptr;
  HGLOBAL loaded = ::LoadResource(program, found);
  if (loaded == nullptr) return nullptr;
  *size = ::SizeofResource(program, found);
  return static_cast<const uint8_t*>(::LockResource(loaded));
}

bool Win32Platform::FindFirstMatch(const char* pattern) {
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  ::FindClose(search);
  return true;
}

namespace {

HWND g_mainWindow = nullptr;

}  // namespace

void SetMainWindow(void* window) {
  g_mainWindow = static_cast<HWND>(window);
}

int Win32Platform::ShowOwnedMessageBox(const char* text, const char* caption, unsigned style) {
  HWND owner = ::GetActiveWindow();
  if (owner == nullptr && g_mainWindow != nullptr && ::IsWindow(g_mainWindow)) {
    owner = g_mainWindow;
  }
  return ::MessageBoxA(owner, text, caption, style);
}

void Win32Platform::Trace(const char*) {}

Platform& System() {
  // Constructed on first use, so global objects may reach for it during
  // static initialisation whatever the order of the translation units.
  static Win32Platform system;
  return system;
}

}  // namespace platform
