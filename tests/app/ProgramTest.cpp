// The installed program, run as a user runs it.
#include "settings/Settings.h"
#include "support/DialogCatcher.h"
#include "support/ProgramProcess.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"
#include "support/StoredSettings.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

TEST(Program, RunsHiddenRefusesASecondInstanceAndSavesDefaultsAtExit) {
    RegistrySandbox sandbox;
    ProgramProcess first;
    ASSERT_TRUE(first.Start());
    HWND frame = first.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(first.WaitForMessageLoop(frame));
    // Nothing shows but the About boxes (and a message box of the start-up).
    for (HWND window : WindowsOfProcess(first.Id(), [](HWND w) { return !IsDialogWindow(w); })) {
        if (!GetDlgItem(window, 1016 /* IDC_CONTINUE */)) {
            EXPECT_FALSE(IsWindowVisible(window)) << WindowTextOf(window);
        }
    }

    {
        ProgramProcess second;
        ASSERT_TRUE(second.Start());
        DialogCatcher catcher(second.Id());
        ASSERT_TRUE(catcher.WaitFor(1));
        EXPECT_EQ("Vistals", catcher.Boxes()[0].caption);
        EXPECT_EQ("Vistals is already running.", catcher.Boxes()[0].text);
        EXPECT_TRUE(second.WaitForExit());
    }
    // The refused instance wrote nothing.
    EXPECT_FALSE(StoredDword(kProgramKey, "ShowFileName"));
    EXPECT_TRUE(IsWindow(frame));

    ASSERT_TRUE(PostMessageA(frame, WM_COMMAND, 57665, 0));
    ASSERT_TRUE(first.WaitForExit());
    EXPECT_EQ(0u, first.ExitCode());

    for (const StoredSetting& value : kStoredSettings)
        EXPECT_EQ(static_cast<DWORD>(value.firstRunValue), StoredDword(kProgramKey, value.name)) << value.name;
}

TEST(Program, KeepsTheUsersSettingsAcrossARun) {
    RegistrySandbox sandbox;
    Settings = SettingsRecord();
    Settings.CalendarPosition = 4;
    Settings.VistalStartup = 0;
    Settings.VistalPeriodic = 0;
    ASSERT_TRUE(SaveSettings());
    Settings = SettingsRecord();

    ProgramProcess program;
    ASSERT_TRUE(program.Start());
    ASSERT_NE(nullptr, program.WaitForFrame());
    ASSERT_TRUE(program.Exit());
    EXPECT_EQ(4u, StoredDword(kProgramKey, "CalendarPosition"));
    EXPECT_EQ(0u, StoredDword(kProgramKey, "VistalPeriodic"));
}

// Two copies started at the same moment: exactly one runs, the other shows
// the message and ends. Repeated, since a race shows only sometimes.
TEST(Program, OfTwoCopiesStartedTogetherExactlyOneRuns) {
    RegistrySandbox sandbox;
    for (int round = 0; round < 4; ++round) {
        ProgramProcess copies[2];
        ASSERT_TRUE(copies[0].Start());
        ASSERT_TRUE(copies[1].Start());
        DialogCatcher catchers[2] = {DialogCatcher(copies[0].Id()), DialogCatcher(copies[1].Id())};

        int refused = -1;
        for (int waited = 0; refused < 0 && waited < 300; ++waited)
            for (int i = 0; i < 2 && refused < 0; ++i)
                if (copies[i].WaitForExit(50)) refused = i;
        ASSERT_NE(-1, refused) << "round " << round << ": both copies run";
        const int running = 1 - refused;
        ASSERT_EQ(1u, catchers[refused].Boxes().size()) << "round " << round;
        EXPECT_EQ("Vistals is already running.", catchers[refused].Boxes()[0].text);

        EXPECT_NE(nullptr, copies[running].WaitForFrame()) << "round " << round;
        EXPECT_FALSE(copies[running].WaitForExit(200)) << "round " << round << ": both copies ended";
        EXPECT_TRUE(catchers[running].Boxes().empty());
        ASSERT_TRUE(copies[running].Exit());
    }
}

// The About box holds the common controls only while it is open, and every
// message box holds them too: a box that comes while the About box is open
// still works once the About box has gone.
TEST(Program, AMessageBoxOutlivesTheAboutBoxItCameBeside) {
    RegistrySandbox sandbox;
    const std::string damaged = MakeTempFolder("outlives-about") + "\\damaged.jpg";
    ASSERT_TRUE(WriteFileBytes(damaged, std::string("\xFF\xD8\xFF\xE0 not a picture", 20)));
    ProgramProcess program;
    ASSERT_TRUE(program.Start({damaged}));  // the change at start-up fails with a message
    ASSERT_NE(nullptr, program.WaitForFrame());
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (HWND window : WindowsOfProcess(program.Id()))
            if (IsDialogWindow(window) && IsWindowVisible(window)) box = window;
        return box != nullptr;
    }));
    const std::vector<HWND> about = VisibleAboutBoxes(program.Id());
    ASSERT_EQ(1u, about.size());

    PostMessageA(about[0], WM_COMMAND, MAKEWPARAM(1016 /* Continue */, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about[0]); }));
    char text[16] = {};
    DWORD_PTR length = 0;
    EXPECT_TRUE(SendMessageTimeoutA(GetDlgItem(box, IDOK), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                                    SMTO_ABORTIFHUNG, 5000, &length))
        << "the box's button no longer answers";
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    ASSERT_TRUE(program.Exit());
    EXPECT_EQ(0u, program.ExitCode());
}
