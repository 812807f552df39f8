// The HTML Help control, bound at first use.
#pragma once

#include <windows.h>

// HTML Help commands the program uses.
enum : UINT { HH_DISPLAY_TOC = 1, HH_HELP_CONTEXT = 15 };

// Calls the control's HtmlHelpA; 0 when the control cannot be loaded or has
// no such entry (then the request is dropped, now and from then on).
HWND HtmlHelpA(HWND owner, const char* file, UINT command, DWORD_PTR data);
