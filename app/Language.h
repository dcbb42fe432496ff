// The language of the pages: the system default locale decides, not the
// user's locale or the user-interface language.
#pragma once

#include "app/MessageCatalogue.h"
#include "platform/Platform.h"

Language DetectLanguage(platform::SystemInfo& system);
