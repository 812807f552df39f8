// The user's options: one process-wide record kept in the current user's
// registry under Software\Corvane Software\Vistals.
#pragma once

#include "framework/RegKey.h"

#include <stdint.h>

struct SettingsRecord {
    // Stored values, in their registry order (the order of reading and writing).
    int32_t ShowFileName = 0;
    int32_t ShowTimeLeft = 1;
    int32_t VistalSetPeriodic = 0;
    int32_t VistalSetStartup = 0;
    int32_t VistalSetDays = 0;
    int32_t VistalSetHours = 0;
    int32_t VistalSetMinutes = 0;
    int32_t VistalPeriodic = 1;
    int32_t VistalStartup = 1;
    int32_t VistalDays = 0;
    int32_t VistalHours = 1;
    int32_t VistalMinutes = 0;
    int32_t VistalPosition = 2;
    int32_t VistalCycleMethod = 0;
    int32_t VistalSetCycleMethod = 0;
    int32_t CalendarPosition = 0;
    int32_t CalendarWidth = 150;
    int32_t CalendarHeight = 125;
    int32_t CalendarMarginX = 30;
    int32_t CalendarMarginY = 30;
    int32_t CalendarGridLines = 0;
    int32_t CalendarUSHolidays = 1;
    int32_t CalendarTransparentBackground = 1;

    // Stored beside the values above but read and written on its own, so
    // it never stops or shifts them: with more than one monitor, each
    // monitor gets a picture of its own ("VistalPerScreen"; missing: on).
    int32_t VistalPerScreen = 1;
    // The same for "Paused" (missing: off): while on, no change happens by
    // itself (see DecideTick).
    int32_t Paused = 0;

    // Derived minute totals, never stored.
    int32_t VistalIntervalMinutes = 0;
    int32_t VistalSetIntervalMinutes = 0;

    // Recomputes both minute totals from their day, hour and minute parts.
    void DeriveIntervals();
};

// Values of "VistalPosition".
enum VistalPositionValue { POSITION_CENTERED = 0, POSITION_TILED = 1, POSITION_FIT_DESKTOP = 2, POSITION_MAXIMUM_FIT = 3 };
// Values of the two cycle methods.
enum CycleMethodValue { CYCLE_FORWARD = 0, CYCLE_BACKWARD = 1, CYCLE_RANDOM = 2 };

extern SettingsRecord Settings;

// Opens, creating where missing, HKCU\Software\Corvane Software\Vistals.
RegKey OpenSettingsKey(REGSAM access = KEY_READ | KEY_WRITE);

// Reads every value on its own; a missing or damaged one takes its default.
// True when all of the 23 were read.
bool LoadSettings();
// Writes the 23 values in order and stops at the first failure, then the
// per-screen value; true when all were written. "Paused" is not among them:
// StorePaused writes it.
bool SaveSettings();
// Writes "Paused" at once, so that a pause outlives even an end without
// Exit; true when it was written.
bool StorePaused();

// The registry name and field of each stored value, in order.
struct SettingsValue {
    const char* name;
    int32_t SettingsRecord::*field;
};
extern const SettingsValue kSettingsValues[23];
// The value stored beside them.
extern const SettingsValue kPerScreenValue;
extern const SettingsValue kPausedValue;
