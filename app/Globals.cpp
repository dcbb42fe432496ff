#include "app/Globals.h"

#include "platform/Platform.h"

CAtapi g_Atapi(platform::System());
