// Start-up's first change and the help file's path.
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

TEST(HelpPath, ReplacesEveryExactCaseHlp) {
    EXPECT_STREQ("C:\\Program Files\\Vistals\\VISTALS.chm",
                 HelpPathFromFrameworkPath("C:\\Program Files\\Vistals\\VISTALS.HLP"));
    EXPECT_STREQ("C:\\A.chm\\B.chm", HelpPathFromFrameworkPath("C:\\A.HLP\\B.HLP"));
    EXPECT_STREQ("C:\\Vistals\\vistals.hlp", HelpPathFromFrameworkPath("C:\\Vistals\\vistals.hlp"));
    EXPECT_STREQ("C:\\Vistals\\Vistals", HelpPathFromFrameworkPath("C:\\Vistals\\Vistals"));
}
