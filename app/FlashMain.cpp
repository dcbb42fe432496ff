#include <windows.h>

#include "app/Globals.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return 0;
}
