// Wine's own session end (wineboot --end-session) with the program running:
// it sends the end-of-session messages and then ends every program. Run in
// a private session (on-screen-of-depth.sh), since it ends the desktop too.
#include "support/ProgramProcess.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"

#include <gtest/gtest.h>

#include <string>

TEST(Wineboot, EndingTheSessionSavesTheSettingsAndEndsTheProgram) {
    RegistrySandbox sandbox;
    ProgramProcess program;
    ASSERT_TRUE(program.Start());
    HWND frame = program.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(program.WaitForMessageLoop(frame));  // start-up has read the (missing) settings
    ASSERT_FALSE(StoredDword(kProgramKey, "CalendarTransparentBackground"));

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
    EXPECT_EQ(1u, StoredDword(kProgramKey, "CalendarTransparentBackground"));
}
