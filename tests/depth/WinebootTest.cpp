// Wine's own session end (wineboot --end-session) with the program running:
// it sends the end-of-session messages and then ends every program. Run in
// a private session (on-screen-of-depth.sh), since it ends the desktop too.
#include "support/ProgramProcess.h"
#include "support/RegistrySandbox.h"

#include <gtest/gtest.h>

#include <string>

TEST(Wineboot, EndingTheSessionSavesTheSettingsAndEndsTheProgram) {
    RegistrySandbox sandbox;
    ProgramProcess program;
    ASSERT_TRUE(program.Start());
    ASSERT_NE(nullptr, program.WaitForFrame());
    Sleep(500);  // start-up reads the (missing) settings
    DWORD value = 0, size = sizeof value;
    ASSERT_NE(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, "Software\\Corvane Software\\Vistals",
                                          "CalendarTransparentBackground", RRF_RT_REG_DWORD, nullptr, &value, &size));

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION wineboot{};
    char command[] = "wineboot.exe --end-session";
    ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &wineboot));
    WaitForSingleObject(wineboot.hProcess, 30000);
    CloseHandle(wineboot.hThread);
    CloseHandle(wineboot.hProcess);

    EXPECT_TRUE(program.WaitForExit(10000));
    // Every setting was written on the way out; the last one is enough to show it.
    size = sizeof value;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, "Software\\Corvane Software\\Vistals",
                                          "CalendarTransparentBackground", RRF_RT_REG_DWORD, nullptr, &value, &size));
    EXPECT_EQ(1u, value);
}
