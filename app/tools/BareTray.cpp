// The idle benchmark's yardstick: the least a tray program can be. One hidden
// window, one notification icon, a one-minute timer, nothing else.
// With --window-and-thread it also shows one window and ends one thread at
// start-up, as any program with a start-up box and a worker does: what the
// system charges for those two alone.
#include <windows.h>
#include <shellapi.h>

namespace {

const UINT kTrayMessage = WM_APP + 1;

LRESULT CALLBACK BareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        return 0;
    case WM_DESTROY: {
        NOTIFYICONDATAA icon{};
        icon.cbSize = sizeof icon;
        icon.hWnd = window;
        icon.uID = 1;
        Shell_NotifyIconA(NIM_DELETE, &icon);
        KillTimer(window, 1);
        PostQuitMessage(0);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI Nothing(void*) { return 0; }

void ShowOneWindowAndEndOneThread(HINSTANCE instance) {
    HWND box = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 312, 159, 400, 450, nullptr,
                               nullptr, instance, nullptr);
    if (box) {
        UpdateWindow(box);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        DestroyWindow(box);
        // As Vistals does: cached device contexts let the closed window's
        // screen buffer go once they are taken again.
        HDC dcs[32];
        for (HDC& dc : dcs) dc = GetDCEx(nullptr, nullptr, DCX_CACHE);
        for (HDC dc : dcs)
            if (dc) ReleaseDC(nullptr, dc);
    }
    if (HANDLE thread = CreateThread(nullptr, 0, Nothing, nullptr, 0, nullptr)) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = BareProc;
    wc.hInstance = instance;
    wc.lpszClassName = "BareTrayWindow";
    if (!RegisterClassA(&wc)) return 1;
    HWND window = CreateWindowA(wc.lpszClassName, "Bare tray", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    NOTIFYICONDATAA icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = 1;
    icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    icon.uCallbackMessage = kTrayMessage;
    icon.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    lstrcpynA(icon.szTip, "Bare tray", sizeof icon.szTip);
    Shell_NotifyIconA(NIM_ADD, &icon);
    SetTimer(window, 1, 60 * 1000, nullptr);
    if (lstrcmpA(commandLine, "--window-and-thread") == 0) ShowOneWindowAndEndOneThread(instance);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
