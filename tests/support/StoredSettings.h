// The settings the program keeps in its registry key, written out here as
// the program promises them (never taken from the program's own table): the
// value's name, the record's field of the same name, and the value a first
// run starts from. The 23 come in the order of reading and writing; the
// picture-per-monitor choice is read and written after them, on its own.
#pragma once

#include "settings/Settings.h"

struct StoredSetting {
    const char* name;
    int32_t SettingsRecord::*field;
    int32_t firstRunValue;
};

inline const StoredSetting kStoredSettings[24] = {
    {"ShowFileName", &SettingsRecord::ShowFileName, 0},
    {"ShowTimeLeft", &SettingsRecord::ShowTimeLeft, 1},
    {"VistalSetPeriodic", &SettingsRecord::VistalSetPeriodic, 0},
    {"VistalSetStartup", &SettingsRecord::VistalSetStartup, 0},
    {"VistalSetDays", &SettingsRecord::VistalSetDays, 0},
    {"VistalSetHours", &SettingsRecord::VistalSetHours, 0},
    {"VistalSetMinutes", &SettingsRecord::VistalSetMinutes, 0},
    {"VistalPeriodic", &SettingsRecord::VistalPeriodic, 1},
    {"VistalStartup", &SettingsRecord::VistalStartup, 1},
    {"VistalDays", &SettingsRecord::VistalDays, 0},
    {"VistalHours", &SettingsRecord::VistalHours, 1},
    {"VistalMinutes", &SettingsRecord::VistalMinutes, 0},
    {"VistalPosition", &SettingsRecord::VistalPosition, 2},
    {"VistalCycleMethod", &SettingsRecord::VistalCycleMethod, 0},
    {"VistalSetCycleMethod", &SettingsRecord::VistalSetCycleMethod, 0},
    {"CalendarPosition", &SettingsRecord::CalendarPosition, 0},
    {"CalendarWidth", &SettingsRecord::CalendarWidth, 150},
    {"CalendarHeight", &SettingsRecord::CalendarHeight, 125},
    {"CalendarMarginX", &SettingsRecord::CalendarMarginX, 30},
    {"CalendarMarginY", &SettingsRecord::CalendarMarginY, 30},
    {"CalendarGridLines", &SettingsRecord::CalendarGridLines, 0},
    {"CalendarUSHolidays", &SettingsRecord::CalendarUSHolidays, 1},
    {"CalendarTransparentBackground", &SettingsRecord::CalendarTransparentBackground, 1},
    {"VistalPerScreen", &SettingsRecord::VistalPerScreen, 1},
};
