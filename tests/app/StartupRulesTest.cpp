// Start-up's first change, the timer's tick and the help file's path.
#include "app/StartupRules.h"

#include <gtest/gtest.h>

namespace {
SettingsRecord With(int setStartup, int startup, int setPeriodic, int periodic) {
    SettingsRecord s;
    s.VistalSetStartup = setStartup;
    s.VistalStartup = startup;
    s.VistalSetPeriodic = setPeriodic;
    s.VistalPeriodic = periodic;
    return s;
}
}  // namespace

TEST(FirstChange, SetChangeOnlyWithMoreThanOneSet) {
    EXPECT_EQ(FirstChange::NextSet, DecideFirstChange(With(1, 1, 1, 1), 2));
    EXPECT_EQ(FirstChange::NextVistal, DecideFirstChange(With(1, 1, 1, 1), 1));
    EXPECT_EQ(FirstChange::ArmTimer, DecideFirstChange(With(1, 0, 0, 1), 1));
    EXPECT_EQ(FirstChange::Nothing, DecideFirstChange(With(1, 0, 0, 0), 1));
}

TEST(FirstChange, PeriodicOptionsOnlyArmTheTimer) {
    EXPECT_EQ(FirstChange::ArmTimer, DecideFirstChange(With(0, 0, 1, 0), 3));
    EXPECT_EQ(FirstChange::ArmTimer, DecideFirstChange(With(0, 0, 0, 1), 0));
    EXPECT_EQ(FirstChange::Nothing, DecideFirstChange(With(0, 0, 0, 0), 5));
    // Any non-zero value counts as on.
    EXPECT_EQ(FirstChange::NextVistal, DecideFirstChange(With(0, -3, 0, 0), 0));
    // Defaults of a fresh install: a picture change, even with nothing to show.
    EXPECT_EQ(FirstChange::NextVistal, DecideFirstChange(SettingsRecord(), 0));
}

// One tick of the change timer, from the scheduler's table of events: a
// tick holds (no periodic option, or changes held while the tray's Options
// sheet or Select dialog is open), counts with nothing due and rearms, or
// counts and starts the set change, which wins over a due picture change.
TEST(Tick, FollowsTheSchedulersTableOfEvents) {
    struct Row {
        int setPeriodic, periodic, setInterval, interval;
        bool allowed;
        int32_t pictureElapsed, setElapsed;
        TickAction action;
        int32_t pictureAfter, setAfter;
    };
    const Row rows[] = {
        {0, 0, 5, 60, true, 5, 7, TickAction::Hold, 5, 7},
        {0, 1, 5, 60, false, 59, 7, TickAction::Hold, 59, 7},
        {1, 0, 5, 60, false, 5, 4, TickAction::Hold, 5, 4},
        {0, 1, 5, 60, true, 10, 10, TickAction::Count, 11, 11},
        {0, 1, 5, 60, true, 59, 0, TickAction::ChangePicture, 60, 1},
        {0, 1, 5, 0, true, 0, 0, TickAction::ChangePicture, 1, 1},         // interval 0: the first tick
        {0, 2, 5, 60, true, 100, 0, TickAction::ChangePicture, 101, 1},    // any non-zero flag is on
        {0, 1, 5, 60, true, 10, 100, TickAction::Count, 11, 101},         // the set counter never triggers
        {1, 0, 5, 60, true, 3, 3, TickAction::Count, 4, 4},
        {1, 0, 5, 60, true, 500, 4, TickAction::ChangeSet, 501, 5},       // nor does the picture counter
        {1, 0, 0, 60, true, 0, 0, TickAction::ChangeSet, 1, 1},
        {1, 1, 5, 60, true, 59, 4, TickAction::ChangeSet, 60, 5},         // both due: one set change
        {1, 1, 30, 60, true, 59, 4, TickAction::ChangePicture, 60, 5},
    };
    for (const Row& row : rows) {
        SettingsRecord s = With(0, 0, row.setPeriodic, row.periodic);
        s.VistalSetIntervalMinutes = row.setInterval;
        s.VistalIntervalMinutes = row.interval;
        const TickDecision tick = DecideTick(s, row.allowed, row.pictureElapsed, row.setElapsed);
        const int at = static_cast<int>(&row - rows);
        EXPECT_EQ(row.action, tick.action) << "row " << at;
        EXPECT_EQ(row.pictureAfter, tick.pictureElapsed) << "row " << at;
        EXPECT_EQ(row.setAfter, tick.setElapsed) << "row " << at;
    }
}

TEST(HelpPath, ReplacesEveryExactCaseHlp) {
    EXPECT_STREQ("C:\\Program Files\\Vistals\\VISTALS.chm",
                 HelpPathFromFrameworkPath("C:\\Program Files\\Vistals\\VISTALS.HLP"));
    EXPECT_STREQ("C:\\A.chm\\B.chm", HelpPathFromFrameworkPath("C:\\A.HLP\\B.HLP"));
    EXPECT_STREQ("C:\\Vistals\\vistals.hlp", HelpPathFromFrameworkPath("C:\\Vistals\\vistals.hlp"));
    EXPECT_STREQ("C:\\Vistals\\Vistals", HelpPathFromFrameworkPath("C:\\Vistals\\Vistals"));
}
