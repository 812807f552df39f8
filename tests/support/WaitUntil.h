// Waiting for a condition that another thread or process makes true, with
// or without handling this thread's own messages meanwhile.
#pragma once

#include <windows.h>

// True once `done()` is; false when `timeoutMs` passed first.
template <class Predicate>
bool WaitUntil(Predicate done, DWORD timeoutMs = 15000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

// Handles the messages waiting for this thread's windows (a WM_QUIT is
// dropped: the test, not a window, decides when it ends).
inline void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// WaitUntil for a condition that this thread's own windows make true.
template <class Predicate>
bool PumpUntil(Predicate done, DWORD timeoutMs = 3000) {
    return WaitUntil([&] {
        PumpMessages();
        return done();
    }, timeoutMs);
}

// Lets this thread's windows handle their messages for a moment.
inline void Pump() { PumpUntil([] { return false; }, 100); }
