// The set built from the command line, and what becomes of lists at exit.
#include "SetsTestSupport.h"
#include "sets/CommandLineSet.h"
#include "support/RegistrySandbox.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

BOOL LoadFrom(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "Vistals.exe");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    return LoadCommandLineSet(static_cast<int>(arguments.size()), argv.data()) == CommandLineSetResult::Loaded;
}

std::vector<std::string> PathsOf(const CImageSet& set) {
    std::vector<std::string> paths;
    for (int i = 0; i < set.GetCount(); ++i) paths.push_back(set.GetEntry(i)->m_strPath.str());
    return paths;
}

// What the system's own search finds, in its order, as full paths.
std::vector<std::string> Matches(const std::string& folder, const char* pattern) {
    std::vector<std::string> found;
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA((folder + "\\" + pattern).c_str(), &data));
    if (!find) return found;
    do found.push_back(folder + "\\" + data.cFileName);
    while (FindNextFileA(find.get(), &data));
    return found;
}

class CommandLineSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeTempFolder("cmdline");
        for (const char* name : {"c.jpg", "a.jpg", "b.jpg", "note.txt"})
            ASSERT_TRUE(WriteFileBytes(folder_ + "\\" + name, "x"));
    }

    const CImageSet& OnlySet() const {
        EXPECT_EQ(1, TheImageSetList->GetCount());
        return *TheImageSetList->GetSet(0);
    }

    SetsStateGuard guard_;
    std::string folder_;
};

}  // namespace

TEST_F(CommandLineSetTest, NoArgumentsOrNoMatchesGiveNoList) {
    EXPECT_FALSE(LoadFrom({}));
    EXPECT_EQ(nullptr, TheImageSetList);
    EXPECT_FALSE(LoadFrom({folder_ + "\\*.png", folder_ + "\\?.gif"}));
    EXPECT_EQ(nullptr, TheImageSetList);
}

TEST_F(CommandLineSetTest, PlainNamesStayAsTypedAndPatternsBecomeFullPaths) {
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
    const BOOL loaded = LoadFrom({"lake.jpg", "?.jpg"});
    SetCurrentDirectoryA(previous);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(-1, TheImageSetList->m_nSetIndex);
    EXPECT_EQ(-1, TheImageSetList->m_nImageIndex);
    const CImageSet& set = OnlySet();
    EXPECT_STREQ("Command Line Images", set.m_strName);
    std::vector<std::string> expected = {"lake.jpg"};
    for (const std::string& match : Matches(folder_, "*.jpg")) expected.push_back(match);
    ASSERT_EQ(4u, expected.size());
    EXPECT_EQ(expected, PathsOf(set));
}

TEST_F(CommandLineSetTest, NothingIsFilteredOrMergedAway) {
    ASSERT_TRUE(CreateDirectoryA((folder_ + "\\sub.jpg").c_str(), nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
    const std::string same = folder_ + "\\a.jpg";
    ASSERT_TRUE(LoadFrom({same, same, folder_ + "\\*"}));
    std::vector<std::string> expected = {same, same};
    for (const std::string& match : Matches(folder_, "*")) expected.push_back(match);
    EXPECT_EQ(expected, PathsOf(OnlySet()));
    bool sawDots = false, sawFolder = false;
    for (const std::string& path : expected) {
        sawDots |= path == folder_ + "\\..";
        sawFolder |= path == folder_ + "\\sub.jpg";
    }
    EXPECT_TRUE(sawDots);
    EXPECT_TRUE(sawFolder);
}

TEST_F(CommandLineSetTest, ACommandLineListNeverReplacesTheStoredSetsAtExit) {
    RegistrySandbox sandbox;
    CImageSetList stored;
    stored.AddSet(MakeSet("mine", {"C:\\pics\\one.jpg"}));
    ASSERT_TRUE(stored.SaveToRegistry(CYCLE_FORWARD));
    const std::string before = DumpImageSets();

    ASSERT_TRUE(LoadFrom({"lake.jpg"}));
    ASSERT_NE(nullptr, TheImageSetList->NextImage({CYCLE_FORWARD, CYCLE_FORWARD}));
    SaveAndDestroyImageSetList(CYCLE_FORWARD);
    EXPECT_EQ(nullptr, TheImageSetList);
    EXPECT_EQ(before, DumpImageSets());
}

TEST_F(CommandLineSetTest, AStoredListIsWrittenBackWithItsNewPositionsAtExit) {
    RegistrySandbox sandbox;
    CImageSetList stored;
    stored.AddSet(MakeSet("a", {"1.jpg", "2.jpg"}));
    stored.AddSet(MakeSet("b", {"3.jpg", "4.jpg", "5.jpg"}));
    ASSERT_TRUE(stored.SaveToRegistry(CYCLE_FORWARD));

    TheImageSetList = new CImageSetList;  // owned through the pointer, as at start-up
    ASSERT_TRUE(TheImageSetList->LoadFromRegistry(CYCLE_FORWARD));
    TheImageSetList->NextSet(CYCLE_FORWARD);
    TheImageSetList->NextSet(CYCLE_FORWARD);
    TheImageSetList->NextImage({CYCLE_FORWARD, CYCLE_FORWARD});
    TheImageSetList->NextImage({CYCLE_FORWARD, CYCLE_FORWARD});
    SaveAndDestroyImageSetList(CYCLE_FORWARD);
    EXPECT_EQ(nullptr, TheImageSetList);

    CImageSetList nextRun;
    ASSERT_TRUE(nextRun.LoadFromRegistry(CYCLE_FORWARD));
    EXPECT_EQ(1, nextRun.m_nSetIndex);
    EXPECT_EQ(1, nextRun.m_nImageIndex);
    EXPECT_STREQ("5.jpg", *nextRun.NextImage({CYCLE_FORWARD, CYCLE_FORWARD}));
}
