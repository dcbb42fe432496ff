// The pictures both pages share: the program icon on the window and the
// banner bitmap at the top of the client area.
#pragma once

#include <windows.h>

// Icon 128 as the page's big and small icon.
void SetPageIcons(HWND page);

// The banner that fits the client area now, at its natural size; or, when
// the page is minimised, the icon in the middle. For WM_PAINT.
void PaintPage(HWND page);

HICON ProgramIcon();
