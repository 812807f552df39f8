// A long run of the installed program: stores three sets of mixed, damaged
// and vanishing pictures, starts Vistals, sends picture and set commands as
// fast as it accepts them, ends with an Exit during a running change, and
// checks what a user would lose: memory, the wallpaper file, the stored sets.
//
//   soak_driver.exe PICTURE_FOLDER COMMANDS GROWTH_BOUND_MB
//
// Prints its figures and exits 0 when every check held.
#include "support/DialogCatcher.h"
#include "support/ProgramProcess.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"
#include "support/TestBitmaps.h"
#include "support/TestPaths.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

const UINT kNextVistal = 32772, kNextSet = 32773, kAppExit = 57665;

NamedSets ReadSets() {
    NamedSets sets;
    const DWORD count = StoredDword(kImageSetsKey, "SetCount").value_or(0);
    for (DWORD i = 0; i < count && i < 1000; ++i) {
        const std::string key = std::string(kImageSetsKey) + "\\Set" + std::to_string(i);
        std::vector<std::string> paths;
        const DWORD pictures = StoredDword(key, "ImageCount").value_or(0);
        for (DWORD j = 0; j < pictures && j < 100000; ++j)
            paths.push_back(StoredText(key, ("I" + std::to_string(j)).c_str()).value_or("<missing>"));
        sets.emplace_back(StoredText(key, "SetName").value_or("<missing>"), paths);
    }
    return sets;
}

struct Memory {
    SIZE_T workingSet = 0, privateBytes = 0;
};

Memory MemoryOf(DWORD processId) {
    Memory memory;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (process && GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
        memory.workingSet = counters.WorkingSetSize;
        memory.privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    }
    if (process) CloseHandle(process);
    return memory;
}

// Counts the wallpaper changes Windows announces to every top-level window.
std::atomic<int> gApplied{0};

LRESULT CALLBACK ListenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTINGCHANGE && wParam == SPI_SETDESKWALLPAPER) ++gApplied;
    return DefWindowProcA(window, message, wParam, lParam);
}

void ListenForWallpaperChanges(std::atomic<bool>* stop) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = ListenerProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "VistalsSoakListener";
    RegisterClassA(&cls);
    HWND window = CreateWindowA(cls.lpszClassName, "soak listener", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr,
                                cls.hInstance, nullptr);
    while (!*stop) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    DestroyWindow(window);
}

std::string Megabytes(SIZE_T bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", bytes / 1048576.0);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: soak_driver PICTURE_FOLDER COMMANDS GROWTH_BOUND_MB\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int commands = std::atoi(argv[2]);
    const SIZE_T bound = static_cast<SIZE_T>(std::atoi(argv[3])) << 20;
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    // Three sets dealt from the pictures; the "vanish" ones are deleted once
    // the program runs.
    DeleteProgramKeys();
    NamedSets sets = {{"All kinds", {}}, {"Second", {}}, {"Third", {}}};
    std::vector<std::string> vanishing;
    size_t damaged = 0;
    std::vector<std::string> names = FilesMatching(folder, "*");
    names.erase(std::remove_if(names.begin(), names.end(), [](const std::string& n) { return n[0] == '.'; }),
                names.end());
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string path = folder + "\\" + names[i];
        sets[i % sets.size()].second.push_back(path);
        if (names[i].compare(0, 6, "vanish") == 0) vanishing.push_back(path);
        if (names[i].compare(0, 3, "cut") == 0 || names[i].compare(0, 5, "noise") == 0) ++damaged;
    }
    StoreImageSets(sets);
    StoreDword(kProgramKey, "VistalPeriodic", 0);  // only the commands change the picture
    StoreDword(kProgramKey, "VistalCycleMethod", 2);
    StoreDword(kProgramKey, "VistalSetCycleMethod", 2);
    StoreDword(kProgramKey, "CalendarPosition", 5);
    const NamedSets before = ReadSets();
    const std::string wallpaper = DistDir() + "\\vistals.bmp";
    DeleteFileA(wallpaper.c_str());

    std::atomic<bool> stopListening{false};
    std::thread listener(ListenForWallpaperChanges, &stopListening);
    ProgramProcess program;
    if (!program.Start()) {
        std::printf("soak: FAIL: the program did not start\n");
        return 1;
    }
    DialogCatcher boxes(program.Id());
    HWND frame = program.WaitForFrame(30000);
    if (!frame) {
        std::printf("soak: FAIL: no main frame\n");
        return 1;
    }
    // Start-up shows a first picture: the baseline is taken once it is in.
    WaitUntil([&] { return gApplied != 0 || !boxes.Boxes().empty(); }, 30000);
    Sleep(500);
    int vanished = 0;
    for (const std::string& path : vanishing) vanished += DeleteFileA(path.c_str()) != 0;
    const Memory start = MemoryOf(program.Id());
    Memory peak = start;

    int incomplete = 0, unanswered = 0;
    std::string firstIncomplete;
    for (int i = 0; i < commands; ++i) {
        const UINT command = i % 3 == 2 ? kNextSet : kNextVistal;
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(frame, WM_COMMAND, command, 0, SMTO_NORMAL, 30000, &result)) ++unanswered;
        // Every few commands, wait for the change to land, so that bursts
        // alternate with changes that run to their end.
        if (i % 5 == 4) {
            const int applied = gApplied;
            const size_t shown = boxes.Boxes().size();
            WaitUntil([&] { return gApplied != applied || boxes.Boxes().size() != shown; }, 10000);
        }
        std::string why;
        if (GetFileAttributesA(wallpaper.c_str()) != INVALID_FILE_ATTRIBUTES && !IsCompleteBmp(wallpaper, &why)) {
            if (!incomplete++) firstIncomplete = why;
        }
        if (i % 25 == 0) {
            const Memory now = MemoryOf(program.Id());
            peak.workingSet = std::max(peak.workingSet, now.workingSet);
            peak.privateBytes = std::max(peak.privateBytes, now.privateBytes);
        }
    }
    // Let the last changes finish before measuring.
    for (int quiet = 0, last = gApplied; quiet < 20; ++quiet, Sleep(100))
        if (gApplied != last) last = gApplied, quiet = 0;
    const Memory end = MemoryOf(program.Id());

    // Exit while a change is being composed: the worker shows as a thread more.
    const int idleThreads = program.ThreadCount();
    bool exitDuringChange = false;
    for (int attempt = 0; attempt < 50 && !exitDuringChange; ++attempt) {
        PostMessageA(frame, WM_COMMAND, kNextVistal, 0);
        for (int poll = 0; poll < 100 && !exitDuringChange; ++poll) {
            exitDuringChange = program.ThreadCount() > idleThreads;
            if (!exitDuringChange) Sleep(1);
        }
        if (!exitDuringChange) Sleep(200);
    }
    PostMessageA(frame, WM_COMMAND, kAppExit, 0);
    const bool exited = program.WaitForExit(30000);
    stopListening = true;
    listener.join();

    std::string why;
    const bool finalComplete = IsCompleteBmp(wallpaper, &why);
    std::vector<std::string> leftovers;
    for (const std::string& name : FilesMatching(DistDir(), "vistals.bmp*"))
        if (name != "vistals.bmp") leftovers.push_back(name);
    const NamedSets after = ReadSets();
    const bool setsKept = after == before;

    std::map<std::string, int> texts;
    for (const CaughtBox& box : boxes.Boxes()) {
        // Which picture: the caption names it when opening failed; the
        // worker's boxes have none of their own.
        const size_t slash = box.caption.find_last_of('\\');
        const std::string name = slash == std::string::npos ? "while composing" : box.caption.substr(slash + 1);
        ++texts[box.text + " [" + name + "]"];
    }

    const SIZE_T growth = end.workingSet > start.workingSet ? end.workingSet - start.workingSet : 0;
    std::printf("soak: commands sent        %d (%d not answered within 30 s)\n", commands, unanswered);
    std::printf("soak: changes applied      %d\n", static_cast<int>(gApplied));
    std::printf("soak: pictures             %zu, of which %zu damaged, %d vanished during the run\n", names.size(),
                damaged, vanished);
    std::printf("soak: working set          start %s, end %s, peak %s (bound: +%s)\n",
                Megabytes(start.workingSet).c_str(), Megabytes(end.workingSet).c_str(),
                Megabytes(peak.workingSet).c_str(), Megabytes(bound).c_str());
    if (start.privateBytes)
        std::printf("soak: private bytes        start %s, end %s\n", Megabytes(start.privateBytes).c_str(),
                    Megabytes(end.privateBytes).c_str());
    std::printf("soak: error boxes          %d\n", static_cast<int>(boxes.Boxes().size()));
    for (const auto& text : texts) std::printf("soak:   %4d x %s\n", text.second, text.first.c_str());
    std::printf("soak: incomplete files     %d%s%s\n", incomplete, incomplete ? ", first: " : "", firstIncomplete.c_str());
    std::printf("soak: exit during a change %s; program ended: %s\n", exitDuringChange ? "yes" : "not caught",
                exited ? "yes" : "NO");
    std::printf("soak: wallpaper after exit %s%s\n", finalComplete ? "complete" : "NOT complete: ", finalComplete ? "" : why.c_str());
    std::printf("soak: files left beside it %zu\n", leftovers.size());
    std::printf("soak: stored sets          %zu before, %zu after, %s\n", before.size(), after.size(),
                setsKept ? "unchanged" : "CHANGED");

    const bool pass = start.workingSet && growth <= bound && incomplete == 0 && finalComplete && exited &&
                      leftovers.empty() && setsKept && unanswered == 0;
    std::printf("soak: %s\n", pass ? "PASS" : "FAIL");
    DeleteProgramKeys();
    return pass ? 0 : 1;
}
