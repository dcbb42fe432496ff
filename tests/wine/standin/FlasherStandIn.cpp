// Stands in for FlashK818R.exe in the launcher's Wine tests: it records that
// it was started, with its command line and folder, in flasher-started.txt
// in its current folder, and ends.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof folder, folder);
  if (FILE* file = std::fopen("flasher-started.txt", "a")) {
    std::fprintf(file, "started\ncommand line: %s\nfolder: %s\n", GetCommandLineA(), folder);
    std::fclose(file);
  }
  return 0;
}
