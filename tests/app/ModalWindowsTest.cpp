// The tray menu while a modal window of the program is open, in the running
// program: the menu stays usable while the Select dialog, an Options sheet or
// a message box runs its own loop, so every command arrives inside that loop.
#include "app/Messages.h"
#include "framework/Resource.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "sets/ImageSetList.h"
#include "support/DialogCatcher.h"
#include "support/ProgramProcess.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"
#include "support/TestBitmaps.h"
#include "support/TestPaths.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kSelectTitle[] = "Select Background Images";
const COLORREF kRed = RGB(200, 0, 0), kBlue = RGB(0, 0, 200);

// The visible dialog-class windows of the program: dialogs, sheets, boxes.
std::vector<HWND> ModalWindows(DWORD processId) {
    std::vector<HWND> found =
        WindowsOfProcess(processId, [](HWND window) { return IsWindowVisible(window) && IsDialogWindow(window); });
    std::sort(found.begin(), found.end());
    return found;
}

// Shown or not: a dialog's loop shows its window only once the queue is empty.
size_t CountTitled(DWORD processId, const std::string& title) {
    return WindowsOfProcess(processId, [&](HWND window) {
        return IsDialogWindow(window) && WindowTextOf(window) == title;
    }).size();
}

// Runs a tray command in the program, sent as the icon's double click sends
// it: true once it has been handled. A command that opened a modal window
// of its own would not come back in time.
bool Command(HWND frame, UINT id) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(frame, WM_COMMAND, id, 0, SMTO_NORMAL, 10000, &result) != 0;
}

void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

class TrayWhileModal : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeTempFolder("tray-while-modal");
        red_ = folder_ + "\\red.bmp";
        blue_ = folder_ + "\\blue.bmp";
        missing_ = folder_ + "\\missing.jpg";
        ASSERT_TRUE(WriteSolidBmp(red_, 64, 48, kRed));
        ASSERT_TRUE(WriteSolidBmp(blue_, 64, 48, kBlue));
        wallpaper_ = DistDir() + "\\vistals.bmp";
    }
    void TearDown() override { Settings = SettingsRecord(); }

    // No change at start-up and no timer; two sets, the first holding a
    // picture that cannot be opened and a red one, the second a blue one.
    // The first set's current picture is `current`.
    void StoreSetsAndSettings(int current) {
        Settings = SettingsRecord();
        Settings.VistalStartup = 0;
        Settings.VistalPeriodic = 0;
        ASSERT_TRUE(SaveSettings());
        CImageSetList stored;
        auto first = std::make_unique<CImageSet>("first");
        first->AddEntry(std::make_unique<CImageEntry>(missing_.c_str()));
        first->AddEntry(std::make_unique<CImageEntry>(red_.c_str()));
        auto second = std::make_unique<CImageSet>("second");
        second->AddEntry(std::make_unique<CImageEntry>(blue_.c_str()));
        stored.AddSet(std::move(first));
        stored.AddSet(std::move(second));
        stored.m_nSetIndex = 0;
        stored.m_nImageIndex = current;
        ASSERT_TRUE(stored.SaveToRegistry(CYCLE_FORWARD));
        DeleteFileA(wallpaper_.c_str());
    }

    // The program started with `arguments`, its message loop running; its frame.
    static HWND StartProgram(ProgramProcess& program, const std::vector<std::string>& arguments = {}) {
        return program.StartRunning(arguments);
    }

    bool WallpaperIs(COLORREF colour) { return WaitForCentreColour(wallpaper_, colour); }

    RegistrySandbox sandbox_;
    std::string folder_, red_, blue_, missing_, wallpaper_;
};

}  // namespace

// Select dialog open, Options from the tray, Cancel, Select from the tray
// again: still one dialog. A second one on the same list would destroy that
// list a second time when both are confirmed.
TEST_F(TrayWhileModal, SelectOptionsCancelSelectLeavesOneSelectDialogWhoseOkWorks) {
    StoreSetsAndSettings(0);
    ProgramProcess program;
    HWND frame = StartProgram(program);
    ASSERT_NE(nullptr, frame);

    PostMessageA(frame, WM_COMMAND, ID_SELECT_IMAGES, 0);
    HWND dialog = WaitForDialog(program.Id(), kSelectTitle);
    ASSERT_NE(nullptr, dialog);
    PostMessageA(frame, WM_COMMAND, ID_OPTIONS, 0);
    ASSERT_TRUE(program.WaitForMessageLoop(frame));  // the command has been handled
    if (HWND sheet = FindDialog(program.Id(), "Options")) {
        PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }));
    }
    PostMessageA(frame, WM_COMMAND, ID_SELECT_IMAGES, 0);
    ASSERT_TRUE(program.WaitForMessageLoop(frame));
    ASSERT_EQ(1u, CountTitled(program.Id(), kSelectTitle));

    // The missing picture is not listed, so the first set keeps the red one.
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(WallpaperIs(kRed));
    EXPECT_TRUE(program.Exit());
    EXPECT_EQ(0u, program.ExitCode());
    EXPECT_EQ(2u, StoredDword(kImageSetsKey, "SetCount"));
    EXPECT_EQ(1u, StoredDword(std::string(kImageSetsKey) + "\\Set0", "ImageCount"));
}

namespace {

// One way of having modal windows open; `open` returns the innermost one
// after leaving unconfirmed work in each (which Exit must drop).
struct OpenModal {
    const char* name;
    int current;  // the first set's current picture when the program starts
    HWND (*open)(HWND frame, DWORD processId, const std::string& missing);
};

HWND OpenSelect(HWND frame, DWORD processId, const std::string&) {
    PostMessageA(frame, WM_COMMAND, ID_SELECT_IMAGES, 0);
    HWND dialog = WaitForDialog(processId, kSelectTitle);
    if (!dialog) return nullptr;
    // A new set whose name is being typed: the first cancel only ends that.
    Click(dialog, IDC_NEW_SET);
    WaitUntil([&] { return SendDlgItemMessageA(dialog, IDC_SET_TREE, TVM_GETEDITCONTROL, 0, 0) != 0; });
    return dialog;
}

HWND ChangeFirstPage(HWND sheet) {
    if (!sheet) return nullptr;
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    SendMessageA(GetDlgItem(page, IDC_SET_PERIODIC), BM_CLICK, 0, 0);
    return sheet;
}

HWND OpenOptions(HWND frame, DWORD processId, const std::string&) {
    PostMessageA(frame, WM_COMMAND, ID_OPTIONS, 0);
    return ChangeFirstPage(WaitForDialog(processId, "Options"));
}

HWND OpenOptionsFromSelect(HWND frame, DWORD processId, const std::string& missing) {
    HWND dialog = OpenSelect(frame, processId, missing);
    if (!dialog) return nullptr;
    Click(dialog, IDC_OPTIONS);
    return ChangeFirstPage(WaitForDialog(processId, "Options"));
}

// The next picture cannot be opened: its box comes up over the dialog.
HWND FailAPictureOverSelect(HWND frame, DWORD processId, const std::string& missing) {
    HWND dialog = OpenSelect(frame, processId, missing);
    if (!dialog) return nullptr;
    PostMessageA(frame, WM_COMMAND, ID_DISPLAY_NEXT_VISTAL, 0);
    HWND box = WaitForDialog(processId, missing.c_str());
    // The box holds the dialog: nothing can confirm it, replacing the list
    // the failed change still reads, until the box is answered.
    EXPECT_EQ(dialog, GetWindow(box, GW_OWNER));
    EXPECT_FALSE(IsWindowEnabled(dialog));
    return box;
}

struct TrayCommand {
    UINT id;
    const char* name;
    bool bringsForward;    // the innermost open window comes to the front
    bool opensAbout;       // one more About box
    COLORREF wallpaper;    // the wallpaper it changes to, or CLR_INVALID
};

// In this order: each About box takes the foreground, so the commands after
// it must bring the modal window back. The first set's current picture
// precedes the red one, and the second set holds the blue one.
const TrayCommand kTrayCommands[] = {
    {ID_APP_ABOUT, "About", false, true, CLR_INVALID},
    {ID_SELECT_IMAGES, "Select Background Images", true, false, CLR_INVALID},
    {ID_APP_ABOUT, "About", false, true, CLR_INVALID},
    {ID_OPTIONS, "Options", true, false, CLR_INVALID},
    {ID_HELP_FINDER, "Help", false, false, CLR_INVALID},
    {ID_WEB_SITE, "Web Site", false, false, CLR_INVALID},
    {ID_DISPLAY_NEXT_VISTAL, "Display Next Vistal", false, false, kRed},
    {ID_DISPLAY_NEXT_SET, "Display Next Set", false, false, kBlue},
};

const OpenModal kOpenModals[] = {
    {"the Select dialog", 0, OpenSelect},
    {"the Options sheet", 0, OpenOptions},
    {"the Options sheet over the Select dialog", 0, OpenOptionsFromSelect},
    {"a failed picture's box over the Select dialog", 1, FailAPictureOverSelect},
};

}  // namespace

// Commands that would open another modal window bring the open one forward
// instead; the others do what they always do; Exit cancels every open
// window, as its Cancel button would, and then exits as usual.
TEST_F(TrayWhileModal, EachTrayCommandKeepsTheOpenWindowsAndExitCancelsThem) {
    for (const OpenModal& modal : kOpenModals) {
        SCOPED_TRACE(modal.name);
        StoreSetsAndSettings(modal.current);
        ProgramProcess program;
        HWND frame = StartProgram(program);
        ASSERT_NE(nullptr, frame);
        HWND innermost = modal.open(frame, program.Id(), missing_);
        ASSERT_NE(nullptr, innermost);
        const std::vector<HWND> open = ModalWindows(program.Id());

        for (const TrayCommand& command : kTrayCommands) {
            SCOPED_TRACE(command.name);
            const size_t aboutBoxes = VisibleAboutBoxes(program.Id()).size();
            ASSERT_TRUE(Command(frame, command.id));
            if (command.bringsForward) { EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == innermost; })); }
            EXPECT_EQ(aboutBoxes + command.opensAbout, VisibleAboutBoxes(program.Id()).size());
            if (command.wallpaper != CLR_INVALID) { EXPECT_TRUE(WallpaperIs(command.wallpaper)); }
            EXPECT_EQ(open, ModalWindows(program.Id()));
        }

        PostMessageA(frame, WM_COMMAND, ID_APP_EXIT, 0);  // as the installer does
        ASSERT_TRUE(program.WaitForExit());
        EXPECT_EQ(0u, program.ExitCode());
        // Nothing of the unconfirmed work was kept; the sets were saved.
        EXPECT_EQ(2u, StoredDword(kImageSetsKey, "SetCount"));
        EXPECT_EQ(0u, StoredDword(kProgramKey, "VistalSetPeriodic"));
        EXPECT_EQ(1u, StoredDword(kImageSetsKey, "SetIndex"));
    }
}

// Windows without a Cancel button of ours: a change's warning box, shown
// from the change's own thread for a picture that opens but cannot be
// decoded, and the tray menu, inside whose loop the installer's Exit may
// arrive. The box comes forward like any modal window of ours; Exit ends
// both before the frame goes.
TEST_F(TrayWhileModal, AChangesWarningBoxComesForwardAndExitClosesItAndTheTrayMenu) {
    std::ifstream whole(red_, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(whole), {}};
    const std::string cut = folder_ + "\\cut.bmp";
    ASSERT_TRUE(WriteFileBytes(cut, bytes.substr(0, bytes.size() / 4)));
    StoreSetsAndSettings(0);
    ProgramProcess program;
    HWND frame = StartProgram(program, {cut});
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(Command(frame, ID_DISPLAY_NEXT_VISTAL));
    HWND box = WaitForDialog(program.Id(), "Error");
    ASSERT_NE(nullptr, box);
    ASSERT_TRUE(program.WaitForMessageLoop(frame));  // an About box takes the foreground
    ASSERT_TRUE(Command(frame, ID_SELECT_IMAGES));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == box; }));
    EXPECT_EQ(0u, CountTitled(program.Id(), kSelectTitle));

    auto windowOfClass = [&](const char* prefix) {
        const std::vector<HWND> found = WindowsOfProcess(program.Id(), [&](HWND window) {
            char name[64] = {};
            GetClassNameA(window, name, sizeof name);
            return std::string(name).rfind(prefix, 0) == 0;
        });
        return found.empty() ? HWND{} : found.front();
    };
    HWND icon = windowOfClass("Vistals:0:");  // the tray icon's class has no style
    ASSERT_NE(nullptr, icon);
    PostMessageA(icon, WM_TRAY_NOTIFY, IDR_TRAYMENU, WM_RBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(windowOfClass("#32768")); }));
    PostMessageA(frame, WM_COMMAND, ID_APP_EXIT, 0);
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_EQ(0u, program.ExitCode());
}
