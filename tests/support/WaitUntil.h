// Polls a condition that another thread or process makes true.
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
