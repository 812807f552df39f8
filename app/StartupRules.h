// Decisions of start-up and of the help hooks, kept apart from the windows
// so they can be checked on their own.
#pragma once

#include "settings/Settings.h"
#include "framework/CString.h"

#include <windows.h>

// What start-up posts to the main frame once the message loop runs.
enum class FirstChange {
    NextSet,      // WM_COMMAND ID_DISPLAY_NEXT_SET
    NextVistal,   // WM_COMMAND ID_DISPLAY_NEXT_VISTAL
    ArmTimer,     // WM_WALLPAPER_APPLIED: timer and tooltip, no change
    Nothing,
};
FirstChange DecideFirstChange(const SettingsRecord& settings, int setCount);

// The help file path: every ".HLP" (exact case) becomes ".chm".
CString HelpPathFromFrameworkPath(const char* frameworkPath);

// An HTML Help call derived from a WinHelp request.
struct HelpCall {
    bool call;        // false: the request is dropped
    UINT command;
    DWORD_PTR data;
};
// Every help request, whether it reaches the main frame or the application
// object, is served here with the main frame as owner.
HelpCall RouteFrameHelp(DWORD_PTR data, UINT command);
