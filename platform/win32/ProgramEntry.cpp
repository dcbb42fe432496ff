#include <windows.h>

#include "platform/ProgramMain.h"

// Neither program reads its command line.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return ProgramMain();
}
