// The Win32 backend against a real Windows API (Wine in CI): the behaviours
// the engine relies on and the ones where a careless wrapper crashes.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <string>

#include "platform/win32/Win32Platform.h"

namespace {

int failures = 0;

void Check(bool ok, const char* what, int line) {
  if (!ok) {
    std::printf("FAIL line %d: %s\n", line, what);
    ++failures;
  }
}
#define CHECK(condition) Check((condition), #condition, __LINE__)

platform::Platform& os = platform::System();

void VersionAndSystemFolder() {
  platform::OsVersion version;
  CHECK(os.QueryVersion(version));
  CHECK(version.platformId == platform::kPlatformWin32Nt ||
        version.platformId == platform::kPlatformWin32Windows);
  CHECK(version.major >= 4);
  CHECK(std::memchr(version.servicePack, '\0', sizeof version.servicePack) != nullptr);

  char folder[MAX_PATH];
  const unsigned length = os.SystemDirectory(folder, sizeof folder);
  CHECK(length > 0 && length < sizeof folder && std::strlen(folder) == length);
  CHECK(&platform::System() == &os);
}

void SystemErrorTexts() {
  char text[256];
  CHECK(os.SystemErrorText(platform::kErrorAccessDenied, text, sizeof text));
  CHECK(text[0] != '\0');

  char tiny[4];
  CHECK(!os.SystemErrorText(platform::kErrorAccessDenied, tiny, sizeof tiny));
  CHECK(!os.SystemErrorText(0x2FFFFFFF, text, sizeof text));

  // Texts with %1-style inserts must come back as they are, not crash.
  const uint32_t withInserts[] = {ERROR_WRONG_DISK, ERROR_MR_MID_NOT_FOUND};
  for (uint32_t code : withInserts) {
    char reference[256];
    const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    if (!FormatMessageA(flags, nullptr, code, 0, reference, sizeof reference, nullptr)) continue;
    CHECK(os.SystemErrorText(code, text, sizeof text));
    CHECK(std::strcmp(text, reference) == 0);
  }
}

void Libraries() {
  platform::Module kernel = os.LoadLibraryAt("kernel32.dll");
  CHECK(kernel != nullptr);
  CHECK(os.ProcAddress(kernel, "GetTickCount") != nullptr);
  CHECK(os.ProcAddress(kernel, "NoSuchEntryPoint") == nullptr);
  os.UnloadLibrary(kernel);
  CHECK(os.LoadLibraryAt("no-such-library-k818r.dll") == nullptr);
  os.UnloadLibrary(nullptr);
}

void Devices() {
  CHECK(os.OpenDevice("\\\\.\\NoSuchDeviceK818R") == platform::InvalidHandle());
  CHECK(os.OpenDeviceWith("\\\\.\\NoSuchDeviceK818R", platform::kGenericRead,
                          platform::kFileShareRead) == platform::InvalidHandle());
  uint8_t record[80] = {};
  // A caller that does not want the count must not make the call crash.
  CHECK(!os.DeviceControl(platform::InvalidHandle(), 0x4D014, record, sizeof record, record,
                          sizeof record, nullptr));
  CHECK(os.LastError() != 0);
  uint32_t returned = 12345;
  CHECK(!os.DeviceControl(platform::InvalidHandle(), 0x4D014, record, sizeof record, record,
                          sizeof record, &returned));
  CHECK(returned == 0);
}

void EventsAndTime() {
  platform::Handle event = os.CreateManualEvent();
  CHECK(event != nullptr);
  const uint32_t before = os.TickCount();
  const uint32_t multimediaBefore = os.MultimediaTime();
  CHECK(os.WaitForObject(event, 50) == platform::kWaitTimeout);
  CHECK(os.TickCount() - before >= 40);
  CHECK(os.MultimediaTime() - multimediaBefore >= 40);
  SetEvent(event);
  CHECK(os.WaitForObject(event, 0) == platform::kWaitObject0);
  CHECK(os.WaitForObject(event, 0) == platform::kWaitObject0);  // manual reset stays set
  os.CloseHandle(event);

  CHECK(os.PerformanceFrequency() > 0);
  const int64_t start = os.PerformanceCounter();
  os.SleepFor(5);
  CHECK(os.PerformanceCounter() > start);
}

void Messages() {
  // A quit request that the one-message pump meets stays for its owner.
  PostQuitMessage(3);
  os.PumpOneMessage();
  MSG message;
  CHECK(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) && message.message == WM_QUIT &&
        message.wParam == 3);

  CHECK(PostThreadMessageA(GetCurrentThreadId(), WM_USER, 0, 0));
  os.PumpOneMessage();
  CHECK(!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  os.PumpOneMessage();  // nothing waiting: returns at once
}

void Files() {
  // Bytes that text mode would change: CR LF pairs and the end-of-file mark.
  const unsigned char contents[] = {'K', '\r', '\n', 0x1A, 0x00, '\n', 0xFF, 'R'};
  const char* name = "k818r-platform-test.bin";
  std::FILE* out = std::fopen(name, "wb");
  CHECK(out != nullptr);
  if (out == nullptr) return;
  std::fwrite(contents, 1, sizeof contents, out);
  std::fclose(out);

  platform::File file = os.OpenFileForReading(name);
  CHECK(file != nullptr);
  if (file != nullptr) {
    unsigned char read[16] = {};
    CHECK(os.ReadFile(file, read, sizeof read) == sizeof contents);
    CHECK(std::memcmp(read, contents, sizeof contents) == 0);
    CHECK(os.SeekFile(file, 3));
    CHECK(os.ReadFile(file, read, 2) == 2 && read[0] == 0x1A && read[1] == 0x00);
    CHECK(os.SeekFile(file, sizeof contents));
    CHECK(os.ReadFile(file, read, 1) == 0);
    os.CloseFile(file);
  }
  std::remove(name);
  CHECK(os.OpenFileForReading(name) == nullptr);
  os.CloseFile(nullptr);
}

void Buffers() {
  void* buffer = os.AllocateBuffer(0x10000);
  CHECK(buffer != nullptr);
  CHECK(reinterpret_cast<uintptr_t>(buffer) % 4096 == 0);
  if (buffer != nullptr) {
    std::memset(buffer, 0xA5, 0x10000);
    CHECK(static_cast<unsigned char*>(buffer)[0xFFFF] == 0xA5);
  }
  os.FreeBuffer(buffer);
  os.FreeBuffer(nullptr);
}

void Processes() {
  // A bare name is looked for in the current folder only.
  platform::ProgramStart missing;
  missing.applicationName = "no-such-program-k818r.exe";
  CHECK(!os.StartProgram(missing));
  CHECK(os.LastError() != 0);

  char program[MAX_PATH + 16];
  const unsigned length = os.SystemDirectory(program, MAX_PATH);
  std::snprintf(program + length, sizeof program - length, "\\cmd.exe");
  platform::ProgramStart start;
  start.applicationName = program;
  start.commandLine = "cmd.exe /c exit 0";
  start.processHandleInheritable = true;
  start.creationFlags = CREATE_NO_WINDOW;
  CHECK(os.StartProgram(start));
}

// The sizes and codes that the registry logic reads, as Windows gives them:
// a too-small buffer reports the size it needs, the end of an enumeration
// is ERROR_NO_MORE_ITEMS, a missing key ERROR_FILE_NOT_FOUND.
void Registry() {
  platform::RegistryKey software = nullptr;
  CHECK(os.OpenRegistryKey(platform::HkeyLocalMachine(), "Software", platform::kKeyAllAccess,
                           &software) == platform::kErrorSuccess);
  char name[256];
  CHECK(os.EnumRegistrySubkey(software, 0, name, sizeof name) == platform::kErrorSuccess);
  CHECK(os.EnumRegistrySubkey(software, 100000, name, sizeof name) == platform::kErrorNoMoreItems);
  platform::RegistryKey missing = reinterpret_cast<platform::RegistryKey>(1);
  CHECK(os.OpenRegistryKey(software, "No Such Key Here", platform::kKeyRead, &missing) ==
        platform::kErrorFileNotFound);
  CHECK(missing == nullptr);

  const uint8_t four[4] = {1, 2, 3, 4};
  CHECK(os.SetRegistryValue(software, "KitBackendTest", platform::kRegBinary, four, 4) ==
        platform::kErrorSuccess);
  uint8_t byte = 0;
  uint32_t size = 1;
  uint32_t type = 0;
  CHECK(os.QueryRegistryValue(software, "KitBackendTest", &type, &byte, &size) ==
        platform::kErrorMoreData);
  CHECK(size == 4 && type == platform::kRegBinary);
  uint32_t count = 0;
  CHECK(os.RegistryValueCount(software, &count) == platform::kErrorSuccess && count >= 1);
  bool listed = false;
  for (uint32_t index = 0; index < count; ++index) {
    uint32_t nameSize = sizeof name;
    if (os.EnumRegistryValue(software, index, name, &nameSize, nullptr, nullptr, nullptr) ==
            platform::kErrorSuccess &&
        std::strcmp(name, "KitBackendTest") == 0) {
      listed = nameSize == std::strlen("KitBackendTest");
    }
  }
  CHECK(listed);
  CHECK(os.CloseRegistryKey(software) == platform::kErrorSuccess);
}

// The programs' smaller stand-ins for parts of the runtime
// (platform/win32/SmallRuntime.cpp), linked into this test as into them.
void SmallRuntime() {
  char text[8];
  CHECK(std::snprintf(text, sizeof text, "%s %d", "ab", -42) == 6);
  CHECK(std::strcmp(text, "ab -42") == 0);
  // A text that does not fit is cut and still ended.
  std::memset(text, 'x', sizeof text);
  CHECK(std::snprintf(text, sizeof text, "%s", "12345678") < 0);
  CHECK(std::strcmp(text, "1234567") == 0);
  std::memset(text, 'x', sizeof text);
  CHECK(std::snprintf(text, sizeof text, "%02X%u", 0xAB, 12345678u) < 0);
  CHECK(std::strcmp(text, "AB12345") == 0);

  // The runtime's logic errors still reach a catch of std::exception, with a text.
  const auto caught = [](const std::function<void()>& fault) {
    try {
      fault();
    } catch (const std::exception& error) {
      return error.what() != nullptr && error.what()[0] != '\0';
    }
    return false;
  };
  CHECK(caught([] { static_cast<void>(std::string("abc").at(7)); }));
  CHECK(caught([] { std::string().reserve(std::string().max_size() + 1); }));
  CHECK(caught([] { std::function<void()>()(); }));
}

void Restart() {
  // Only the privilege: a test must never restart the machine it runs on.
  os.EnableShutdownPrivilege();
  os.Trace("discarded");
}

}  // namespace

int main() {
  VersionAndSystemFolder();
  SystemErrorTexts();
  Libraries();
  Devices();
  EventsAndTime();
  Messages();
  Files();
  Buffers();
  Processes();
  Registry();
  SmallRuntime();
  Restart();
  std::printf("%s: %d failure(s)\n", failures == 0 ? "PASS" : "FAIL", failures);
  return failures == 0 ? 0 : 1;
}
