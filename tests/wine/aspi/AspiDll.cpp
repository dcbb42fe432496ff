// The test WNASPI32.DLL: the ASPI for Win32 entry points answered by the
// simulated ASPI manager and drive models, with devices and faults from the
// scenario file named by TEST_ASPI_SCENARIO and a request log written to
// TEST_ASPI_LOG. Test equipment only: the kit's programs read no environment.
// Before windows.h, whose ExitWindows macro would rename the seam's method.
#include "sim/Scenario.h"
// Then the Windows side.
#include <windows.h>

#include <cstdio>
#include <string>

#include "RequestLog.h"
#include "WindowsAspiHost.h"
#include "sim/AspiManager.h"
#include "sim/CommandLog.h"

namespace {

HMODULE ownModule = nullptr;
CRITICAL_SECTION lock;

class Locked {
 public:
  Locked() { EnterCriticalSection(&lock); }
  ~Locked() { LeaveCriticalSection(&lock); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
};

std::string Environment(const char* name) {
  char value[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableA(name, value, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(value, length) : std::string();
}

bool ReadWholeFile(const std::string& path, std::string& text) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char chunk[4096];
  size_t count = 0;
  while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, count);
  std::fclose(file);
  return true;
}

struct Library {
  Library() : host(lock, ownModule), manager(host, commands), log(Environment("TEST_ASPI_LOG")) {}

  wineaspi::WindowsAspiHost host;
  sim::CommandLog commands;
  sim::AspiManager manager;
  wineaspi::RequestLog log;
};

// A scenario that cannot be read leaves the manager without adapters and
// says why in the log, so that the test's failure names the cause.
void LoadScenario(Library& library) {
  std::string path = Environment("TEST_ASPI_SCENARIO");
  uint64_t now = library.host.NowUs();
  if (path.empty()) {
    library.log.Note(now, "scenario: none (TEST_ASPI_SCENARIO not set)");
    return;
  }
  std::string text;
  if (!ReadWholeFile(path, text)) {
    library.log.Note(now, "scenario error: cannot read " + path);
    std::fprintf(stderr, "wnaspi32: cannot read the scenario %s\n", path.c_str());
    return;
  }
  sim::Scenario scenario;
  std::string error;
  if (!sim::ParseScenario(text, scenario, &error)) {
    library.log.Note(now, "scenario error: " + error);
    std::fprintf(stderr, "wnaspi32: scenario %s: %s\n", path.c_str(), error.c_str());
    return;
  }
  sim::ApplyScenario(scenario, library.manager);
  library.log.Note(now, "scenario: " + path);
}

// Built on the first call, not in DllMain, where threads and files are unsafe.
Library& Instance() {
  static Library* library = nullptr;
  if (library == nullptr) {
    library = new Library();
    Library& made = *library;
    made.host.SetSignalObserver([&made](void* event) { made.log.EventSignalled(event); });
    made.host.SetIdleWork(
        [&made]() { return made.manager.PendingRequests() > 0 || made.log.HasPending(); },
        [&made]() {
          made.manager.Poll();
          made.log.WriteCompletions(made.host.NowUs());
        });
    LoadScenario(made);
  }
  return *library;
}

}  // namespace

extern "C" DWORD __cdecl GetASPI32SupportInfo() {
  Locked locked;
  Library& library = Instance();
  uint32_t info = library.manager.GetASPI32SupportInfo();
  char text[48];
  std::snprintf(text, sizeof text, "support -> 0x%08lX", static_cast<unsigned long>(info));
  library.log.Note(library.host.NowUs(), text);
  return info;
}

extern "C" DWORD __cdecl SendASPI32Command(void* srb) {
  Locked locked;
  Library& library = Instance();
  std::string line;
  int number = library.log.Begin(srb, line);
  uint32_t result = library.manager.SendASPI32Command(srb);
  uint64_t now = library.host.NowUs();
  library.log.End(now, srb, number, line);
  library.log.WriteCompletions(now);
  if (library.log.HasPending()) library.host.Wake();
  return result;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    ownModule = instance;
    InitializeCriticalSection(&lock);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
