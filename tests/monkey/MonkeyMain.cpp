// The random-action run: the installed program, copied to a folder of its
// own, used by a person who does anything at all, in any order, for
// ACTIONS steps chosen from SEED. After each step the program must still
// run (or have ended when told to), show no crash, have one Select dialog
// and one Options sheet at most, keep whole sets in the registry and a
// whole vistals.bmp. A failure names the seed and the step, so that the
// same two numbers replay it.
//
//   monkey.exe ACTIONS SEED [PICTURE_FOLDER]
#include "Checks.h"
#include "Monkey.h"
#include "Pictures.h"
#include "ProgramUnderTest.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"
#include "support/TestPaths.h"
#include "support/WindowFinder.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <string>

namespace {

constexpr DWORD kSettleMs = 30000;
constexpr DWORD kQuietMs = 10000;

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// The program folder as installed, copied, so that its vistals.bmp is the run's own.
bool CopyProgram(const std::string& to) {
    CreateDirectoryA(to.c_str(), nullptr);
    CreateDirectoryA((to + "\\ZELIMAGE").c_str(), nullptr);
    const std::string from = DistDir();
    CopyFileA((from + "\\Vistals.chm").c_str(), (to + "\\Vistals.chm").c_str(), FALSE);
    return CopyFileA((from + "\\Vistals.exe").c_str(), (to + "\\Vistals.exe").c_str(), FALSE) &&
           CopyFileA((from + "\\ZELIMAGE\\ZELIMAGE.DLL").c_str(), (to + "\\ZELIMAGE\\ZELIMAGE.DLL").c_str(), FALSE);
}

// Settings that make changes run underneath: a picture every minute, a set
// every three, a calendar; and three stored sets. Pictures and sets go in
// order: the program seeds its random order from the clock.
void StoreStartingState(const Pictures& pictures) {
    const std::pair<const char*, DWORD> settings[] = {
        {"VistalPeriodic", 1}, {"VistalDays", 0}, {"VistalHours", 0}, {"VistalMinutes", 1}, {"VistalStartup", 1},
        {"VistalCycleMethod", 0}, {"VistalPosition", 2}, {"VistalSetPeriodic", 1}, {"VistalSetDays", 0},
        {"VistalSetHours", 0}, {"VistalSetMinutes", 3}, {"VistalSetStartup", 0}, {"VistalSetCycleMethod", 0},
        {"CalendarPosition", 5}, {"CalendarWidth", 200}, {"CalendarHeight", 150}, {"CalendarMarginX", 20},
        {"CalendarMarginY", 20}, {"CalendarGridLines", 1}, {"CalendarUSHolidays", 1},
        {"CalendarTransparentBackground", 0}, {"ShowTimeLeft", 1}, {"ShowFileName", 1}};
    for (const auto& setting : settings) StoreDword(kProgramKey, setting.first, setting.second);
    StoreImageSets(pictures.StartingSets());
}

// What the screen held when the run stopped: every visible top-level window.
void PrintWindows() {
    std::printf("monkey: the windows on screen:\n");
    for (HWND window : TopLevelWindows([](HWND w) { return IsWindowVisible(w) != FALSE; })) {
        RECT rect{};
        GetWindowRect(window, &rect);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        std::printf("  %-20s \"%s\" process %lu at %ld,%ld %ldx%ld%s\n", ClassNameOf(window).c_str(),
                    WindowTextOf(window).c_str(), process, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, IsWindowEnabled(window) ? "" : " (disabled)");
    }
}

// A process that ends by an exception has a status code as exit code.
bool EndedByException(DWORD exitCode) { return exitCode >= 0xC0000000; }

class Run {
public:
    Run(ProgramUnderTest& program, const std::string& wallpaper) : program_(program), wallpaper_(wallpaper) {}

    // Settles after a step and checks; the fault, or nothing.
    std::string After(const Step& step) {
        if (!step.fault.empty()) return WithCrashSign(step.fault);
        switch (program_.Settle(kSettleMs)) {
            case Settled::Crashed: return "the program crashed: " + program_.CrashSign();
            case Settled::Hung: return WithCrashSign("the program did not answer within 30 s");
            case Settled::Ended:
                if (!step.mayEnd || EndedByException(program_.ExitCode()))
                    return WithCrashSign("the program ended with exit code " + ExitCodeText());
                break;
            case Settled::Yes: break;
        }
        program_.AwaitQuiet(kQuietMs);
        const Inventory windows = program_.Windows();
        ++depths_[windows.ModalDepth()];
        if (step.mustEnd && program_.Running() && windows.ModalDepth() == 0)
            return "Exit left the program running";
        std::string fault = program_.CrashSign();
        if (fault.empty()) fault = WindowFault(windows);
        if (fault.empty()) fault = StoredSetsFault();
        if (fault.empty()) fault = WallpaperFault(wallpaper_);
        return fault;
    }

    void PrintDepths() const {
        std::printf("monkey: modal windows open after an action:");
        for (const auto& depth : depths_) std::printf("  %zu: %d", depth.first, depth.second);
        std::printf("\n");
    }

private:
    std::string WithCrashSign(const std::string& fault) const {
        const std::string sign = program_.CrashSign();
        return sign.empty() ? fault : fault + "; " + sign;
    }
    std::string ExitCodeText() const {
        char text[16];
        std::snprintf(text, sizeof text, "0x%lX", program_.ExitCode());
        return text;
    }

    ProgramUnderTest& program_;
    std::string wallpaper_;
    std::map<size_t, int> depths_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: monkey ACTIONS SEED [PICTURE_FOLDER]\n");
        return 2;
    }
    const int actions = std::atoi(argv[1]);
    const uint32_t seed = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string work = std::string(temp) + "vistals-monkey";
    RemoveTree(work);
    CreateDirectoryA(work.c_str(), nullptr);
    if (!CopyProgram(work + "\\Program")) {
        std::printf("monkey: cannot copy the program from %s\n", DistDir().c_str());
        return 2;
    }
    Pictures pictures(work + "\\Pictures", argc > 3 ? argv[3] : "");
    RegistrySandbox sandbox;
    StoreStartingState(pictures);

    ProgramUnderTest program(work + "\\Program\\Vistals.exe", pictures.Root());
    Monkey monkey(program, pictures, seed);
    Run run(program, work + "\\Program\\vistals.bmp");
    std::deque<std::string> journal;
    int starts = 0;
    const DWORD began = GetTickCount();
    std::printf("monkey: %d actions, seed %u\n", actions, seed);

    for (int number = 1; number <= actions; ++number) {
        std::string fault;
        if (!program.Running()) {
            ++starts;
            if (!program.Start()) fault = "the program did not start";
        }
        if (fault.empty()) {
            const Step step = monkey.Act();
            char line[32];
            std::snprintf(line, sizeof line, "%6d  ", number);
            journal.push_back(line + step.what);
            if (journal.size() > 20) journal.pop_front();
            fault = run.After(step);
        }
        if (!fault.empty()) {
            std::printf("monkey: FAIL at action %d of %d (seed %u): %s\n", number, actions, seed, fault.c_str());
            std::printf("monkey: replay: ./vistals.sh monkey %d %u\nmonkey: the last actions:\n", number, seed);
            for (const std::string& entry : journal) std::printf("%s\n", entry.c_str());
            PrintWindows();
            Sleep(3000);  // for a picture of the screen, taken by the caller
            return 1;
        }
        if (number % 500 == 0) std::printf("monkey: %d actions, %.0f s\n", number, (GetTickCount() - began) / 1000.0);
    }
    program.Kill();
    const std::string fault = StoredSetsFault();
    run.PrintDepths();
    std::printf("monkey: %s: %d actions, seed %u, %d starts of the program, %.1f s\n", fault.empty() ? "PASS" : "FAIL",
                actions, seed, starts, (GetTickCount() - began) / 1000.0);
    if (!fault.empty()) std::printf("monkey: after the run: %s\n", fault.c_str());
    return fault.empty() ? 0 : 1;
}
