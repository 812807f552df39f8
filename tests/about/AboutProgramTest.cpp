// The About box as a user meets it in the running program: at start-up,
// from "&About Vistals..." as often as asked, and closed with Continue.
#include "res/resource.h"
#include "support/ProgramProcess.h"
#include "support/RegistrySandbox.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<HWND> VisibleAboutBoxes(DWORD processId) {
    std::vector<HWND> boxes;
    for (HWND window : WindowsOfProcess(processId))
        if (IsWindowVisible(window) && GetDlgItem(window, IDC_CONTINUE) && GetDlgItem(window, IDC_ORDER))
            boxes.push_back(window);
    return boxes;
}

bool WaitForBoxes(DWORD processId, size_t count) {
    for (int i = 0; i < 500; ++i) {
        if (VisibleAboutBoxes(processId).size() == count) return true;
        Sleep(20);
    }
    return false;
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
    EXPECT_TRUE(WaitForBoxes(program.Id(), 2));
    EXPECT_FALSE(IsWindow(splash));

    // The boxes go with the program; it ends as usual.
    ASSERT_TRUE(program.Exit());
    EXPECT_EQ(0u, program.ExitCode());
}

}  // namespace
