// Drives a modal window of this process from a second thread, as a user
// drives it: input goes through the window's own message loop, and the
// driver knows when that loop has handled it, because a marker posted behind
// it is seen leaving the thread's queue (posted messages are taken in order,
// each after the one before was handled).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Runs `runModal` on this thread. Once a visible dialog of this process
// captioned `caption` shows (set up by the system and by the dialog), `script`
// gets it on a second thread; a dialog the script leaves open (a failure) is
// cancelled. Returns what `runModal` returned.
INT_PTR DriveModal(const std::function<INT_PTR()>& runModal, const char* caption,
                   const std::function<void(HWND dialog)>& script);

// Inside a script: waits until the modal thread has handled what was posted
// to `window` so far, and what that handling posted in turn. (Sent messages
// would overtake the posted ones: a thread takes those first.) A window that
// closes drops the marker with it.
void Settle(HWND window);

// A key pressed in `control`, through the modal loop.
void PressKey(HWND control, WPARAM key);

struct MessageBoxSeen {
    std::string caption;
    std::string text;
};
// Waits for a message box of this process owned by `owner` (by any window
// when that is null), reads it and answers OK; false when none came.
bool AnswerMessageBox(MessageBoxSeen* seen, HWND owner = nullptr, DWORD timeoutMs = 5000);
