// The tray's "Select Background Images..." command in the installed program,
// used as a new user would: build two sets, confirm, see the wallpaper change
// at once, find the sets again after a restart.
#include "res/resource.h"
#include "sets/ImageSetList.h"
#include "support/ProgramProcess.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"
#include "support/TestBitmaps.h"
#include "support/TestPaths.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <dlgs.h>

#include <string>

namespace {

const char kCaption[] = "Select Background Images";

HWND EditControl(HWND tree) { return reinterpret_cast<HWND>(SendMessageA(tree, TVM_GETEDITCONTROL, 0, 0)); }

// Types a name into the label edit that is open and presses Enter.
void NameTheSet(HWND tree, const char* name) {
    HWND edit = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (edit = EditControl(tree)) != nullptr; }));
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name));
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(WaitUntil([&] { return EditControl(tree) == nullptr; }));
}

void SelectFile(HWND dialog, const char* name) {
    const LRESULT at = SendDlgItemMessageA(dialog, lst1, LB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(name));
    ASSERT_NE(LB_ERR, at) << name;
    SendDlgItemMessageA(dialog, lst1, LB_SETSEL, TRUE, at);
}

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::string WallpaperPath() { return DistDir() + "\\vistals.bmp"; }

}  // namespace

TEST(SelectImagesCommand, NewSetsReplaceTheListShowTheirFirstPictureAndAreStored) {
    RegistrySandbox sandbox;
    const std::string folder = MakeTempFolder("select-command");
    ASSERT_TRUE(WriteSolidBmp(folder + "\\blue.bmp", 64, 48, RGB(0, 0, 255)));
    ASSERT_TRUE(WriteSolidBmp(folder + "\\green.bmp", 64, 48, RGB(0, 255, 0)));
    ASSERT_TRUE(WriteSolidBmp(folder + "\\red.bmp", 64, 48, RGB(255, 0, 0)));
    DeleteFileA(WallpaperPath().c_str());

    {
        ProgramProcess program;
        // The file list starts in the program's current folder.
        ASSERT_TRUE(program.Start({}, folder));
        HWND frame = program.WaitForFrame();
        ASSERT_NE(nullptr, frame);
        PostMessageA(frame, WM_COMMAND, ID_SELECT_IMAGES, 0);
        HWND dialog = WaitForDialog(program.Id(), kCaption);
        ASSERT_NE(nullptr, dialog);
        HWND tree = GetDlgItem(dialog, IDC_SET_TREE);

        Click(dialog, IDC_SELECT_ALL);
        Click(dialog, IDC_ADD);
        NameTheSet(tree, "Beach");
        Click(dialog, IDC_NEW_SET);
        NameTheSet(tree, "Forest");
        SelectFile(dialog, "green.bmp");
        Click(dialog, IDC_ADD);
        EXPECT_EQ(6, SendMessageA(tree, TVM_GETCOUNT, 0, 0));
        Click(dialog, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));

        // At once the first picture of the new list is the wallpaper.
        BmpPixels wallpaper;
        ASSERT_TRUE(WaitUntil([&] {
            return DesktopValue("Wallpaper") == WallpaperPath() && wallpaper.Load(WallpaperPath());
        }));
        EXPECT_EQ(RGB(0, 0, 255), wallpaper.At(wallpaper.Width() / 2, wallpaper.Height() / 2));
        ASSERT_TRUE(program.Exit());
    }

    CImageSetList stored;
    ASSERT_TRUE(stored.LoadFromRegistry(CYCLE_FORWARD));
    ASSERT_EQ(2, stored.GetCount());
    EXPECT_EQ("Beach", stored.GetSet(0)->m_strName.str());
    ASSERT_EQ(3, stored.GetSet(0)->GetCount());
    EXPECT_EQ(0, lstrcmpiA((folder + "\\blue.bmp").c_str(), stored.GetSet(0)->GetEntry(0)->m_strPath));
    EXPECT_EQ(0, lstrcmpiA((folder + "\\red.bmp").c_str(), stored.GetSet(0)->GetEntry(2)->m_strPath));
    EXPECT_EQ("Forest", stored.GetSet(1)->m_strName.str());
    ASSERT_EQ(1, stored.GetSet(1)->GetCount());
    EXPECT_EQ(0, lstrcmpiA((folder + "\\green.bmp").c_str(), stored.GetSet(1)->GetEntry(0)->m_strPath));

    // After a restart the dialog shows both sets again.
    ProgramProcess again;
    ASSERT_TRUE(again.Start());
    HWND frame = again.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    PostMessageA(frame, WM_COMMAND, ID_SELECT_IMAGES, 0);
    HWND dialog = WaitForDialog(again.Id(), kCaption);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(6, SendDlgItemMessageA(dialog, IDC_SET_TREE, TVM_GETCOUNT, 0, 0));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(again.Exit());
}
