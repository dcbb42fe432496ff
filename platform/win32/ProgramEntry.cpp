#include <windows.h>

#include "platform/Program.h"

// Neither program reads its command line.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return ProgramMain();
}
