// The update run as the update page starts it after the user's Yes: the
// worker and the progress windows, then the outcome in the page.
#pragma once

#include <functional>
#include <string>

#include "app/ProgressWindow.h"
#include "app/UpdatePage.h"
#include "platform/Platform.h"
#include "transport/Atapi.h"

// The program's profile file, where the progress window leaves its position.
std::string ProfileFileName(platform::Programs& program);

// `refresh` puts the page's state on the screen; it runs each time the
// outcome changes it.
void RunUpdateOnPage(platform::Platform& os, CAtapi& atapi, UpdatePage& page,
                     ProgressWindow& window, const std::function<void()>& refresh);
