#include "app/TooltipText.h"

#include <algorithm>
#include <cstdio>

namespace {

const char kTitle[] = "Vistals";

// Minutes to the next change that the periodic options ask for; meaningful
// only when at least one of them is on.
int64_t MinutesLeft(const SettingsRecord& settings, int32_t elapsedMinutes, int32_t setElapsedMinutes) {
    const int64_t pictureLeft = int64_t{settings.VistalIntervalMinutes} - elapsedMinutes;
    const int64_t setLeft = int64_t{settings.VistalSetIntervalMinutes} - setElapsedMinutes;
    if (!settings.VistalPeriodic) return setLeft;
    if (!settings.VistalSetPeriodic) return pictureLeft;
    return std::min(pictureLeft, setLeft);
}

}  // namespace

CString ComposeTooltipText(const SettingsRecord& settings, int32_t elapsedMinutes, int32_t setElapsedMinutes,
                           const char* currentName) {
    char text[kMaxTooltipLength + 1];
    const bool showName = settings.ShowFileName && currentName && *currentName;
    // Paused, no time runs down: the state takes the place of the time left.
    if (settings.Paused) {
        if (showName) std::snprintf(text, sizeof text, "%s - %s - paused", kTitle, currentName);
        else std::snprintf(text, sizeof text, "%s - paused", kTitle);
        return CString(text);
    }
    if (showName) std::snprintf(text, sizeof text, "%s - %s", kTitle, currentName);
    else std::snprintf(text, sizeof text, "%s", kTitle);

    const bool periodic = settings.VistalSetPeriodic || settings.VistalPeriodic;
    if (settings.ShowTimeLeft && periodic) {
        const int64_t left = MinutesLeft(settings, elapsedMinutes, setElapsedMinutes);
        if (left > 0) {
            const long days = static_cast<long>(left / 1440);
            const long hours = static_cast<long>(left % 1440 / 60);
            const long minutes = static_cast<long>(left % 60);
            if (showName)
                std::snprintf(text, sizeof text, "%s - %s - %02ld:%02ld:%02ld", kTitle, currentName, days, hours, minutes);
            else
                std::snprintf(text, sizeof text, "%s - %02ld:%02ld:%02ld", kTitle, days, hours, minutes);
        }
    }
    return CString(text);
}
