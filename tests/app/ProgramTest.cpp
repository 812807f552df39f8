// The installed program, run as a user runs it.
#include "settings/Settings.h"
#include "support/DialogCatcher.h"
#include "support/ProgramProcess.h"
#include "support/RegistrySandbox.h"

#include <gtest/gtest.h>

namespace {

const char kKeyPath[] = "Software\\Corvane Software\\Vistals";

bool ReadStored(const char* name, DWORD* value) {
    DWORD size = sizeof *value;
    return RegGetValueA(HKEY_CURRENT_USER, kKeyPath, name, RRF_RT_REG_DWORD, nullptr, value, &size) == ERROR_SUCCESS;
}

}  // namespace

TEST(Program, RunsHiddenRefusesASecondInstanceAndSavesDefaultsAtExit) {
    RegistrySandbox sandbox;
    ProgramProcess first;
    ASSERT_TRUE(first.Start());
    HWND frame = first.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    Sleep(300);  // let start-up finish
    for (HWND window : WindowsOfProcess(first.Id())) {
        char cls[64] = {};
        GetClassNameA(window, cls, sizeof cls);
        if (strcmp(cls, "#32770") == 0) continue;  // a message box of the start-up is not the frame
        if (GetDlgItem(window, 1016 /* IDC_CONTINUE */)) continue;  // the About box shows at start-up
        EXPECT_FALSE(IsWindowVisible(window)) << cls;
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
    DWORD value = 0;
    EXPECT_FALSE(ReadStored("ShowFileName", &value));
    EXPECT_TRUE(IsWindow(frame));

    ASSERT_TRUE(PostMessageA(frame, WM_COMMAND, 57665, 0));
    ASSERT_TRUE(first.WaitForExit());
    EXPECT_EQ(0u, first.ExitCode());

    const SettingsRecord defaults;
    for (const SettingsValue& v : kSettingsValues) {
        ASSERT_TRUE(ReadStored(v.name, &value)) << v.name;
        EXPECT_EQ(static_cast<DWORD>(defaults.*v.field), value) << v.name;
    }
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
    DWORD value = 0;
    ASSERT_TRUE(ReadStored("CalendarPosition", &value));
    EXPECT_EQ(4u, value);
    ASSERT_TRUE(ReadStored("VistalPeriodic", &value));
    EXPECT_EQ(0u, value);
}
