// The compiler's runtime calls wide-character functions of KERNEL32:
// CreateSemaphoreW for the locks of its thread support (function-local
// statics, the unwinder's tables, emulated thread-local storage), and
// GetModuleHandleW and LoadLibraryW to find msvcrt.dll and advapi32.dll.
// Windows 95/98/ME export them only as stubs that fail, so a lock the two
// threads of the flasher meet in would break there. These definitions fill
// the import slots the runtime calls through with the ANSI functions those
// systems do have; linked as an object, they win over the slots of the
// import library, which is then not used for these names.
#include <windows.h>

#include <cstring>

namespace {

// The runtime passes plain ASCII names (or none); a name that does not
// convert is refused like one that does not exist.
bool ToAnsi(LPCWSTR wide, char* ansi, int size) {
  if (wide == nullptr) return false;
  const int written = ::WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, size, nullptr, nullptr);
  return written > 0;
}

HANDLE WINAPI CreateSemaphoreAnsi(LPSECURITY_ATTRIBUTES attributes, LONG initial, LONG maximum,
                                  LPCWSTR name) {
  char ansi[MAX_PATH];
  if (name == nullptr) return ::CreateSemaphoreA(attributes, initial, maximum, nullptr);
  if (!ToAnsi(name, ansi, sizeof ansi)) {
    ::SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  return ::CreateSemaphoreA(attributes, initial, maximum, ansi);
}

HMODULE WINAPI GetModuleHandleAnsi(LPCWSTR name) {
  char ansi[MAX_PATH];
  if (name == nullptr) return ::GetModuleHandleA(nullptr);
  if (!ToAnsi(name, ansi, sizeof ansi)) {
    ::SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return ::GetModuleHandleA(ansi);
}

HMODULE WINAPI LoadLibraryAnsi(LPCWSTR name) {
  char ansi[MAX_PATH];
  if (!ToAnsi(name, ansi, sizeof ansi)) {
    ::SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return ::LoadLibraryA(ansi);
}

}  // namespace

// The slots' assembler names: stdcall decoration on i686, plain on x86_64.
#if defined(__i386__)
#define KIT_IMPORT_SLOT(name, bytes) "__imp__" #name "@" #bytes
#else
#define KIT_IMPORT_SLOT(name, bytes) "__imp_" #name
#endif

extern "C" {
extern decltype(&CreateSemaphoreAnsi)
    const kit_CreateSemaphoreW_slot __asm__(KIT_IMPORT_SLOT(CreateSemaphoreW, 16));
extern decltype(&GetModuleHandleAnsi)
    const kit_GetModuleHandleW_slot __asm__(KIT_IMPORT_SLOT(GetModuleHandleW, 4));
extern decltype(&LoadLibraryAnsi)
    const kit_LoadLibraryW_slot __asm__(KIT_IMPORT_SLOT(LoadLibraryW, 4));

decltype(&CreateSemaphoreAnsi) const kit_CreateSemaphoreW_slot = &CreateSemaphoreAnsi;
decltype(&GetModuleHandleAnsi) const kit_GetModuleHandleW_slot = &GetModuleHandleAnsi;
decltype(&LoadLibraryAnsi) const kit_LoadLibraryW_slot = &LoadLibraryAnsi;
}
