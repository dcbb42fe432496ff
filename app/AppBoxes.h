// The flasher's two kinds of message box: the application box, captioned
// with the program's name and owned by its active window, and the plain
// box, which names its caption and has no owner.
#pragma once

#include <string>

#include "platform/Platform.h"

// The program file's name without folder and extension ("FlashK818R").
std::string ApplicationTitle(platform::Programs& program);

int ShowApplicationBox(platform::Platform& os, const std::string& text, unsigned style);

int ShowPlainBox(platform::Screen& screen, const std::string& text, const char* caption,
                 unsigned style);
