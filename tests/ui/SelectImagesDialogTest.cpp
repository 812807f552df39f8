// The Select Background Images dialog, run for real: the system's old-style
// file dialog with our template, real folders of real pictures, driven from
// a second thread the way a user drives it (keys go through the dialog's own
// message loop).
#include "sets/CommandLineSet.h"
#include "sets/ImageSetList.h"
#include "support/RegistrySandbox.h"
#include "support/TestBitmaps.h"
#include "support/TestPaths.h"
#include "support/WaitUntil.h"
#include "ui/SelectImagesDialog.h"
#include "ui/SelectImagesRules.h"
#include "wallpaper/CodecBinding.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <dlgs.h>
#include <shlobj.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Tree = std::vector<std::pair<std::string, std::vector<std::string>>>;

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

struct WindowSearch {
    const char* cls;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[64] = {}, text[256] = {};
    GetClassNameA(window, name, sizeof name);
    GetWindowTextA(window, text, sizeof text);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(window) || strcmp(name, search->cls) != 0 ||
        (search->caption && strcmp(text, search->caption) != 0))
        return TRUE;
    search->found = window;
    return FALSE;
}

// A visible window of this process with the given class and caption.
HWND FindOwnWindow(const char* cls, const char* caption) {
    WindowSearch search{cls, caption, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string TextOf(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ItemText(HWND tree, HTREEITEM item) {
    std::vector<char> text(4096, '\0');
    TVITEMA data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text.data();
    data.cchTextMax = int(text.size());
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return data.pszText;
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT code) {
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

Tree ReadTree(HWND tree) {
    Tree result;
    for (HTREEITEM set = Next(tree, nullptr, TVGN_ROOT); set; set = Next(tree, set, TVGN_NEXT)) {
        result.push_back({ItemText(tree, set), {}});
        for (HTREEITEM picture = Next(tree, set, TVGN_CHILD); picture; picture = Next(tree, picture, TVGN_NEXT))
            result.back().second.push_back(ItemText(tree, picture));
    }
    return result;
}

// The item whose text is `text` (a set name or a picture's path).
HTREEITEM FindItem(HWND tree, const std::string& text) {
    for (HTREEITEM set = Next(tree, nullptr, TVGN_ROOT); set; set = Next(tree, set, TVGN_NEXT)) {
        if (SamePath(ItemText(tree, set), text)) return set;
        for (HTREEITEM picture = Next(tree, set, TVGN_CHILD); picture; picture = Next(tree, picture, TVGN_NEXT))
            if (SamePath(ItemText(tree, picture), text)) return picture;
    }
    return nullptr;
}

bool IsExpanded(HWND tree, HTREEITEM item) {
    return (SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

// The dialog as the driver thread sees it.
struct Driven {
    HWND dialog;
    HWND Item(int id) const { return GetDlgItem(dialog, id); }
    HWND Tree() const { return Item(IDC_SET_TREE); }
    HWND Edit() const { return reinterpret_cast<HWND>(SendMessageA(Tree(), TVM_GETEDITCONTROL, 0, 0)); }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }

    void Focus(HWND control) const { SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE); }
    // A key pressed in `control`, through the dialog's message loop.
    void Key(HWND control, WPARAM key) const {
        PostMessageA(control, WM_KEYDOWN, key, 0);
        PostMessageA(control, WM_KEYUP, key, 0xC0000000);
        Settle();
    }
    // Waits until the dialog's thread has handled what was posted to it.
    void Settle() const { SendMessageA(dialog, WM_NULL, 0, 0); }
    void Click(int id) const { SendMessageA(Item(id), BM_CLICK, 0, 0); }

    void SelectFiles(std::initializer_list<const char*> names) const {
        HWND files = Item(lst1);
        const int count = int(SendMessageA(files, LB_GETCOUNT, 0, 0));
        for (const char* name : names) {
            bool found = false;
            for (int i = 0; i < count; ++i) {
                char text[MAX_PATH] = {};
                SendMessageA(files, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
                if (lstrcmpiA(text, name) == 0) {
                    SendMessageA(files, LB_SETSEL, TRUE, i);
                    found = true;
                }
            }
            EXPECT_TRUE(found) << name << " is not in the file list";
        }
    }
    int SelectedFileCount() const { return int(SendMessageA(Item(lst1), LB_GETSELCOUNT, 0, 0)); }
    // Types `text` into the label edit in progress and presses `key`.
    void TypeLabel(const char* text, WPARAM key) const {
        HWND edit = Edit();
        ASSERT_NE(nullptr, edit);
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        Key(edit, key);
    }
    void Select(const std::string& text) const {
        SendMessageA(Tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(FindItem(Tree(), text)));
    }
};

// A message box of this process, answered with OK; its text, or "" when
// none came.
std::string AnswerMessageBox() {
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindOwnWindow("#32770", "ui_tests")) != nullptr; }, 5000);
    if (!box) return "";
    const std::string text = TextOf(GetDlgItem(box, 0xFFFF));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !IsWindow(box); });
    return text;
}

// Runs the dialog modally on this thread while `script` drives it from
// another; a dialog the script leaves open is cancelled.
INT_PTR RunDriven(CBatchC& dialog, const std::function<void(const Driven&)>& script) {
    std::thread driver([&] {
        HWND window = nullptr;
        if (!WaitUntil([&] { return (window = FindOwnWindow("#32770", "Select Background Images")) != nullptr; })) {
            ADD_FAILURE() << "the dialog did not open";
            return;
        }
        script(Driven{window});
        if (WaitUntil([&] { return !IsWindow(window); }, 3000)) return;
        for (int i = 0; i < 3 && IsWindow(window); ++i) {
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            WaitUntil([&] { return !IsWindow(window); }, 2000);
        }
    });
    const INT_PTR result = dialog.DoModal();
    driver.join();
    return result;
}

class SelectImagesDialog : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeTempFolder("select");
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
            ASSERT_TRUE(WriteSolidBmp(Path(name), 32, 24, RGB(10, 20, 30)));
        // With no initial folder the file list starts in the current one.
        GetCurrentDirectoryA(MAX_PATH, previousFolder_);
        SetCurrentDirectoryA(folder_.c_str());
    }
    void TearDown() override {
        SetCurrentDirectoryA(previousFolder_);
        delete TheImageSetList;
        TheImageSetList = nullptr;
        UnbindImageLibrary();
    }
    std::string Path(const char* name) const { return folder_ + "\\" + name; }

    RegistrySandbox sandbox_;
    std::string folder_;
    char previousFolder_[MAX_PATH] = {};
};

std::vector<std::string> PathsOf(const CImageSet* set) {
    std::vector<std::string> paths;
    for (int i = 0; set && set->GetEntry(i); ++i) paths.push_back(set->GetEntry(i)->m_strPath.str());
    return paths;
}

void ExpectSamePaths(const std::vector<std::string>& expected, const std::vector<std::string>& actual) {
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_TRUE(SamePath(expected[i], actual[i])) << expected[i] << " / " << actual[i];
}

}  // namespace

TEST_F(SelectImagesDialog, BuildsNamedSetsFromAnEmptyStartAndSavesThemOnOk) {
    CBatchC dialog(nullptr);
    EXPECT_EQ(DWORD(0x00200074), dialog.m_ofn.Flags);

    const INT_PTR result = RunDriven(dialog, [&](const Driven& d) {
        EXPECT_FALSE(d.Enabled(IDOK));
        EXPECT_FALSE(d.Enabled(IDC_REMOVE));
        // Enter in the file list adds the selected files: an empty tree
        // gets "New Set", in list order, with its name open for editing.
        d.SelectFiles({"c.bmp", "a.bmp"});
        d.Focus(d.Item(lst1));
        d.Key(d.Item(lst1), VK_RETURN);
        Tree tree = ReadTree(d.Tree());
        ASSERT_EQ(1u, tree.size());
        EXPECT_EQ("New Set", tree[0].first);
        ExpectSamePaths({Path("a.bmp"), Path("c.bmp")}, tree[0].second);
        EXPECT_NE(nullptr, d.Edit());
        EXPECT_EQ(0, d.SelectedFileCount());
        EXPECT_TRUE(d.Enabled(IDOK));
        EXPECT_TRUE(d.Enabled(IDC_REMOVE));

        // Enter in the label names the set; the dialog stays open.
        d.TypeLabel("Beach", VK_RETURN);
        EXPECT_EQ(nullptr, d.Edit());
        EXPECT_EQ("Beach", ReadTree(d.Tree())[0].first);

        // Esc in a label edit ends only the edit.
        d.Click(IDC_NEW_SET);
        d.TypeLabel("Dropped name", VK_ESCAPE);
        EXPECT_EQ(nullptr, d.Edit());
        EXPECT_TRUE(IsWindow(d.dialog));
        ASSERT_EQ(2u, ReadTree(d.Tree()).size());
        EXPECT_EQ("New Set", ReadTree(d.Tree())[1].first);

        // OK while a label is edited (Windows' route for Enter) names the
        // item and keeps the dialog open.
        SendMessageA(d.Tree(), TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(FindItem(d.Tree(), "New Set")));
        ASSERT_NE(nullptr, d.Edit());
        SendMessageA(d.Edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Forest"));
        PostMessageA(d.dialog, WM_COMMAND, IDOK, 0);
        d.Settle();
        EXPECT_EQ(nullptr, d.Edit());
        EXPECT_EQ("Forest", ReadTree(d.Tree())[1].first);

        // The OK button: a set with pictures and an empty set.
        d.Click(IDOK);
    });

    ASSERT_EQ(IDOK, result);
    ASSERT_NE(nullptr, dialog.m_pSetList);
    std::unique_ptr<CImageSetList> fresh(dialog.m_pSetList);
    ASSERT_EQ(2, fresh->GetCount());
    EXPECT_EQ("Beach", fresh->GetSet(0)->m_strName.str());
    ExpectSamePaths({Path("a.bmp"), Path("c.bmp")}, PathsOf(fresh->GetSet(0)));
    EXPECT_EQ("Forest", fresh->GetSet(1)->m_strName.str());
    EXPECT_EQ(0, fresh->GetSet(1)->GetCount());
    EXPECT_EQ(-1, fresh->m_nSetIndex);
    EXPECT_EQ(-1, fresh->m_nImageIndex);

    // Saved at once.
    CImageSetList stored;
    EXPECT_TRUE(stored.LoadFromRegistry());
    ASSERT_EQ(2, stored.GetCount());
    EXPECT_EQ("Beach", stored.GetSet(0)->m_strName.str());
    ExpectSamePaths({Path("a.bmp"), Path("c.bmp")}, PathsOf(stored.GetSet(0)));
    EXPECT_EQ("Forest", stored.GetSet(1)->m_strName.str());
}

TEST_F(SelectImagesDialog, PlacesAddedPicturesByTheSelectionAndCountsRemovals) {
    auto* given = new CImageSetList;
    given->AddSet(std::make_unique<CImageSet>("One"));
    given->GetSet(0)->AddEntry(std::make_unique<CImageEntry>(Path("a.bmp").c_str()));
    given->AddSet(std::make_unique<CImageSet>("Two"));
    given->GetSet(1)->AddEntry(std::make_unique<CImageEntry>(Path("b.bmp").c_str()));
    TheImageSetList = given;
    CBatchC dialog(given);

    RunDriven(dialog, [&](const Driven& d) {
        EXPECT_EQ(nullptr, reinterpret_cast<HTREEITEM>(SendMessageA(d.Tree(), TVM_GETNEXTITEM, TVGN_CARET, 0)));
        EXPECT_TRUE(d.Enabled(IDOK));

        // Nothing selected: the first set's last picture, set expanded.
        d.SelectFiles({"c.bmp"});
        d.Click(IDC_ADD);
        EXPECT_TRUE(IsExpanded(d.Tree(), FindItem(d.Tree(), "One")));
        // A selected picture: right after it, in reverse list order.
        d.Select(Path("a.bmp"));
        d.SelectFiles({"b.bmp", "c.bmp"});
        d.Click(IDC_ADD);
        // A selected set: its last picture.
        d.Select("Two");
        d.SelectFiles({"a.bmp"});
        d.Click(IDC_ADD);
        Tree tree = ReadTree(d.Tree());
        ASSERT_EQ(2u, tree.size());
        ExpectSamePaths({Path("a.bmp"), Path("c.bmp"), Path("b.bmp"), Path("c.bmp")}, tree[0].second);
        ExpectSamePaths({Path("b.bmp"), Path("a.bmp")}, tree[1].second);
        EXPECT_TRUE(IsExpanded(d.Tree(), FindItem(d.Tree(), "Two")));

        // Select All skips nothing here but the "[..]" style entries;
        // Unselect All clears.
        d.Click(IDC_SELECT_ALL);
        EXPECT_EQ(3, d.SelectedFileCount());
        d.Click(IDC_UNSELECT_ALL);
        EXPECT_EQ(0, d.SelectedFileCount());

        // Removing a set takes its pictures; removing the last picture
        // disables OK and Remove, and adding one enables them again.
        d.Select("One");
        d.Click(IDC_REMOVE);
        EXPECT_TRUE(d.Enabled(IDOK));
        d.Select(Path("b.bmp"));
        d.Click(IDC_REMOVE);
        EXPECT_TRUE(d.Enabled(IDOK));
        d.Select(Path("a.bmp"));
        d.Click(IDC_REMOVE);
        EXPECT_FALSE(d.Enabled(IDOK));
        EXPECT_FALSE(d.Enabled(IDC_REMOVE));
        d.SelectFiles({"b.bmp"});
        d.Click(IDC_ADD);
        EXPECT_TRUE(d.Enabled(IDOK));
        EXPECT_TRUE(d.Enabled(IDC_REMOVE));
        d.Click(IDOK);
    });

    // OK destroyed the list it was given and handed back the new one.
    std::unique_ptr<CImageSetList> fresh(dialog.m_pSetList);
    TheImageSetList = nullptr;
    ASSERT_NE(given, fresh.get());
    ASSERT_EQ(1, fresh->GetCount());
    EXPECT_EQ("Two", fresh->GetSet(0)->m_strName.str());
    ExpectSamePaths({Path("b.bmp")}, PathsOf(fresh->GetSet(0)));
}

TEST_F(SelectImagesDialog, ShowsACommandLineListWithoutVanishedFilesAndCancelKeepsEverything) {
    // The stored sets, which Cancel must leave alone.
    {
        CImageSetList storedBefore;
        storedBefore.AddSet(std::make_unique<CImageSet>("Stored"));
        storedBefore.GetSet(0)->AddEntry(std::make_unique<CImageEntry>(Path("c.bmp").c_str()));
        ASSERT_TRUE(storedBefore.SaveToRegistry());
    }
    const std::string vanished = Path("vanished.bmp");
    ASSERT_TRUE(WriteSolidBmp(vanished, 8, 8, RGB(1, 2, 3)));
    std::string arguments[] = {"Vistals.exe", Path("a.bmp"), vanished, Path("b.bmp")};
    char* argv[] = {&arguments[0][0], &arguments[1][0], &arguments[2][0], &arguments[3][0]};
    ASSERT_TRUE(LoadCommandLineSet(4, argv));
    ASSERT_TRUE(DeleteFileA(vanished.c_str()));
    CImageSetList* given = TheImageSetList;
    CBatchC dialog(given);

    const INT_PTR result = RunDriven(dialog, [&](const Driven& d) {
        Tree tree = ReadTree(d.Tree());
        ASSERT_EQ(1u, tree.size());
        EXPECT_EQ("Command Line Images", tree[0].first);
        ExpectSamePaths({Path("a.bmp"), Path("b.bmp")}, tree[0].second);
        EXPECT_FALSE(IsExpanded(d.Tree(), FindItem(d.Tree(), "Command Line Images")));

        d.Select(Path("a.bmp"));
        d.Click(IDC_REMOVE);
        d.Click(IDC_NEW_SET);
        d.TypeLabel("Other", VK_RETURN);
        // Esc outside a label edit cancels the dialog.
        d.Focus(d.Item(lst1));
        d.Key(d.Item(lst1), VK_ESCAPE);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(d.dialog); }));
    });

    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(given, dialog.m_pSetList);
    ASSERT_EQ(1, given->GetCount());
    ExpectSamePaths({Path("a.bmp"), vanished, Path("b.bmp")}, PathsOf(given->GetSet(0)));
    CImageSetList stored;
    EXPECT_TRUE(stored.LoadFromRegistry());
    ASSERT_EQ(1, stored.GetCount());
    EXPECT_EQ("Stored", stored.GetSet(0)->m_strName.str());
    ExpectSamePaths({Path("c.bmp")}, PathsOf(stored.GetSet(0)));
}

TEST_F(SelectImagesDialog, StaysOpenForOkWithoutPicturesAndForTheOptionsSheet) {
    int optionsApplied = 0;
    CBatchC dialog(nullptr);
    dialog.m_onOptionsApplied = [&] { ++optionsApplied; };
    RunDriven(dialog, [&](const Driven& d) {
        d.Click(IDC_NEW_SET);
        d.TypeLabel("Empty", VK_RETURN);
        // OK is disabled without pictures; the check behind it still
        // guards the list when its command comes.
        EnableWindow(d.Item(IDOK), TRUE);
        d.Focus(d.Item(IDOK));
        PostMessageA(d.dialog, WM_COMMAND, IDOK, 0);
        EXPECT_EQ("No background images selected!", AnswerMessageBox());

        // The sheet keeps its Apply button here and holds the dialog
        // until it is confirmed.
        PostMessageA(d.Item(IDC_OPTIONS), BM_CLICK, 0, 0);
        HWND sheet = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (sheet = FindOwnWindow("#32770", "Options")) != nullptr; }));
        EXPECT_NE(nullptr, GetDlgItem(sheet, 0x3021 /* Apply */));
        EXPECT_FALSE(IsWindowEnabled(d.dialog));
        PostMessageA(sheet, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }));
        d.Settle();
        EXPECT_TRUE(IsWindow(d.dialog));
        EXPECT_EQ(1u, ReadTree(d.Tree()).size());
        PostMessageA(d.dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(nullptr, dialog.m_pSetList);
    EXPECT_EQ(1, optionsApplied);
}

namespace {

// A drop of `paths` as Explorer makes it.
HGLOBAL MakeDrop(const std::vector<std::string>& paths) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths) size += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, size);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    char* at = reinterpret_cast<char*>(header + 1);
    for (const std::string& path : paths) {
        memcpy(at, path.c_str(), path.size() + 1);
        at += path.size() + 1;
    }
    GlobalUnlock(memory);
    return memory;
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

TEST_F(SelectImagesDialog, TakesDroppedFilesAndFoldersAndPathsOfAnyLength) {
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    *strrchr(program, '\\') = '\0';
    BindImageLibraryAt(program);
    ASSERT_NE(nullptr, TheImageLibrary);

    // A folder of pictures, not in name order on disk, with a file the
    // codec library does not read.
    const std::string dropped = MakeTempFolder("select-drop");
    for (const char* name : {"b.bmp", "A.bmp", "c.bmp"})
        ASSERT_TRUE(WriteSolidBmp(dropped + "\\" + name, 16, 16, RGB(9, 9, 9)));
    ASSERT_TRUE(WriteFileBytes(dropped + "\\notes.txt", "not a picture"));
    // A picture whose full path is longer than the narrow calls take.
    std::string deep = folder_;
    while (deep.size() < 300) {
        deep += "\\a-rather-long-folder-name-for-testing";
        CreateDirectoryW((L"\\\\?\\" + Wide(deep)).c_str(), nullptr);
    }
    const std::string longPicture = deep + "\\deep.bmp";
    ASSERT_TRUE(CopyFileW(Wide(Path("a.bmp")).c_str(), (L"\\\\?\\" + Wide(longPicture)).c_str(), FALSE));

    CBatchC dialog(nullptr);
    RunDriven(dialog, [&](const Driven& d) {
        EXPECT_TRUE(GetWindowLongA(d.Tree(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
        PostMessageA(d.Tree(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({Path("c.bmp"), dropped, longPicture})), 0);
        d.Settle();
        Tree tree = ReadTree(d.Tree());
        ASSERT_EQ(1u, tree.size());
        EXPECT_EQ("New Set", tree[0].first);
        ExpectSamePaths({Path("c.bmp"), dropped + "\\A.bmp", dropped + "\\b.bmp", dropped + "\\c.bmp", longPicture},
                        tree[0].second);
        EXPECT_TRUE(d.Enabled(IDOK));
        d.TypeLabel("Dropped", VK_RETURN);

        // Onto a selected picture, as Add would place it.
        d.Select(Path("c.bmp"));
        PostMessageA(d.Tree(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({Path("b.bmp")})), 0);
        d.Settle();
        EXPECT_TRUE(SamePath(Path("b.bmp"), ReadTree(d.Tree())[0].second.at(1)));
        d.Click(IDOK);
    });

    std::unique_ptr<CImageSetList> fresh(dialog.m_pSetList);
    ASSERT_NE(nullptr, fresh);
    ASSERT_EQ(6, fresh->GetSet(0)->GetCount());
    // The long path is stored and read back whole.
    CImageSetList stored;
    EXPECT_TRUE(stored.LoadFromRegistry());
    ASSERT_EQ(1, stored.GetCount());
    ASSERT_EQ(6, stored.GetSet(0)->GetCount());
    EXPECT_TRUE(SamePath(longPicture, stored.GetSet(0)->GetEntry(5)->m_strPath.str()));
}

TEST(SelectImagesRules, FolderOfTheFileList) {
    // The Part's search patterns for the drives.
    EXPECT_EQ("C:\\*.*", DriveSearchPattern("C:\\").str());
    EXPECT_EQ("C:/\\*.*", DriveSearchPattern("C:/").str());
    EXPECT_EQ("\\\\server\\share\\*.*", DriveSearchPattern("\\\\server\\share\\").str());
    EXPECT_EQ("\\\\server\\share\\*.*", DriveSearchPattern("\\\\server\\share").str());

    // Directories-list items spell a folder up to the selected one.
    const std::string folder = MakeTempFolder("select.rules");
    const std::string drive = folder.substr(0, 3);  // "C:\"
    std::vector<CString> items;
    for (size_t start = 3, slash; start < folder.size(); start = slash + 1) {
        slash = folder.find('\\', start);
        if (slash == std::string::npos) slash = folder.size();
        items.emplace_back(folder.substr(start, slash - start));
    }
    items.insert(items.begin(), CString(drive));
    const int selected = int(items.size()) - 1;
    items.emplace_back("a-subfolder-after-the-selection");
    EXPECT_EQ(folder + "\\", JoinDirectoryItems(items, selected).str());
    // A text that may be shortened ("c:\...\select.rules") gives way to them.
    EXPECT_EQ(folder + "\\", FolderOfFileList("c:\\...\\select.rules", items, selected).str());
    // Items that spell no folder (Wine's "[..]" list) leave the text in charge.
    EXPECT_EQ(folder + "\\", FolderOfFileList(folder.c_str(), {"[..]", "[sub]"}, 0).str());
    EXPECT_EQ("c:\\pics\\", FolderOfFileList("c:\\pics", items, -1).str());
}
