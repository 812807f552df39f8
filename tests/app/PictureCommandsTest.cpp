// The tray commands about the picture on show, in the running program: back
// to earlier pictures, pausing, the picture's file in Explorer, and taking a
// picture out of its set.
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
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// Sent, so that each has been handled when it returns, in the order sent.
bool Send(HWND frame, UINT message, WPARAM wParam) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(frame, message, wParam, 0, SMTO_NORMAL, 10000, &result) != 0;
}
// A tray command, as the icon's double click sends it.
bool Command(HWND frame, UINT id) { return Send(frame, WM_COMMAND, id); }
// One tick of the change timer.
bool Tick(HWND frame) { return Send(frame, WM_TIMER, 10 /* ID_CHANGE_TIMER */); }

struct NamedSet {
    const char* name;
    std::vector<std::string> pictures;
};

class PictureCommands : public ::testing::Test {
protected:
    void SetUp() override { wallpaper_ = DistDir() + "\\vistals.bmp"; }
    void TearDown() override { Settings = SettingsRecord(); }

    // Solid pictures named after their colours in a fresh folder; their paths.
    std::vector<std::string> Pictures(const char* folderName, const std::vector<COLORREF>& colours) {
        const std::string folder = MakeTempFolder(folderName);
        std::vector<std::string> paths;
        for (COLORREF colour : colours) {
            char name[32];
            std::snprintf(name, sizeof name, "\\%06lx.bmp", static_cast<unsigned long>(colour));
            paths.push_back(folder + name);
            EXPECT_TRUE(WriteSolidBmp(paths.back(), 64, 48, colour));
        }
        return paths;
    }

    // Forward order, no periodic change; a change at start-up when asked.
    void Store(const std::vector<NamedSet>& sets, bool changeAtStartup, int intervalMinutes = -1) {
        Settings = SettingsRecord();
        Settings.VistalStartup = changeAtStartup;
        Settings.VistalPeriodic = intervalMinutes >= 0;
        Settings.VistalHours = 0;
        Settings.VistalMinutes = intervalMinutes;
        ASSERT_TRUE(SaveSettings());
        CImageSetList list;
        for (const NamedSet& named : sets) {
            auto set = std::make_unique<CImageSet>(named.name);
            for (const std::string& path : named.pictures) set->AddEntry(std::make_unique<CImageEntry>(path.c_str()));
            list.AddSet(std::move(set));
        }
        ASSERT_TRUE(list.SaveToRegistry(CYCLE_FORWARD));
        DeleteFileA(wallpaper_.c_str());
    }

    bool WallpaperIs(COLORREF colour) { return WaitForCentreColour(wallpaper_, colour); }

    static std::unique_ptr<CImageSetList> StoredSets() {
        auto stored = std::make_unique<CImageSetList>();
        stored->LoadFromRegistry(CYCLE_FORWARD);
        return stored;
    }

    RegistrySandbox sandbox_;
    std::string wallpaper_;
};

const COLORREF kRed = RGB(200, 0, 0), kGreen = RGB(0, 200, 0), kBlue = RGB(0, 0, 200);

}  // namespace

// Five changes, back three, forward one: the 4th, 3rd, 2nd, then the 3rd
// again. Stepping goes across sets, passes over pictures whose file went,
// says nothing about them, and leaves the sets' own order where it was.
TEST_F(PictureCommands, DisplayPreviousVistalStepsBackThroughWhatWasShown) {
    const std::vector<COLORREF> colours = {RGB(10, 0, 0),  RGB(0, 10, 0),  RGB(0, 0, 10), RGB(90, 0, 0),
                                           RGB(0, 90, 0), RGB(0, 0, 90), RGB(160, 0, 0)};
    const std::vector<std::string> p = Pictures("previous", colours);
    Store({{"first", {p[0], p[1], p[2], p[3], p[4]}}, {"second", {p[5], p[6]}}}, false);
    ProgramProcess program;
    HWND frame = program.StartRunning();
    ASSERT_NE(nullptr, frame);
    DialogCatcher catcher(program.Id());

    for (int change = 0; change < 4; ++change) {
        ASSERT_TRUE(Command(frame, ID_DISPLAY_NEXT_VISTAL));
        ASSERT_TRUE(WallpaperIs(colours[change])) << "change " << change;
    }
    ASSERT_TRUE(Command(frame, ID_DISPLAY_NEXT_SET));  // the 5th change, in the other set
    ASSERT_TRUE(WallpaperIs(colours[5]));

    for (int expected : {3, 2, 1}) {
        ASSERT_TRUE(Command(frame, ID_DISPLAY_PREVIOUS_VISTAL));
        EXPECT_TRUE(WallpaperIs(colours[expected])) << "back to " << expected;
    }
    ASSERT_TRUE(Command(frame, ID_DISPLAY_NEXT_VISTAL));
    EXPECT_TRUE(WallpaperIs(colours[2]));

    ASSERT_TRUE(DeleteFileA(p[3].c_str()));
    ASSERT_TRUE(Command(frame, ID_DISPLAY_NEXT_VISTAL));  // over the gone one
    EXPECT_TRUE(WallpaperIs(colours[5]));
    ASSERT_TRUE(Command(frame, ID_DISPLAY_PREVIOUS_VISTAL));
    EXPECT_TRUE(WallpaperIs(colours[2]));
    ASSERT_TRUE(Command(frame, ID_DISPLAY_NEXT_VISTAL));
    EXPECT_TRUE(WallpaperIs(colours[5]));
    ASSERT_TRUE(Command(frame, ID_DISPLAY_NEXT_VISTAL));  // the history is used up: the set goes on
    EXPECT_TRUE(WallpaperIs(colours[6]));

    ASSERT_TRUE(program.Exit());
    EXPECT_TRUE(catcher.Boxes().empty());
    EXPECT_EQ(1u, StoredDword(kImageSetsKey, "SetIndex"));
    EXPECT_EQ(1u, StoredDword(std::string(kImageSetsKey) + "\\Set1", "ImageIndex"));
}

// Paused, a tick changes nothing, and after a restart neither start-up nor
// a tick does; unpaused, the next tick changes to the next picture. Which
// picture comes tells how many changes there were.
TEST_F(PictureCommands, PauseChangesStopsTicksAndSurvivesARestart) {
    const std::vector<std::string> p = Pictures("pause", {kRed, kGreen, kBlue});
    Store({{"colours", p}}, true, 0);  // every tick is due
    {
        ProgramProcess program;
        HWND frame = program.StartRunning();
        ASSERT_NE(nullptr, frame);
        ASSERT_TRUE(WallpaperIs(kRed));  // the start-up change
        ASSERT_TRUE(Command(frame, ID_PAUSE_CHANGES));
        EXPECT_EQ(1u, StoredDword(kProgramKey, "Paused"));  // at once, not only at exit
        ASSERT_TRUE(Tick(frame));
        ASSERT_TRUE(program.Exit());
    }
    EXPECT_EQ(0u, StoredDword(std::string(kImageSetsKey) + "\\Set0", "ImageIndex"));

    ProgramProcess program;
    HWND frame = program.StartRunning();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(Tick(frame));
    ASSERT_TRUE(Command(frame, ID_PAUSE_CHANGES));
    EXPECT_EQ(0u, StoredDword(kProgramKey, "Paused"));
    ASSERT_TRUE(Tick(frame));
    EXPECT_TRUE(WallpaperIs(kGreen));
    ASSERT_TRUE(program.Exit());
    EXPECT_EQ(1u, StoredDword(std::string(kImageSetsKey) + "\\Set0", "ImageIndex"));
}

namespace {

// The command line of another process, read from its process block.
std::wstring CommandLineOf(DWORD processId) {
    using QueryProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process || !query) return L"";
    std::wstring text;
    PROCESS_BASIC_INFORMATION basic{};
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    if (query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0 &&
        ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof peb, nullptr) &&
        ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof parameters, nullptr)) {
        text.resize(parameters.CommandLine.Length / sizeof(wchar_t));
        if (!ReadProcessMemory(process, parameters.CommandLine.Buffer, &text[0], parameters.CommandLine.Length, nullptr))
            text.clear();
    }
    CloseHandle(process);
    return text;
}

std::set<DWORD> ExplorerProcesses() {
    std::set<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, "explorer.exe") == 0) found.insert(entry.th32ProcessID);
    CloseHandle(snapshot);
    return found;
}

std::wstring Lower(std::wstring text) {
    CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

// Explorer comes up on the picture's folder with its file selected; a file
// gone since the menu opened gets a message naming it.
TEST_F(PictureCommands, ShowVistalInFolderSelectsTheFileInExplorer) {
    const std::vector<std::string> p = Pictures("show in folder", {kRed});
    Store({{"one", p}}, true);
    ProgramProcess program;
    HWND frame = program.StartRunning();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(WallpaperIs(kRed));

    const std::set<DWORD> before = ExplorerProcesses();
    ASSERT_TRUE(Command(frame, ID_SHOW_IN_FOLDER));
    DWORD explorer = 0;
    std::wstring commandLine;
    const bool started = WaitUntil([&] {
        for (DWORD id : ExplorerProcesses()) {
            if (before.count(id)) continue;
            commandLine = Lower(CommandLineOf(id));
            explorer = id;
            if (!commandLine.empty()) return true;
        }
        return false;
    });
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, explorer)) {
        TerminateProcess(process, 0);
        CloseHandle(process);
    }
    ASSERT_TRUE(started);
    EXPECT_NE(std::wstring::npos, commandLine.find(L"/select,")) << commandLine;
    EXPECT_NE(std::wstring::npos, commandLine.find(Lower(Wide(p[0])))) << commandLine;

    ASSERT_TRUE(DeleteFileA(p[0].c_str()));
    DialogCatcher catcher(program.Id());
    ASSERT_TRUE(Command(frame, ID_SHOW_IN_FOLDER));
    ASSERT_EQ(1u, catcher.Boxes().size());
    EXPECT_EQ("Vistals", catcher.Boxes()[0].caption);
    EXPECT_NE(std::string::npos, catcher.Boxes()[0].text.find(p[0])) << catcher.Boxes()[0].text;
    EXPECT_TRUE(program.Exit());
}

// Confirmed, the picture leaves its set in the registry at once and in the
// Select dialog, the next picture comes, and going back does not reach it.
// The last picture of a set leaves the set empty. While the Select dialog
// is open, which would store its own copy of the sets, Remove only brings
// it forward.
TEST_F(PictureCommands, RemoveVistalFromSetTakesItOutOfTheStoredSet) {
    const std::vector<std::string> p = Pictures("remove", {kRed, kGreen, kBlue, RGB(90, 90, 90)});
    Store({{"Landscapes", {p[0], p[1], p[2]}}, {"Patterns", {p[3]}}}, true);
    ProgramProcess program;
    HWND frame = program.StartRunning();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(WallpaperIs(kRed));

    PostMessageA(frame, WM_COMMAND, ID_SELECT_IMAGES, 0);
    HWND dialog = WaitForDialog(program.Id(), "Select Background Images");
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(Command(frame, ID_REMOVE_FROM_SET));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; }));
    EXPECT_EQ(3, StoredSets()->GetSet(0)->GetCount());
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));

    {
        DialogCatcher catcher(program.Id());
        ASSERT_TRUE(Command(frame, ID_REMOVE_FROM_SET));
        ASSERT_EQ(1u, catcher.Boxes().size());
        EXPECT_EQ("Vistals", catcher.Boxes()[0].caption);
        EXPECT_EQ("Remove " + p[0].substr(p[0].rfind('\\') + 1) +
                      " from the set Landscapes? The file itself is not deleted.",
                  catcher.Boxes()[0].text);
    }
    EXPECT_TRUE(WallpaperIs(kGreen));
    std::unique_ptr<CImageSetList> stored = StoredSets();
    ASSERT_EQ(2, stored->GetSet(0)->GetCount());
    EXPECT_STREQ(p[1].c_str(), stored->GetSet(0)->GetEntry(0)->m_strPath);
    EXPECT_STREQ(p[2].c_str(), stored->GetSet(0)->GetEntry(1)->m_strPath);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(p[0].c_str()));  // the file stays

    ASSERT_TRUE(Command(frame, ID_DISPLAY_PREVIOUS_VISTAL));  // nothing left behind it
    ASSERT_TRUE(Command(frame, ID_DISPLAY_NEXT_VISTAL));
    EXPECT_TRUE(WallpaperIs(kBlue));

    ASSERT_TRUE(Command(frame, ID_DISPLAY_NEXT_SET));
    ASSERT_TRUE(WallpaperIs(RGB(90, 90, 90)));
    {
        DialogCatcher catcher(program.Id());
        ASSERT_TRUE(Command(frame, ID_REMOVE_FROM_SET));
        EXPECT_EQ(1u, catcher.Boxes().size());
    }
    EXPECT_TRUE(WallpaperIs(kGreen));  // the emptied set is passed over
    stored = StoredSets();
    EXPECT_EQ(0, stored->GetSet(1)->GetCount());
    EXPECT_EQ("Patterns", stored->GetSet(1)->m_strName.str());

    PostMessageA(frame, WM_COMMAND, ID_SELECT_IMAGES, 0);
    ASSERT_NE(nullptr, dialog = WaitForDialog(program.Id(), "Select Background Images"));
    EXPECT_EQ(4, SendDlgItemMessageA(dialog, IDC_SET_TREE, TVM_GETCOUNT, 0, 0));  // two sets, two pictures
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(program.Exit());
}
