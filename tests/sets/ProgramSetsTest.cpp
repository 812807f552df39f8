// The installed program's handling of the stored sets.
#include "SetsTestSupport.h"
#include "support/ProgramProcess.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"

#include <gtest/gtest.h>

namespace {

class ProgramSetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // No change at start-up: the run only loads and saves.
        Settings.VistalStartup = 0;
        Settings.VistalPeriodic = 0;
        Settings.VistalSetStartup = 0;
        Settings.VistalSetPeriodic = 0;
        ASSERT_TRUE(SaveSettings());
        CImageSetList stored;
        stored.AddSet(MakeSet("Holiday", {"C:\\pics\\beach.jpg", "C:\\pics\\hill.jpg"}));
        stored.AddSet(MakeSet("Work", {"C:\\pics\\desk.png"}));
        ASSERT_TRUE(stored.SaveToRegistry(CYCLE_FORWARD));
        // A position past the sets: any save by the program would change it.
        ASSERT_TRUE(StoreDword(kImageSetsKey, "SetIndex", 5));
    }

    void RunAndExit(const std::vector<std::string>& arguments) {
        ProgramProcess program;
        ASSERT_TRUE(program.Start(arguments));
        ASSERT_NE(nullptr, program.WaitForFrame());
        ASSERT_TRUE(program.Exit());
    }

    RegistrySandbox sandbox_;
    SetsStateGuard guard_;
};

}  // namespace

TEST_F(ProgramSetsTest, ARunWithPicturesLeavesTheStoredSetsAsTheyWere) {
    const std::string before = DumpImageSets();
    RunAndExit({"C:\\elsewhere\\lake.jpg"});
    EXPECT_EQ(before, DumpImageSets());
}

TEST_F(ProgramSetsTest, ARunWithoutPicturesLoadsTheStoredSetsAndWritesThemBack) {
    RunAndExit({});
    EXPECT_EQ(0xFFFFFFFFu, StoredDword(kImageSetsKey, "SetIndex"));
    CImageSetList loaded;
    ASSERT_TRUE(loaded.LoadFromRegistry(CYCLE_FORWARD));
    ASSERT_EQ(2, loaded.GetCount());
    EXPECT_STREQ("Work", loaded.GetSet(1)->m_strName);
    EXPECT_STREQ("C:\\pics\\hill.jpg", loaded.GetSet(0)->GetEntry(1)->m_strPath);
}
