// Drives a modal property sheet of this process from a second thread, as a
// user would: pages, clicks, typing, OK and Cancel, and the message boxes
// the sheet raises.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace sheet_driver {

// Runs `runModal` (which shows a sheet captioned `caption`) on this thread
// while `drive` gets the sheet's window on a second thread. Should `drive`
// leave the sheet open, it is cancelled. Returns what runModal returned.
INT_PTR Drive(const std::function<INT_PTR()>& runModal, const char* caption,
              const std::function<void(HWND sheet)>& drive);

HWND CurrentPage(HWND sheet);
// Shows page `index`, as a click on its tab does; false when the page
// being left refused.
bool SelectPage(HWND sheet, int index);
void PressOK(HWND sheet);
void PressCancel(HWND sheet);

void Click(HWND page, int id);
void Type(HWND page, int id, const char* text);
std::string Text(HWND page, int id);
bool Checked(HWND page, int id);
bool Enabled(HWND page, int id);

// The control with the keyboard focus in the sheet's thread.
HWND Focus(HWND sheet);
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

struct MessageBoxSeen {
    std::string caption;
    std::string text;
};
// Waits for a message box owned by `owner`, reads it and answers OK.
bool AnswerMessageBox(HWND owner, MessageBoxSeen* seen, DWORD timeoutMs = 5000);

}  // namespace sheet_driver
