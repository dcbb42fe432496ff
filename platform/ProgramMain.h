// The start routine of each program. The Windows entry point lives in the
// backend and calls it once the C++ runtime has built the static objects.
#pragma once

int ProgramMain();
