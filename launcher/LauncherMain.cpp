#include "platform/Program.h"

int ProgramMain() {
  return 0;
}
