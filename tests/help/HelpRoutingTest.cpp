// "&Help..." in the running program, end to end: the program finds the
// HTML Help control where the HTML Help class is registered, and the stand-in
// control registered there records what it was asked.
#include "framework/RegKey.h"
#include "res/resource.h"
#include "support/ProgramProcess.h"
#include "support/RegistrySandbox.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char kHelpClassServer[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

std::string StandInPath() { return TestProgramFolder() + "\\help-standin\\HelpControlStandIn.dll"; }
std::string StandInLog() { return StandInPath() + ".log"; }

std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    std::ifstream log(StandInLog());
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

// Points the HTML Help class at `path` for the test's length.
class RegisteredHelpControl {
public:
    explicit RegisteredHelpControl(const std::string& path) {
        char old[MAX_PATH] = {};
        LONG size = sizeof old;
        hadOld_ = RegQueryValueA(HKEY_CLASSES_ROOT, kHelpClassServer, old, &size) == ERROR_SUCCESS;
        old_ = old;
        Set(path);
    }
    ~RegisteredHelpControl() {
        if (hadOld_) Set(old_);
        else RegDeleteKeyA(HKEY_CLASSES_ROOT, kHelpClassServer);
    }
    void Set(const std::string& path) {
        RegSetValueA(HKEY_CLASSES_ROOT, kHelpClassServer, REG_SZ, path.c_str(), static_cast<DWORD>(path.size()));
    }
private:
    bool hadOld_ = false;
    std::string old_;
};

// Keeps Wine's own control out of the program's reach, so that nothing is
// found when the registered one is missing.
class NoBuiltInHelpControl {
public:
    NoBuiltInHelpControl() {
        RegKey key;
        if (key.Create(HKEY_CURRENT_USER, kOverrides, KEY_SET_VALUE))
            (void)key.SetString("hhctrl.ocx", "");  // disabled
    }
    ~NoBuiltInHelpControl() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Vistals.exe"); }
private:
    static constexpr const char* kOverrides = "Software\\Wine\\AppDefaults\\Vistals.exe\\DllOverrides";
};

// The tray menu's command, handled before this returns.
bool AskForHelp(HWND frame) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(frame, WM_COMMAND, ID_HELP_FINDER, 0, SMTO_ABORTIFHUNG, 10000, &result) != 0;
}

class HelpRouting : public ::testing::Test {
protected:
    void SetUp() override { DeleteFileA(StandInLog().c_str()); }
    void TearDown() override { DeleteFileA(StandInLog().c_str()); }
    RegistrySandbox sandbox_;
};

TEST_F(HelpRouting, HelpOpensTheContentsOfTheFileBesideTheProgramOwnedByTheMainFrame) {
    RegisteredHelpControl control(StandInPath());
    ProgramProcess program;
    ASSERT_TRUE(program.Start());
    HWND frame = program.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(program.WaitForMessageLoop(frame));

    ASSERT_TRUE(AskForHelp(frame));
    ASSERT_TRUE(AskForHelp(frame));

    const std::string chm = DistDir() + "\\Vistals.chm";
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(chm.c_str())) << "no help file beside the program";
    const std::string expected = "call owner=" + std::to_string(reinterpret_cast<UINT_PTR>(frame)) +
                                 " command=1 data=0 file=" + chm;  // HH_DISPLAY_TOC
    const std::vector<std::string> lines = LogLines();
    ASSERT_EQ(3u, lines.size()) << "one load, then one call per request";
    EXPECT_EQ("load", lines[0]);
    EXPECT_EQ(Lower(expected), Lower(lines[1]));
    EXPECT_EQ(lines[1], lines[2]);
    EXPECT_TRUE(program.Exit());
}

TEST_F(HelpRouting, AfterAFailedLoadHelpIsNotSoughtAgain) {
    RegisteredHelpControl control("C:\\nowhere\\hhctrl.ocx");
    NoBuiltInHelpControl noBuiltIn;
    ProgramProcess program;
    ASSERT_TRUE(program.Start());
    HWND frame = program.WaitForFrame();
    ASSERT_NE(nullptr, frame);
    ASSERT_TRUE(program.WaitForMessageLoop(frame));

    ASSERT_TRUE(AskForHelp(frame));  // finds nothing
    control.Set(StandInPath());      // the control appears later
    ASSERT_TRUE(AskForHelp(frame));
    EXPECT_TRUE(LogLines().empty()) << "the control was loaded after a failed load";
    EXPECT_TRUE(IsWindow(frame));
    EXPECT_TRUE(program.Exit());
}

}  // namespace
