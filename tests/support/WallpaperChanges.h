// For tests that run the main frame in their own process: lets the
// wallpaper changes under way finish.
#pragma once

#include "app/Messages.h"
#include "wallpaper/WallpaperWorker.h"

#include <windows.h>

// Handles this thread's messages until the composition queue has been idle
// for a moment; how many change notices arrived (each handled as usual).
inline int DrainChanges(DWORD timeoutMs = 20000) {
    int applied = 0;
    DWORD idleSince = 0;
    for (const DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(5)) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            applied += msg.message == WM_WALLPAPER_APPLIED;
            DispatchMessageA(&msg);
        }
        if (!TheCompositionQueue.IsIdle()) idleSince = 0;
        else if (!idleSince) idleSince = GetTickCount();
        else if (GetTickCount() - idleSince > 150) break;
    }
    return applied;
}
