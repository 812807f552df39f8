#include "Settings.h"

#include <algorithm>

SettingsRecord Settings;

namespace {
const char kPausedValue[] = "Paused";
}

const SettingsValue kSettingsValues[23] = {
    {"ShowFileName", &SettingsRecord::ShowFileName},
    {"ShowTimeLeft", &SettingsRecord::ShowTimeLeft},
    {"VistalSetPeriodic", &SettingsRecord::VistalSetPeriodic},
    {"VistalSetStartup", &SettingsRecord::VistalSetStartup},
    {"VistalSetDays", &SettingsRecord::VistalSetDays},
    {"VistalSetHours", &SettingsRecord::VistalSetHours},
    {"VistalSetMinutes", &SettingsRecord::VistalSetMinutes},
    {"VistalPeriodic", &SettingsRecord::VistalPeriodic},
    {"VistalStartup", &SettingsRecord::VistalStartup},
    {"VistalDays", &SettingsRecord::VistalDays},
    {"VistalHours", &SettingsRecord::VistalHours},
    {"VistalMinutes", &SettingsRecord::VistalMinutes},
    {"VistalPosition", &SettingsRecord::VistalPosition},
    {"VistalCycleMethod", &SettingsRecord::VistalCycleMethod},
    {"VistalSetCycleMethod", &SettingsRecord::VistalSetCycleMethod},
    {"CalendarPosition", &SettingsRecord::CalendarPosition},
    {"CalendarWidth", &SettingsRecord::CalendarWidth},
    {"CalendarHeight", &SettingsRecord::CalendarHeight},
    {"CalendarMarginX", &SettingsRecord::CalendarMarginX},
    {"CalendarMarginY", &SettingsRecord::CalendarMarginY},
    {"CalendarGridLines", &SettingsRecord::CalendarGridLines},
    {"CalendarUSHolidays", &SettingsRecord::CalendarUSHolidays},
    {"CalendarTransparentBackground", &SettingsRecord::CalendarTransparentBackground},
};

void SettingsRecord::DeriveIntervals() {
    // The parts are stored values of any size: the total is formed in 64
    // bits and held at the ends of the 32-bit range rather than wrapped, so
    // an absurd interval stays a long one instead of turning negative.
    auto total = [](int32_t days, int32_t hours, int32_t minutes) {
        const int64_t sum = int64_t{days} * 1440 + int64_t{hours} * 60 + minutes;
        return static_cast<int32_t>(std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, sum)));
    };
    VistalIntervalMinutes = total(VistalDays, VistalHours, VistalMinutes);
    VistalSetIntervalMinutes = total(VistalSetDays, VistalSetHours, VistalSetMinutes);
}

RegKey OpenSettingsKey(REGSAM access) {
    RegKey key;
    if (!key.Create(HKEY_CURRENT_USER, "Software\\Corvane Software\\Vistals", access)) return RegKey();
    return key;
}

namespace {

// Reads each value on its own: one that is missing or damaged (data longer
// than 4 bytes) takes its default, and the others keep what was stored, so
// that the save at exit does not overwrite them all. True when all were read.
bool ReadStoredValues() {
    const RegKey key = OpenSettingsKey(KEY_QUERY_VALUE);
    if (!key) return false;
    const SettingsRecord defaults;
    bool all = true;
    for (const SettingsValue& value : kSettingsValues) {
        // The type is not examined: any value whose data fits in 4 bytes is
        // taken as it is stored.
        DWORD data = 0;
        if (key.QueryDword(value.name, data)) {
            Settings.*value.field = static_cast<int32_t>(data);
        } else {
            Settings.*value.field = defaults.*value.field;
            all = false;
        }
    }
    DWORD paused = 0;
    Settings.Paused = key.QueryDword(kPausedValue, paused) ? static_cast<int32_t>(paused) : 0;
    return all;
}

}  // namespace

bool LoadSettings() {
    const bool complete = ReadStoredValues();
    // Derived even after an incomplete load (as on the first run): totals of
    // 0 would otherwise make every tick of the change timer change the picture.
    Settings.DeriveIntervals();
    return complete;
}

bool SaveSettings() {
    RegKey key = OpenSettingsKey(KEY_SET_VALUE);
    if (!key) return false;
    for (const SettingsValue& value : kSettingsValues)
        if (!key.SetDword(value.name, static_cast<DWORD>(Settings.*value.field))) return false;
    return true;
}

bool StorePaused() {
    RegKey key = OpenSettingsKey(KEY_SET_VALUE);
    return key && key.SetDword(kPausedValue, static_cast<DWORD>(Settings.Paused));
}
