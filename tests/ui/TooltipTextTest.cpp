// The tooltip text composed from the options, the counters and the name.
#include "app/TooltipText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

SettingsRecord Options(bool showName, bool showTime, bool picturePeriodic, bool setPeriodic) {
    SettingsRecord settings;
    settings.ShowFileName = showName;
    settings.ShowTimeLeft = showTime;
    settings.VistalPeriodic = picturePeriodic;
    settings.VistalSetPeriodic = setPeriodic;
    settings.VistalIntervalMinutes = 90;
    settings.VistalSetIntervalMinutes = 600;
    return settings;
}

std::string Tip(const SettingsRecord& settings, int elapsed, int setElapsed, const char* name) {
    return ComposeTooltipText(settings, elapsed, setElapsed, name).str();
}

}  // namespace

TEST(TooltipText, TitleAloneWhenNothingElseIsAskedOrKnown) {
    EXPECT_EQ("Vistals", Tip(Options(false, false, true, true), 0, 0, "lake.jpg"));
    // File name asked for, but no picture chosen yet.
    EXPECT_EQ("Vistals", Tip(Options(true, false, true, false), 0, 0, ""));
    EXPECT_EQ("Vistals", Tip(Options(true, false, true, false), 0, 0, nullptr));
    // Time asked for, but neither periodic option is on.
    EXPECT_EQ("Vistals - lake.jpg", Tip(Options(true, true, false, false), 0, 0, "lake.jpg"));
}

TEST(TooltipText, NameAndTimeLeftInDaysHoursMinutes) {
    EXPECT_EQ("Vistals - lake.jpg - 00:01:30", Tip(Options(true, true, true, false), 0, 0, "lake.jpg"));
    EXPECT_EQ("Vistals - 00:01:30", Tip(Options(false, true, true, false), 0, 0, "lake.jpg"));
    // No name yet: the time part alone.
    EXPECT_EQ("Vistals - 00:01:29", Tip(Options(true, true, true, false), 1, 0, ""));
}

TEST(TooltipText, UsesTheCounterOfThePeriodicOptionsThatAreOn) {
    SettingsRecord settings = Options(false, true, true, true);
    settings.VistalIntervalMinutes = 10;
    settings.VistalSetIntervalMinutes = 3;
    EXPECT_EQ("Vistals - 00:00:03", Tip(settings, 0, 0, ""));  // the smaller of the two
    settings.VistalSetPeriodic = 0;
    EXPECT_EQ("Vistals - 00:00:10", Tip(settings, 0, 0, ""));
    settings.VistalSetPeriodic = 1;
    settings.VistalPeriodic = 0;
    EXPECT_EQ("Vistals - 00:00:01", Tip(settings, 0, 2, ""));
}

TEST(TooltipText, NoTimePartOnceTheTimeIsUsedUp) {
    // A change whose picture failed to open leaves the counter running on.
    EXPECT_EQ("Vistals - bad.jpg", Tip(Options(true, true, true, false), 90, 0, "bad.jpg"));
    EXPECT_EQ("Vistals - bad.jpg", Tip(Options(true, true, true, false), 95, 0, "bad.jpg"));
}

TEST(TooltipText, DaysGrowBeyondTwoDigits) {
    SettingsRecord settings = Options(false, true, true, false);
    settings.VistalIntervalMinutes = 100 * 1440 + 2 * 60 + 5;
    EXPECT_EQ("Vistals - 100:02:05", Tip(settings, 0, 0, ""));
    settings.VistalIntervalMinutes = 1440 + 2 * 60 + 5;
    EXPECT_EQ("Vistals - 01:02:05", Tip(settings, 0, 0, ""));
}

TEST(TooltipText, LongNamesAreCutAt255Characters) {
    const std::string name(400, 'n');
    const std::string tip = Tip(Options(true, true, true, false), 0, 0, name.c_str());
    ASSERT_EQ(255u, tip.size());
    EXPECT_EQ("Vistals - nnn", tip.substr(0, 13));
}

TEST(TooltipText, TheLongestIntervalIsShownInFull) {
    SettingsRecord settings = Options(false, true, true, true);
    settings.VistalIntervalMinutes = INT32_MAX;  // 1491308 days, 2 hours, 7 minutes
    settings.VistalSetIntervalMinutes = INT32_MAX;
    EXPECT_EQ("Vistals - 1491308:02:07", Tip(settings, 0, 0, ""));
    settings.VistalSetIntervalMinutes = INT32_MIN;  // used up long ago
    EXPECT_EQ("Vistals", Tip(settings, 0, INT32_MAX, ""));
}

TEST(TooltipText, PausedTakesThePlaceOfTheTimeLeft) {
    SettingsRecord settings = Options(true, true, true, false);
    settings.Paused = 1;
    EXPECT_EQ("Vistals - lake.jpg - paused", Tip(settings, 0, 0, "lake.jpg"));
    EXPECT_EQ("Vistals - paused", Tip(settings, 0, 0, ""));
    settings.ShowFileName = 0;
    settings.ShowTimeLeft = 0;
    settings.VistalPeriodic = 0;
    EXPECT_EQ("Vistals - paused", Tip(settings, 0, 0, "lake.jpg"));
}
