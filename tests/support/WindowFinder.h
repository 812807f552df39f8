// Finding top-level windows as a test sees them: by process, by caption, the
// dialogs and message boxes among them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// A window's text.
std::string WindowTextOf(HWND window);
// Of the system's dialog class: dialogs, property sheets, message boxes.
bool IsDialogWindow(HWND window);

// The top-level windows of every process that `matches` (all when empty).
std::vector<HWND> TopLevelWindows(const std::function<bool(HWND)>& matches = {});
// The same for one process (this one when `processId` is 0).
std::vector<HWND> WindowsOfProcess(DWORD processId, const std::function<bool(HWND)>& matches = {});

// A visible dialog of the process captioned `caption` (any caption when null),
// or null.
HWND FindDialog(DWORD processId, const char* caption);
// A visible message box of the process owned by `owner` (by any window when
// that is null), or null.
HWND FindMessageBox(DWORD processId, HWND owner = nullptr);
// FindDialog, waited for; null on time-out.
HWND WaitForDialog(DWORD processId, const char* caption, DWORD timeoutMs = 15000);

// The visible About boxes of a process (the windows with its two buttons).
std::vector<HWND> VisibleAboutBoxes(DWORD processId);
