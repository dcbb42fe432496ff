// The pictures both pages share: the program icon on the window and the
// banner bitmap at the top of the client area.
#pragma once

#include <windows.h>

// Icon 128 as the page's big and small icon.
void SetPageIcons(HWND page);

// WM_PAINT (the banner that fits the client area now, at its natural
// size, or the icon in the middle of a minimised page) and
// WM_QUERYDRAGICON; false for every other message.
bool HandlePageArtMessage(HWND page, UINT message, INT_PTR* result);
