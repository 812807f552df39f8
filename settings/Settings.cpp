#include "Settings.h"

#include <algorithm>

SettingsRecord Settings;


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

const SettingsValue kPerScreenValue = {"VistalPerScreen", &SettingsRecord::VistalPerScreen};
const SettingsValue kPausedValue = {"Paused", &SettingsRecord::Paused};

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

// One value into its field, or its default when it is missing or damaged
// (data longer than 4 bytes). The type is not examined: any value whose data
// fits in 4 bytes is taken as it is stored.
bool ReadStoredValue(const RegKey& key, const SettingsValue& value) {
    DWORD data = 0;
    if (key.QueryDword(value.name, data)) {
        Settings.*value.field = static_cast<int32_t>(data);
        return true;
    }
    Settings.*value.field = SettingsRecord().*value.field;
    return false;
}

// Reads each value on its own, so that one missing or damaged value costs
// only itself and the save at exit does not overwrite the others. True when
// all 23 were read; the per-screen value does not count.
bool ReadStoredValues() {
    const RegKey key = OpenSettingsKey(KEY_QUERY_VALUE);
    if (!key) return false;
    bool all = true;
    for (const SettingsValue& value : kSettingsValues) all = ReadStoredValue(key, value) && all;
    ReadStoredValue(key, kPerScreenValue);
    ReadStoredValue(key, kPausedValue);
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
    return key.SetDword(kPerScreenValue.name, static_cast<DWORD>(Settings.VistalPerScreen));
}

bool StorePaused() {
    RegKey key = OpenSettingsKey(KEY_SET_VALUE);
    return key && key.SetDword(kPausedValue.name, static_cast<DWORD>(Settings.Paused));
}
