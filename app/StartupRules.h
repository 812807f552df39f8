// Decisions of start-up, of the change timer and of the help hooks, kept
// apart from the windows so they can be checked on their own.
#pragma once

#include "settings/Settings.h"
#include "framework/CString.h"

#include <windows.h>

// What start-up posts to the main frame once the message loop runs.
enum class FirstChange {
    NextSet,      // WM_COMMAND ID_DISPLAY_NEXT_SET
    NextVistal,   // WM_COMMAND ID_DISPLAY_NEXT_VISTAL
    ArmTimer,     // WM_WALLPAPER_APPLIED: timer and tooltip, no change (also when paused)
    Nothing,
};
FirstChange DecideFirstChange(const SettingsRecord& settings, int setCount);

// What one tick of the change timer does. The timer was disarmed by the
// tick; only Count arms it again, a change waits for its result.
enum class TickAction {
    Hold,           // nothing counted, nothing changes; the timer stays disarmed
                    // (no periodic option, changes held, or paused)
    Count,          // counted; nothing due, so the tooltip and the timer go on
    ChangeSet,      // counted; the next set and its next picture
    ChangePicture,  // counted; the next picture
};
struct TickDecision {
    TickAction action;
    // The elapsed counters after the tick (before a change resets one).
    int32_t pictureElapsed;
    int32_t setElapsed;
};
// `changesAllowed`: false while the tray's Options sheet or Select dialog
// is open.
TickDecision DecideTick(const SettingsRecord& settings, bool changesAllowed, int32_t pictureElapsed,
                        int32_t setElapsed);

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
