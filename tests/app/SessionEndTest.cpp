// The program at log-off or shutdown: Windows asks with WM_QUERYENDSESSION
// and announces the end with WM_ENDSESSION, after which the process may be
// ended at any moment. Everything must be saved by then, once.
#include "res/resource.h"
#include "settings/Settings.h"
#include "sets/ImageSetList.h"
#include "support/ProgramProcess.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"
#include "support/TestBitmaps.h"
#include "support/TestPaths.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kFirstSet = std::string(kImageSetsKey) + "\\Set0";

// The Windows side of a session end: the question, then the announcement.
// Each must be answered within the time Windows allows.
void EndSession(HWND frame) {
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutA(frame, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &answer));
    EXPECT_EQ(TRUE, static_cast<BOOL>(answer));
    ASSERT_TRUE(SendMessageTimeoutA(frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &answer));
}

class SessionEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        wallpaper_ = DistDir() + "\\vistals.bmp";
        DeleteFileA(wallpaper_.c_str());
        folder_ = MakeTempFolder("session-end");
        Settings = SettingsRecord();
        Settings.VistalPeriodic = 0;
        Settings.CalendarPosition = 4;
    }
    void TearDown() override {
        Settings = SettingsRecord();
        delete TheImageSetList;
        TheImageSetList = nullptr;
    }

    // Two stored sets of the given pictures, the first one current.
    void StoreSets(const std::vector<std::string>& first, const std::vector<std::string>& second) {
        ASSERT_TRUE(SaveSettings());
        CImageSetList stored;
        for (const auto* paths : {&first, &second}) {
            auto set = std::make_unique<CImageSet>("set");
            for (const std::string& path : *paths) set->AddEntry(std::make_unique<CImageEntry>(path.c_str()));
            stored.AddSet(std::move(set));
        }
        stored.m_nSetIndex = 0;
        stored.m_nImageIndex = 0;
        ASSERT_TRUE(stored.SaveToRegistry(CYCLE_FORWARD));
    }

    // Two stored sets of two small pictures; the program started on them.
    HWND StartOnTwoSmallSets(ProgramProcess& program) {
        const std::string a = folder_ + "\\a.bmp", b = folder_ + "\\b.bmp";
        EXPECT_TRUE(WriteSolidBmp(a, 64, 48, RGB(10, 20, 30)));
        EXPECT_TRUE(WriteSolidBmp(b, 64, 48, RGB(30, 20, 10)));
        StoreSets({a, b}, {a});
        EXPECT_TRUE(program.Start());
        return program.WaitForFrame();
    }

    RegistrySandbox sandbox_;
    std::string wallpaper_, folder_;
};

}  // namespace

TEST_F(SessionEndTest, EverythingIsSavedBeforeTheAnnouncementIsAnsweredAndNotAgainAtExit) {
    ProgramProcess program;
    HWND frame = StartOnTwoSmallSets(program);
    ASSERT_NE(nullptr, frame);
    // The start-up change moves on to the second picture of the first set.
    WaitUntil([&] { return IsCompleteBmp(wallpaper_, nullptr); });

    EndSession(frame);
    // Saved by the time the announcement was answered: the new position and
    // every setting.
    EXPECT_EQ(1u, StoredDword(kFirstSet, "ImageIndex"));
    EXPECT_EQ(2u, StoredDword(kImageSetsKey, "SetCount"));
    EXPECT_EQ(4u, StoredDword(kProgramKey, "CalendarPosition"));
    EXPECT_EQ(0u, StoredDword(kProgramKey, "VistalPeriodic"));

    // Whatever comes after (here an Exit) saves nothing a second time.
    StoreDword(kFirstSet, "ImageIndex", 0);
    StoreDword(kProgramKey, "CalendarPosition", 5);
    if (!program.WaitForExit(0)) { EXPECT_TRUE(program.Exit()); }
    EXPECT_EQ(0u, program.ExitCode());
    EXPECT_EQ(0u, StoredDword(kFirstSet, "ImageIndex"));
    EXPECT_EQ(5u, StoredDword(kProgramKey, "CalendarPosition"));
}

TEST_F(SessionEndTest, AChangeBeingComposedNeitherHoldsUpTheEndNorLeavesHalfAFile) {
    // Large enough that its change is still running when the session ends.
    const std::string large = folder_ + "\\large.bmp";
    ASSERT_TRUE(WriteSolidBmp(large, 4000, 3000, RGB(90, 120, 150)));
    StoreSets({large}, {large});

    ProgramProcess program;
    ASSERT_TRUE(program.Start());
    HWND frame = program.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    const int idle = program.ThreadCount();
    WaitUntil([&] { return program.ThreadCount() > idle; });

    EndSession(frame);
    EXPECT_EQ(2u, StoredDword(kImageSetsKey, "SetCount"));
    if (!program.WaitForExit(0)) { EXPECT_TRUE(program.Exit()); }
    // Either no wallpaper was made or a whole one, and nothing beside it.
    std::string why;
    if (GetFileAttributesA(wallpaper_.c_str()) != INVALID_FILE_ATTRIBUTES) {
        EXPECT_TRUE(IsCompleteBmp(wallpaper_, &why)) << why;
    }
    for (const std::string& name : FilesMatching(DistDir(), "vistals.bmp*")) EXPECT_EQ("vistals.bmp", name);
}

TEST_F(SessionEndTest, ASessionThatDoesNotEndChangesNothing) {
    ASSERT_TRUE(SaveSettings());
    ProgramProcess program;
    ASSERT_TRUE(program.Start());
    HWND frame = program.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(program.WaitForMessageLoop(frame));  // start-up has read the settings
    DWORD_PTR answer = 0;
    // Another program refused: Windows announces that the session goes on.
    ASSERT_TRUE(SendMessageTimeoutA(frame, WM_ENDSESSION, FALSE, 0, SMTO_NORMAL, 5000, &answer));
    ASSERT_TRUE(StoreDword(kProgramKey, "CalendarPosition", 5));
    ASSERT_TRUE(program.WaitForMessageLoop(frame));  // whatever the answer posted has run
    EXPECT_TRUE(IsWindow(frame));
    EXPECT_EQ(5u, StoredDword(kProgramKey, "CalendarPosition"));  // nothing saved yet
    EXPECT_TRUE(program.Exit());
    EXPECT_EQ(4u, StoredDword(kProgramKey, "CalendarPosition"));  // saved at the exit
}

TEST_F(SessionEndTest, ADialogLeftOpenAtTheEndGoesOnWorkingOnWhatWasSaved) {
    ProgramProcess program;
    HWND frame = StartOnTwoSmallSets(program);
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(program.WaitForMessageLoop(frame));
    PostMessageA(frame, WM_COMMAND, ID_SELECT_IMAGES, 0);
    HWND dialog = WaitForDialog(program.Id(), "Select Background Images");
    ASSERT_NE(nullptr, dialog);

    EndSession(frame);
    EXPECT_EQ(2u, StoredDword(kImageSetsKey, "SetCount"));
    // Windows may end the process at any moment now, but until it does the
    // dialog is the user's: confirming it replaces the list it was given and
    // starts a change, which needs that list and the library still there.
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    if (!program.WaitForExit(0)) { EXPECT_TRUE(program.Exit()); }
    EXPECT_EQ(0u, program.ExitCode());
    EXPECT_EQ(2u, StoredDword(kImageSetsKey, "SetCount"));
}
