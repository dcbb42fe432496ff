#include "app/Globals.h"
#include "platform/Program.h"

// The drive object has scanned during static initialisation; the pages come
// later.
int ProgramMain() {
  return 0;
}
