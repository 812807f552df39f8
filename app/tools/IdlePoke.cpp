// The idle benchmark's hand on the running programs (see
// zelimage/tools/idle.sh):
//   ready  waits for the Vistals frame and closes the start-up About box
//   next   asks Vistals for the next picture, as its tray menu does
//   boxes  prints the text of any message box Vistals shows; fails if one does
//   exit   ends Vistals and the bare tray programs
#include "res/resource.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const UINT kAppExit = 57665;

BOOL CALLBACK Collect(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> TopWindows() {
    std::vector<HWND> all;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
    return all;
}

bool HasClass(HWND window, const char* name) {
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    return std::strcmp(cls, name) == 0;
}

bool HasTitle(HWND window, const char* title) {
    char text[64] = {};
    GetWindowTextA(window, text, sizeof text);
    return std::strcmp(text, title) == 0;
}

HWND Frame() {
    for (HWND window : TopWindows())
        if (HasTitle(window, "Vistals") && !HasClass(window, "#32770")) return window;
    return nullptr;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

bool IsAboutBox(HWND window) {
    return IsWindowVisible(window) && GetDlgItem(window, 1015) && GetDlgItem(window, 1016);
}

int Ready() {
    HWND frame = nullptr;
    for (int i = 0; i < 600 && !(frame = Frame()); ++i) Sleep(50);
    if (!frame) {
        std::puts("no Vistals frame");
        return 1;
    }
    for (int i = 0; i < 100; ++i) {
        bool any = false;
        for (HWND window : TopWindows())
            if (ProcessOf(window) == ProcessOf(frame) && IsAboutBox(window)) {
                any = true;
                PostMessageA(window, WM_COMMAND, MAKEWPARAM(1016, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(window, 1016)));
            }
        if (!any && i > 10) return 0;  // the box shows a moment after the frame
        Sleep(100);
    }
    return 1;
}

int Boxes() {
    HWND frame = Frame();
    int found = 0;
    for (HWND window : TopWindows())
        if (frame && ProcessOf(window) == ProcessOf(frame) && HasClass(window, "#32770") && IsWindowVisible(window) &&
            !IsAboutBox(window)) {
            char text[512] = {};
            GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
            std::printf("message box: %s\n", text);
            ++found;
        }
    return found ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const char* command = argc > 1 ? argv[1] : "";
    if (std::strcmp(command, "ready") == 0) return Ready();
    if (std::strcmp(command, "next") == 0) {
        HWND frame = Frame();
        return frame && PostMessageA(frame, WM_COMMAND, ID_DISPLAY_NEXT_VISTAL, 0) ? 0 : 1;
    }
    if (std::strcmp(command, "boxes") == 0) return Boxes();
    if (std::strcmp(command, "exit") == 0) {
        if (HWND frame = Frame()) PostMessageA(frame, WM_COMMAND, kAppExit, 0);
        for (HWND window : TopWindows())
            if (HasClass(window, "BareTrayWindow")) PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    std::fputs("usage: vistals_idle_poke ready|next|boxes|exit\n", stderr);
    return 2;
}
