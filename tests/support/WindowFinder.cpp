#include "WindowFinder.h"

#include "WaitUntil.h"

#include <cstring>

std::string WindowTextOf(HWND window) {
    char text[2048] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool IsDialogWindow(HWND window) {
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    return std::strcmp(cls, "#32770") == 0;
}

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

// A window's caption read without a message: a window of another thread of
// this process is not asked while that thread may be busy setting it up.
std::string CaptionOf(HWND window) {
    wchar_t wide[512] = {};
    InternalGetWindowText(window, wide, 512);
    char text[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

}  // namespace

std::vector<HWND> TopLevelWindows(const std::function<bool(HWND)>& matches) {
    std::vector<HWND> all, matching;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all)
        if (!matches || matches(window)) matching.push_back(window);
    return matching;
}

std::vector<HWND> WindowsOfProcess(DWORD processId, const std::function<bool(HWND)>& matches) {
    const DWORD pid = processId ? processId : GetCurrentProcessId();
    return TopLevelWindows([&](HWND window) { return ProcessOf(window) == pid && (!matches || matches(window)); });
}

namespace {

HWND FirstVisibleDialog(DWORD processId, const std::function<bool(HWND)>& matches) {
    const std::vector<HWND> found = WindowsOfProcess(
        processId, [&](HWND window) { return IsDialogWindow(window) && IsWindowVisible(window) && matches(window); });
    return found.empty() ? nullptr : found.front();
}

}  // namespace

HWND FindDialog(DWORD processId, const char* caption) {
    return FirstVisibleDialog(processId, [&](HWND window) { return !caption || CaptionOf(window) == caption; });
}

HWND FindMessageBox(DWORD processId, HWND owner) {
    return FirstVisibleDialog(processId, [&](HWND window) {
        // A box has an owner, and its text is the static 0xFFFF.
        HWND boxOwner = GetWindow(window, GW_OWNER);
        return GetDlgItem(window, 0xFFFF) && boxOwner && (!owner || boxOwner == owner);
    });
}

HWND WaitForDialog(DWORD processId, const char* caption, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(processId, caption)) != nullptr; }, timeoutMs);
    return found;
}

std::vector<HWND> VisibleAboutBoxes(DWORD processId) {
    return WindowsOfProcess(processId, [](HWND window) {
        return IsWindowVisible(window) && GetDlgItem(window, 1015 /* Order */) && GetDlgItem(window, 1016 /* Continue */);
    });
}
