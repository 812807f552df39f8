// The tray tooltip: the title, the picture on show and the time until the
// next change, as the tooltip options ask.
#pragma once

#include "settings/Settings.h"
#include "framework/CString.h"

#include <stdint.h>

// The longest text composed; longer ones are cut.
constexpr int kMaxTooltipLength = 255;

// `elapsedMinutes` and `setElapsedMinutes` are the scheduler's counters,
// `currentName` the picture's file name (may be empty).
CString ComposeTooltipText(const SettingsRecord& settings, int32_t elapsedMinutes, int32_t setElapsedMinutes,
                           const char* currentName);

