// The flasher's one drive object. It is built during static initialisation,
// so the drive scan has run before the first window exists.
#pragma once

#include "transport/Atapi.h"

extern CAtapi g_Atapi;
