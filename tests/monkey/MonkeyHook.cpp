// The random-action run's hook inside the program's user-interface thread.
// It only watches that thread's queue (markers, the tray's double-clicks),
// and does what the shell does for a drop: builds the file list in the
// receiving process and posts it.
#include "MonkeyHook.h"

#include <shlobj.h>

#include <cstring>

namespace {

monkey_hook::Shared* SharedBlock() {
    static monkey_hook::Shared* shared = [] {
        HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, monkey_hook::kSharedName);
        return mapping ? static_cast<monkey_hook::Shared*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0))
                       : nullptr;
    }();
    return shared;
}

UINT Registered(const char* name) { return RegisterWindowMessageA(name); }

void PostDrop(HWND target, const char* paths) {
    size_t length = 0;
    while (paths[length]) length += std::strlen(paths + length) + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + length + 1);
    if (!memory) return;
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->pt = {20, 20};
    std::memcpy(reinterpret_cast<char*>(header + 1), paths, length + 1);
    GlobalUnlock(memory);
    if (!PostMessageA(target, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0)) GlobalFree(memory);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MonkeyWatchQueue(int code, WPARAM removal, LPARAM param) {
    static const UINT marker = Registered(monkey_hook::kMarkerName);
    static const UINT dropRequest = Registered(monkey_hook::kDropRequestName);
    const MSG* message = reinterpret_cast<const MSG*>(param);
    monkey_hook::Shared* shared = SharedBlock();
    if (code == HC_ACTION && removal == PM_REMOVE && shared) {
        if (message->message == marker)
            InterlockedExchange(&shared->markerTaken, static_cast<LONG>(message->wParam));
        else if (message->message == dropRequest)
            PostDrop(message->hwnd, shared->dropPaths);
    }
    return CallNextHookEx(nullptr, code, removal, param);
}

// The shell tells the tray icon of the mouse by a sent message.
extern "C" __declspec(dllexport) LRESULT CALLBACK MonkeyWatchSent(int code, WPARAM fromThisThread, LPARAM param) {
    const CWPSTRUCT* message = reinterpret_cast<const CWPSTRUCT*>(param);
    monkey_hook::Shared* shared = SharedBlock();
    if (code == HC_ACTION && shared && message->message == monkey_hook::kTrayNotify &&
        LOWORD(message->lParam) == WM_LBUTTONDBLCLK)
        InterlockedIncrement(&shared->trayDoubleClicks);
    return CallNextHookEx(nullptr, code, fromThisThread, param);
}
