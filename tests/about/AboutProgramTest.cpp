// The About box as a user meets it in the running program: at start-up,
// from "&About Vistals..." as often as asked, and closed with Continue.
#include "res/resource.h"
#include "support/ProgramProcess.h"
#include "support/RegistrySandbox.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

bool WaitForBoxes(DWORD processId, size_t count) {
    return WaitUntil([&] { return VisibleAboutBoxes(processId).size() == count; });
}

TEST(AboutBoxInTheProgram, ShownAtStartUpAndOnEachRequestUntilContinue) {
    RegistrySandbox sandbox;
    ProgramProcess program;
    ASSERT_TRUE(program.Start());
    HWND frame = program.WaitForFrame();
    ASSERT_NE(nullptr, frame);

    ASSERT_TRUE(WaitForBoxes(program.Id(), 1)) << "no About box at start-up";
    HWND splash = VisibleAboutBoxes(program.Id())[0];
    RECT rect{};
    GetWindowRect(splash, &rect);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 400) / 2, rect.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 450) / 2, rect.top);
    EXPECT_TRUE(GetWindowLongPtrA(splash, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(frame, GetWindow(splash, GW_OWNER));
    EXPECT_FALSE(IsWindowVisible(frame));

    // "&About Vistals..." twice: two more boxes.
    PostMessageA(frame, WM_COMMAND, ID_APP_ABOUT, 0);
    PostMessageA(frame, WM_COMMAND, ID_APP_ABOUT, 0);
    ASSERT_TRUE(WaitForBoxes(program.Id(), 3));

    SendMessageA(GetDlgItem(splash, IDC_CONTINUE), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(splash); }));
    EXPECT_EQ(2u, VisibleAboutBoxes(program.Id()).size());

    // The boxes go with the program; it ends as usual.
    ASSERT_TRUE(program.Exit());
    EXPECT_EQ(0u, program.ExitCode());
}

}  // namespace
