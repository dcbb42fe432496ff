// Stands in for FlashK818R.exe in the launcher's Wine tests: it records that
// it was started, with its command line and folder, and the Windows version
// a program of that name is told (asked as the flasher asks: the larger
// record first), in flasher-started.txt in its current folder, and ends.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof folder, folder);
  OSVERSIONINFOEXA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  const char* record = "extended";
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version))) {
    version = {};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    record = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version)) ? "basic" : "none";
  }
  if (FILE* file = std::fopen("flasher-started.txt", "a")) {
    std::fprintf(file, "started\ncommand line: %s\nfolder: %s\n", GetCommandLineA(), folder);
    std::fprintf(file, "version: platform %lu, %lu.%lu.%lu, \"%s\", %s record\n",
                 version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion,
                 version.dwBuildNumber & 0xFFFF, version.szCSDVersion, record);
    std::fclose(file);
  }
  return 0;
}
