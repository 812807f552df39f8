// window_probe: looks at the Wine desktop from inside, for scripts that
// drive the installed program (the installer test, docs/screenshots.sh).
// Wine draws every window into one X window, so X tools cannot see them.
//
//   window_probe program-pid               pid of the running Vistals
//   window_probe wait-tray MS              waits until the shell shows its tray icon; pid
//   window_probe alive PID                 exit status 0 while that process runs
//   window_probe boxes                     every visible dialog box: caption | texts
//   window_probe wait-window TITLE MS      a visible top-level window so titled: x y w h
//   window_probe wait-program-window MS    a visible window of Vistals (its About box): x y w h
//   window_probe wait-menu MS              the open popup menu: x y w h
//   window_probe command ID                posts that command to Vistals's main window
//   window_probe sheet-page TITLE INDEX    shows that page of the property sheet so titled
//   window_probe cancel TITLE              cancels the dialog so titled, as its Cancel button does
//   window_probe shortcut FILE.lnk         the shortcut's target
//   window_probe repaint                   repaints the visible windows and the taskbar
//                                          (Wine's desktop paints a new wallpaper over them)
#include "support/ProgramProcess.h"

#include <windows.h>
#include <objbase.h>
#include <prsht.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr UINT kTrayIconId = 130;  // the tray icon's identifier, as the program registers it
constexpr UINT kNotifyRecordSize = 488;

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsProgramWindowClass(HWND window) {
    return ClassOf(window).rfind("Vistals:", 0) == 0;
}

// The hidden main frame: titled "Vistals", of the program's own classes.
HWND MainFrame() {
    for (HWND window : TopLevelWindows())
        if (WindowTextOf(window) == "Vistals" && IsProgramWindowClass(window)) return window;
    return nullptr;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

// True while the shell knows the icon: it refuses to modify unknown ones.
bool ShellHasIcon(HWND window) {
    NOTIFYICONDATAA data{};
    data.cbSize = kNotifyRecordSize;
    data.hWnd = window;
    data.uID = kTrayIconId;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

DWORD ProgramWithTrayIcon() {
    HWND frame = MainFrame();
    if (!frame) return 0;
    const DWORD pid = ProcessOf(frame);
    for (HWND window : WindowsOfProcess(pid))
        if (IsProgramWindowClass(window) && ShellHasIcon(window)) return pid;
    return 0;
}

// Polls `find` until it gives a window or `timeoutMs` runs out.
template <typename Find>
HWND WaitFor(DWORD timeoutMs, Find find) {
    HWND window = nullptr;
    WaitUntil([&] { return (window = find()) != nullptr; }, timeoutMs);
    return window;
}

int PrintRect(HWND window) {
    if (!window) return 1;
    RECT r{};
    GetWindowRect(window, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
}

HWND VisibleTopLevel(const std::function<bool(HWND)>& matches) {
    const std::vector<HWND> found = TopLevelWindows([&](HWND w) { return IsWindowVisible(w) && matches(w); });
    return found.empty() ? nullptr : found.front();
}

HWND VisibleWindowTitled(const std::string& title) {
    return VisibleTopLevel([&](HWND w) { return WindowTextOf(w) == title; });
}

// What the program shows: at start-up and on request, its About box.
HWND VisibleProgramWindow() {
    HWND frame = MainFrame();
    if (!frame) return nullptr;
    const DWORD pid = ProcessOf(frame);
    return VisibleTopLevel([&](HWND w) { return ProcessOf(w) == pid; });
}

HWND OpenPopupMenu() {
    return VisibleTopLevel([](HWND w) { return ClassOf(w) == "#32768"; });
}

BOOL CALLBACK AppendChildText(HWND child, LPARAM param) {
    const std::string text = WindowTextOf(child);
    if (!text.empty() && ClassOf(child) == "Static") *reinterpret_cast<std::string*>(param) += " " + text;
    return TRUE;
}

int ListBoxes() {
    for (HWND window : TopLevelWindows()) {
        if (!IsWindowVisible(window) || !IsDialogWindow(window)) continue;
        std::string texts;
        EnumChildWindows(window, AppendChildText, reinterpret_cast<LPARAM>(&texts));
        std::printf("%s |%s\n", WindowTextOf(window).c_str(), texts.c_str());
    }
    return 0;
}

int PrintShortcutTarget(const char* file) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int status = 1;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* persist = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
            wchar_t wide[MAX_PATH] = {};
            MultiByteToWideChar(CP_ACP, 0, file, -1, wide, MAX_PATH);
            wchar_t target[MAX_PATH] = {};
            if (SUCCEEDED(persist->Load(wide, STGM_READ)) &&
                SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0))) {
                char narrow[MAX_PATH * 2] = {};
                WideCharToMultiByte(CP_ACP, 0, target, -1, narrow, sizeof narrow, nullptr, nullptr);
                std::printf("%s\n", narrow);
                status = 0;
            }
            persist->Release();
        }
        link->Release();
    }
    CoUninitialize();
    return status;
}

DWORD Number(const char* text) {
    return static_cast<DWORD>(std::strtoul(text, nullptr, 0));
}

int Usage() {
    std::fprintf(stderr, "usage: window_probe COMMAND [ARGS] (see WindowProbe.cpp)\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    if (command == "program-pid") {
        HWND frame = MainFrame();
        if (!frame) return 1;
        std::printf("%lu\n", ProcessOf(frame));
        return 0;
    }
    if (command == "wait-tray" && argc == 3) {
        DWORD pid = 0;
        if (!WaitUntil([&] { return (pid = ProgramWithTrayIcon()) != 0; }, Number(argv[2]))) return 1;
        std::printf("%lu\n", pid);
        return 0;
    }
    if (command == "alive" && argc == 3) {
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, Number(argv[2]));
        if (!process) return 1;
        const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
        CloseHandle(process);
        return running ? 0 : 1;
    }
    if (command == "boxes") return ListBoxes();
    if (command == "wait-window" && argc == 4) {
        const std::string title = argv[2];
        return PrintRect(WaitFor(Number(argv[3]), [&] { return VisibleWindowTitled(title); }));
    }
    if (command == "wait-program-window" && argc == 3) return PrintRect(WaitFor(Number(argv[2]), VisibleProgramWindow));
    if (command == "wait-menu" && argc == 3) return PrintRect(WaitFor(Number(argv[2]), OpenPopupMenu));
    if (command == "command" && argc == 3) {
        HWND frame = MainFrame();
        return frame && PostMessageA(frame, WM_COMMAND, Number(argv[2]), 0) ? 0 : 1;
    }
    if (command == "sheet-page" && argc == 4) {
        HWND sheet = VisibleWindowTitled(argv[2]);
        return sheet && SendMessageA(sheet, PSM_SETCURSEL, Number(argv[3]), 0) ? 0 : 1;
    }
    if (command == "cancel" && argc == 3) {
        HWND dialog = VisibleWindowTitled(argv[2]);
        return dialog && PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0) ? 0 : 1;
    }
    if (command == "repaint") {
        if (HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr))
            SetWindowPos(taskbar, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        for (HWND window : TopLevelWindows())
            if (IsWindowVisible(window))
                RedrawWindow(window, nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return 0;
    }
    if (command == "shortcut" && argc == 3) return PrintShortcutTarget(argv[2]);
    return Usage();
}
