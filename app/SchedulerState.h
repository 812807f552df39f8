// State of the change scheduler, used on the main thread only.
#pragma once

#include "framework/CString.h"

#include <stdint.h>
#include <windows.h>

// The main frame's only timer; it ticks once a minute.
constexpr UINT_PTR ID_CHANGE_TIMER = 10;
constexpr UINT kChangeTimerPeriodMs = 60000;
// Started by each change of the display and restarted by the next, so that
// the burst of changes of one rearrangement gives one new composition.
constexpr UINT_PTR ID_DISPLAY_TIMER = 11;
constexpr UINT kDisplaySettleMs = 1000;

// Ticks counted since the last picture change was started.
extern int32_t VistalElapsedMinutes;
// Ticks counted since the last set change.
extern int32_t VistalSetElapsedMinutes;
// False while the tray's Options sheet or Select Background Images dialog is
// open: ticks change nothing then. (Which modal window is open, and whether
// another may open, is ModalLoop's to say.)
extern bool ChangesAllowed;
// File name and extension of the picture chosen last (with a picture for
// each monitor, the primary monitor's).
extern CString CurrentVistalName;
