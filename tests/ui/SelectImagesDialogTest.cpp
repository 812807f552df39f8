// The Select Background Images dialog, run for real: the system's old-style
// file dialog with our template, real folders of real pictures, driven from
// a second thread the way a user drives it (keys go through the dialog's own
// message loop).
#include "sets/CommandLineSet.h"
#include "sets/ImageSetList.h"
#include "settings/Settings.h"
#include "support/ModalDriver.h"
#include "support/RegistrySandbox.h"
#include "support/TestBitmaps.h"
#include "support/TestPaths.h"
#include "support/WaitUntil.h"
#include "support/WindowFinder.h"
#include "ui/SelectImagesDialog.h"
#include "ui/SelectImagesRules.h"
#include "wallpaper/CodecBinding.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <dlgs.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using TreeTexts = std::vector<std::pair<std::string, std::vector<std::string>>>;

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// "Set[folder\a.bmp,...] Other[]", paths below the tests' temporary folder
// shortened to the part after it (the dialog may spell that part in
// another case).
std::string Describe(const TreeTexts& tree) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string root = std::string(temp) + "vistals-test-";
    std::string text;
    for (const auto& set : tree) {
        text += (text.empty() ? "" : " ") + set.first + "[";
        for (const std::string& path : set.second) {
            const bool below = path.size() > root.size() && SamePath(path.substr(0, root.size()), root);
            text += (text.back() == '[' ? "" : ",") + (below ? path.substr(root.size()) : path);
        }
        text += "]";
    }
    return text;
}

std::string Describe(const CImageSetList& list) {
    TreeTexts tree;
    for (int i = 0; i < list.GetCount(); ++i) {
        tree.push_back({list.GetSet(i)->m_strName.str(), {}});
        for (int j = 0; j < list.GetSet(i)->GetCount(); ++j)
            tree.back().second.push_back(list.GetSet(i)->GetEntry(j)->m_strPath.str());
    }
    return Describe(tree);
}

std::string DescribeStored() {
    CImageSetList stored;
    stored.LoadFromRegistry(CYCLE_FORWARD);
    return Describe(stored);
}

// The dialog as the driver thread sees it: its windows, and its tree
// through the dialog's own (stateless) tree wrapper.
struct Driven {
    HWND dialog;
    const CTreeCtrl& tree;

    HWND Item(int id) const { return GetDlgItem(dialog, id); }
    HWND Tree() const { return tree.m_hWnd; }
    HWND Edit() const { return tree.GetEditControl(); }
    bool Expanded(HTREEITEM item) const { return TreeView_GetItemState(Tree(), item, TVIS_EXPANDED) & TVIS_EXPANDED; }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    void Settle() const { ::Settle(dialog); }
    void Click(int id) const { SendMessageA(Item(id), BM_CLICK, 0, 0); }
    void Focus(HWND control) const { SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE); }
    void SelectFiles(std::initializer_list<const char*> names) const {
        for (const char* name : names) {
            const LRESULT at = SendMessageA(Item(lst1), LB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(name));
            EXPECT_NE(LB_ERR, at) << name;
            SendMessageA(Item(lst1), LB_SETSEL, TRUE, at);
        }
    }
    int SelectedFileCount() const { return int(SendMessageA(Item(lst1), LB_GETSELCOUNT, 0, 0)); }
    // Types `text` into the label edit in progress and presses `key`.
    void TypeLabel(const char* text, WPARAM key) const {
        ASSERT_NE(nullptr, Edit());
        SendMessageA(Edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        PressKey(Edit(), key);
    }
    TreeTexts Read() const {
        TreeTexts result;
        for (HTREEITEM set = tree.GetRootItem(); set; set = tree.GetNextSiblingItem(set)) {
            result.push_back({tree.GetItemText(set).str(), {}});
            for (HTREEITEM picture = tree.GetChildItem(set); picture; picture = tree.GetNextSiblingItem(picture))
                result.back().second.push_back(tree.GetItemText(picture).str());
        }
        return result;
    }
    // The item named `text` (a set name or a picture's path).
    HTREEITEM Find(const std::string& text) const {
        for (HTREEITEM set = tree.GetRootItem(); set; set = tree.GetNextSiblingItem(set)) {
            if (SamePath(tree.GetItemText(set).str(), text)) return set;
            for (HTREEITEM picture = tree.GetChildItem(set); picture; picture = tree.GetNextSiblingItem(picture))
                if (SamePath(tree.GetItemText(picture).str(), text)) return picture;
        }
        return nullptr;
    }
    void Select(const std::string& text) const {
        SendMessageA(Tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Find(text)));
    }
};

// The message box `dialog` shows, answered with OK; its text.
std::string AnsweredMessage(HWND dialog) {
    MessageBoxSeen seen;
    AnswerMessageBox(&seen, dialog);
    return seen.text;
}

// Runs the dialog modally on this thread while `script` drives it from
// another.
INT_PTR RunDriven(CBatchC& dialog, const std::function<void(const Driven&)>& script) {
    return DriveModal([&] { return dialog.DoModal(); }, "Select Background Images",
                      [&](HWND window) { script(Driven{window, dialog.m_treeSets}); });
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

}  // namespace

TEST_F(SelectImagesDialog, BuildsNamedSetsFromAnEmptyStartAndSavesThemOnOk) {
    CBatchC dialog(nullptr);
    const INT_PTR result = RunDriven(dialog, [&](const Driven& d) {
        EXPECT_FALSE(d.Enabled(IDOK));
        EXPECT_FALSE(d.Enabled(IDC_REMOVE));
        // Enter in the file list adds the selected files: an empty tree
        // gets "New Set", in list order, with its name open for editing.
        d.SelectFiles({"c.bmp", "a.bmp"});
        d.Focus(d.Item(lst1));
        PressKey(d.Item(lst1), VK_RETURN);
        EXPECT_EQ("New Set[select\\a.bmp,select\\c.bmp]", Describe(d.Read()));
        EXPECT_NE(nullptr, d.Edit());
        EXPECT_EQ(0, d.SelectedFileCount());
        EXPECT_TRUE(d.Enabled(IDOK));
        EXPECT_TRUE(d.Enabled(IDC_REMOVE));

        // Enter in the label names the set, Esc in the next one keeps its
        // old name; the dialog stays open.
        d.TypeLabel("Beach", VK_RETURN);
        EXPECT_EQ(nullptr, d.Edit());
        d.Click(IDC_NEW_SET);
        d.TypeLabel("Dropped name", VK_ESCAPE);
        EXPECT_EQ(nullptr, d.Edit());
        EXPECT_EQ("Beach[select\\a.bmp,select\\c.bmp] New Set[]", Describe(d.Read()));

        // OK while a label is edited (Windows' route for Enter) names the
        // item and keeps the dialog open.
        SendMessageA(d.Tree(), TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(d.Find("New Set")));
        ASSERT_NE(nullptr, d.Edit());
        SendMessageA(d.Edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Forest"));
        PostMessageA(d.dialog, WM_COMMAND, IDOK, 0);
        d.Settle();
        EXPECT_EQ(nullptr, d.Edit());
        EXPECT_TRUE(IsWindow(d.dialog));

        // The OK button: a set with pictures and an empty set.
        d.Click(IDOK);
    });

    ASSERT_EQ(IDOK, result);
    std::unique_ptr<CImageSetList> fresh(dialog.m_pSetList);
    ASSERT_NE(nullptr, fresh);
    EXPECT_EQ("Beach[select\\a.bmp,select\\c.bmp] Forest[]", Describe(*fresh));
    EXPECT_EQ(-1, fresh->m_nSetIndex);
    EXPECT_EQ(-1, fresh->m_nImageIndex);
    // Saved at once.
    EXPECT_EQ(Describe(*fresh), DescribeStored());
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
        EXPECT_EQ(nullptr, d.tree.GetSelectedItem());
        // Nothing selected: the first set's last picture, set expanded.
        d.SelectFiles({"c.bmp"});
        d.Click(IDC_ADD);
        EXPECT_TRUE(d.Expanded(d.Find("One")));
        // A selected picture: right after it, in reverse list order.
        d.Select(Path("a.bmp"));
        d.SelectFiles({"b.bmp", "c.bmp"});
        d.Click(IDC_ADD);
        // A selected set: its last picture.
        d.Select("Two");
        d.SelectFiles({"a.bmp"});
        d.Click(IDC_ADD);
        EXPECT_EQ("One[select\\a.bmp,select\\c.bmp,select\\b.bmp,select\\c.bmp] Two[select\\b.bmp,select\\a.bmp]",
                  Describe(d.Read()));
        EXPECT_TRUE(d.Expanded(d.Find("Two")));

        d.Click(IDC_SELECT_ALL);
        EXPECT_EQ(3, d.SelectedFileCount());
        d.Click(IDC_UNSELECT_ALL);
        EXPECT_EQ(0, d.SelectedFileCount());

        // Removing a set takes its pictures; removing the last picture
        // disables OK and Remove, and adding one enables them again.
        d.Select("One");
        d.Click(IDC_REMOVE);
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
    EXPECT_EQ("Two[select\\b.bmp]", Describe(*fresh));
}

TEST_F(SelectImagesDialog, ShowsACommandLineListWithoutVanishedFilesAndCancelKeepsEverything) {
    {
        CImageSetList stored;
        stored.AddSet(std::make_unique<CImageSet>("Stored"));
        stored.GetSet(0)->AddEntry(std::make_unique<CImageEntry>(Path("c.bmp").c_str()));
        ASSERT_TRUE(stored.SaveToRegistry(CYCLE_FORWARD));
    }
    const std::string vanished = Path("vanished.bmp");
    ASSERT_TRUE(WriteSolidBmp(vanished, 8, 8, RGB(1, 2, 3)));
    std::string arguments[] = {"Vistals.exe", Path("a.bmp"), vanished, Path("b.bmp")};
    char* argv[] = {&arguments[0][0], &arguments[1][0], &arguments[2][0], &arguments[3][0]};
    ASSERT_EQ(CommandLineSetResult::Loaded, LoadCommandLineSet(4, argv));
    ASSERT_TRUE(DeleteFileA(vanished.c_str()));
    CImageSetList* given = TheImageSetList;
    CBatchC dialog(given);

    const INT_PTR result = RunDriven(dialog, [&](const Driven& d) {
        EXPECT_EQ("Command Line Images[select\\a.bmp,select\\b.bmp]", Describe(d.Read()));
        EXPECT_FALSE(d.Expanded(d.Find("Command Line Images")));
        d.Select(Path("a.bmp"));
        d.Click(IDC_REMOVE);
        d.Click(IDC_NEW_SET);
        d.TypeLabel("Other", VK_RETURN);
        // Esc outside a label edit cancels the dialog.
        d.Focus(d.Item(lst1));
        PressKey(d.Item(lst1), VK_ESCAPE);
    });

    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(given, dialog.m_pSetList);
    EXPECT_EQ("Command Line Images[select\\a.bmp,select\\vanished.bmp,select\\b.bmp]", Describe(*given));
    EXPECT_EQ("Stored[select\\c.bmp]", DescribeStored());
}

TEST_F(SelectImagesDialog, StaysOpenForOkWithoutPicturesAndForTheOptionsSheet) {
    int optionsApplied = 0;
    Settings = SettingsRecord();
    Settings.VistalIntervalMinutes = -1;  // stale until the sheet is applied
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
        EXPECT_EQ("No background images selected!", AnsweredMessage(d.dialog));

        // The sheet keeps its Apply button here and holds the dialog
        // until it is confirmed.
        PostMessageA(d.Item(IDC_OPTIONS), BM_CLICK, 0, 0);
        HWND sheet = WaitForDialog(0, "Options");
        ASSERT_NE(nullptr, sheet);
        EXPECT_NE(nullptr, GetDlgItem(sheet, 0x3021 /* Apply */));
        EXPECT_FALSE(IsWindowEnabled(d.dialog));
        PostMessageA(sheet, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }));
        d.Settle();
        EXPECT_EQ("Empty[]", Describe(d.Read()));
        PostMessageA(d.dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(nullptr, dialog.m_pSetList);
    EXPECT_EQ(1, optionsApplied);
    // The default hour, derived as the sheet was applied.
    EXPECT_EQ(60, Settings.VistalIntervalMinutes);
}

namespace {

// A drop of `paths` as Explorer makes it.
HGLOBAL MakeDrop(const std::vector<std::string>& paths) {
    std::string names;
    for (const std::string& path : paths) names += path + '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() + 1);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    memcpy(header + 1, names.data(), names.size());
    GlobalUnlock(memory);
    return memory;
}

std::wstring LongForm(const std::string& path) { return L"\\\\?\\" + std::wstring(path.begin(), path.end()); }

}  // namespace

TEST_F(SelectImagesDialog, TakesDroppedFilesAndFoldersAndPathsOfAnyLength) {
    BindImageLibrary();
    ASSERT_NE(nullptr, TheImageLibrary);

    // A folder of pictures, not in name order on disk, and a file the codec
    // library does not read.
    const std::string dropped = MakeTempFolder("select-drop");
    for (const char* name : {"b.bmp", "A.bmp", "c.bmp"})
        ASSERT_TRUE(WriteSolidBmp(dropped + "\\" + name, 16, 16, RGB(9, 9, 9)));
    ASSERT_TRUE(WriteFileBytes(dropped + "\\notes.txt", "not a picture"));
    // A picture whose full path is longer than the narrow calls take.
    std::string deep = folder_;
    while (deep.size() < 300) {
        deep += "\\a-rather-long-folder-name-for-testing";
        CreateDirectoryW(LongForm(deep).c_str(), nullptr);
    }
    const std::string longPicture = deep + "\\deep.bmp";
    ASSERT_TRUE(CopyFileW(LongForm(Path("a.bmp")).c_str(), LongForm(longPicture).c_str(), FALSE));

    CBatchC dialog(nullptr);
    RunDriven(dialog, [&](const Driven& d) {
        EXPECT_TRUE(GetWindowLongA(d.Tree(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
        PostMessageA(d.Tree(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({Path("c.bmp"), dropped, longPicture})), 0);
        d.Settle();
        d.TypeLabel("Dropped", VK_RETURN);
        // Onto a selected picture, as Add would place it.
        d.Select(Path("c.bmp"));
        PostMessageA(d.Tree(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({Path("b.bmp")})), 0);
        d.Settle();
        d.Click(IDOK);
    });

    std::unique_ptr<CImageSetList> fresh(dialog.m_pSetList);
    ASSERT_NE(nullptr, fresh);
    const std::string expected = "Dropped[select\\c.bmp,select\\b.bmp,select-drop\\A.bmp,select-drop\\b.bmp,"
                                 "select-drop\\c.bmp," + longPicture.substr(longPicture.find("select")) + "]";
    EXPECT_EQ(expected, Describe(*fresh));
    // The long path is stored and read back whole.
    EXPECT_EQ(expected, DescribeStored());
}

TEST(SelectImagesRules, FolderOfTheFileList) {
    // The drive search patterns: "*.*" after a drive root or a longer text
    // ending in "\", "\*.*" after anything else.
    EXPECT_EQ("C:\\*.*", DriveSearchPattern("C:\\").str());
    EXPECT_EQ("C:/\\*.*", DriveSearchPattern("C:/").str());
    EXPECT_EQ("AB\\\\*.*", DriveSearchPattern("AB\\").str());
    EXPECT_EQ("\\\\server\\share\\*.*", DriveSearchPattern("\\\\server\\share\\").str());
    EXPECT_EQ("\\\\server\\share\\*.*", DriveSearchPattern("\\\\server\\share").str());

    // A Windows-style Directories list spells the folder up to its selected
    // item: "C:\", "users", ..., then the subfolders of the current one.
    const std::string folder = MakeTempFolder("select.rules");
    std::vector<CString> items{CString(folder.substr(0, 3))};
    for (size_t start = 3, end; start < folder.size(); start = end + 1) {
        end = std::min(folder.find('\\', start), folder.size());
        items.emplace_back(folder.substr(start, end - start));
    }
    const int selected = int(items.size()) - 1;
    items.emplace_back("a-subfolder");
    // A text that may be shortened ("c:\...\select.rules") gives way to it.
    EXPECT_EQ(folder + "\\", FolderOfFileList("c:\\...\\select.rules", items, selected).str());
    // Items that spell no folder (Wine's "[..]" list) leave the text in charge.
    EXPECT_EQ(folder + "\\", FolderOfFileList(folder.c_str(), {"[..]", "[sub]"}, 0).str());
    EXPECT_EQ("c:\\pics\\", FolderOfFileList("c:\\pics", items, -1).str());

    // Select All passes over what is not a file.
    for (const char* file : {"a.bmp", "LAKE.JPG", "x"}) EXPECT_TRUE(IsSelectableFileItem(file)) << file;
    for (const char* other : {"", "[..]", "[-c-]", "[sub]", ".", ".hidden"})
        EXPECT_FALSE(IsSelectableFileItem(other)) << other;
}

TEST(SelectImagesRules, WhereAnAddedPictureGoesAndWhatOkBuilds) {
    EXPECT_EQ(Insertion::NewSet, ChooseInsertion(true, false, false));
    EXPECT_EQ(Insertion::FirstSet, ChooseInsertion(false, false, false));
    EXPECT_EQ(Insertion::AfterSelectedPicture, ChooseInsertion(false, true, false));
    EXPECT_EQ(Insertion::IntoSelectedSet, ChooseInsertion(false, true, true));

    EXPECT_EQ(nullptr, BuildSetList({}));
    EXPECT_EQ(nullptr, BuildSetList({{"Empty", {}}, {"Empty too", {}}}));
    // Names need not differ, nor paths; a set without pictures stays.
    const std::unique_ptr<CImageSetList> list =
        BuildSetList({{"Beach", {"C:\\b.jpg", "C:\\a.jpg", "C:\\b.jpg"}}, {"", {}}, {"Beach", {"d.png"}}});
    ASSERT_NE(nullptr, list);
    EXPECT_EQ("Beach[C:\\b.jpg,C:\\a.jpg,C:\\b.jpg] [] Beach[d.png]", Describe(*list));
    EXPECT_EQ(-1, list->m_nSetIndex);
    EXPECT_EQ(-1, list->m_nImageIndex);
    for (int i = 0; i < list->GetCount(); ++i) {
        EXPECT_EQ(0, list->GetSet(i)->m_nUnshown);
        for (int j = 0; j < list->GetSet(i)->GetCount(); ++j) EXPECT_EQ(0, list->GetSet(i)->GetEntry(j)->m_bShown);
    }
}

TEST(SelectImagesRules, ADropAddsFilesAsTheyAreAndTheReadablePicturesOfFolders) {
    EXPECT_TRUE(MatchesAnyPattern("LAKE.JPEG", {"*.bmp", "*.jpg; *.jpeg"}));
    EXPECT_TRUE(MatchesAnyPattern("a.b", {";;*.b"}));
    EXPECT_FALSE(MatchesAnyPattern("lake.png", {"*.jpg;*.jpeg"}));
    EXPECT_FALSE(MatchesAnyPattern("lake.png", {}));

    const std::string folder = MakeTempFolder("select-rules-drop");
    for (const char* name : {"b.bmp", "A.bmp", "c.JPG", "notes.txt"})
        ASSERT_TRUE(WriteFileBytes(folder + "\\" + name, "x"));
    CreateDirectoryA((folder + "\\sub.bmp").c_str(), nullptr);
    const std::string note = folder + "\\notes.txt", gone = folder + "\\gone.bmp";
    const std::vector<CString> added =
        ExpandDroppedPaths({note.c_str(), folder.c_str(), gone.c_str()}, {"*.bmp", "*.jpg;*.jpeg"});
    std::vector<std::string> paths;
    for (const CString& path : added) paths.push_back(path.str());
    EXPECT_EQ((std::vector<std::string>{note, folder + "\\A.bmp", folder + "\\b.bmp", folder + "\\c.JPG"}), paths);

    // Icons exist for what is there, for folders too, and not for what is gone.
    int image = -1, openImage = -1;
    EXPECT_TRUE(GetShellIcons(note.c_str(), image, openImage));
    EXPECT_TRUE(GetShellIcons(folder.c_str(), image, openImage));
    EXPECT_FALSE(GetShellIcons(gone.c_str(), image, openImage));
}
