#include "SheetDriver.h"
#include "DialogCatcher.h"

#include <commctrl.h>

#include <cstring>
#include <thread>
#include <vector>

namespace sheet_driver {

namespace {

struct Search {
    const char* caption;
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindSheet(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != GetCurrentProcessId() || !::IsDialogWindow(window) || !IsWindowVisible(window)) return TRUE;
    if (search->caption && WindowTextOf(window) != search->caption) return TRUE;
    if (search->owner && (GetWindow(window, GW_OWNER) != search->owner || !GetDlgItem(window, 0xFFFF)))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND WaitForWindow(Search search, DWORD timeoutMs) {
    WaitUntil([&] {
        search.found = nullptr;
        EnumWindows(FindSheet, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, timeoutMs);
    return search.found;
}

}  // namespace

INT_PTR Drive(const std::function<INT_PTR()>& runModal, const char* caption,
              const std::function<void(HWND sheet)>& drive) {
    std::thread driver([&] {
        HWND sheet = WaitForWindow({caption, nullptr, nullptr}, 10000);
        if (!sheet) return;
        drive(sheet);
        if (!WaitUntil([&] { return !IsWindow(sheet); }, 3000)) PressCancel(sheet);
    });
    const INT_PTR result = runModal();
    driver.join();
    return result;
}

HWND CurrentPage(HWND sheet) {
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

bool SelectPage(HWND sheet, int index) {
    return SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0) != 0;
}

void PressOK(HWND sheet) { PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0); }
void PressCancel(HWND sheet) { PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); }

void Click(HWND page, int id) { SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0); }

void Type(HWND page, int id, const char* text) {
    SendMessageA(GetDlgItem(page, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

std::string Text(HWND page, int id) { return WindowTextOf(GetDlgItem(page, id)); }

bool Checked(HWND page, int id) {
    return SendMessageA(GetDlgItem(page, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }

HWND Focus(HWND sheet) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(sheet, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

bool AnswerMessageBox(HWND owner, MessageBoxSeen* seen, DWORD timeoutMs) {
    HWND box = WaitForWindow({nullptr, owner, nullptr}, timeoutMs);
    if (!box) return false;
    seen->caption = WindowTextOf(box);
    seen->text = WindowTextOf(GetDlgItem(box, 0xFFFF));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    WaitUntil([&] { return !IsWindow(box); });
    return true;
}

}  // namespace sheet_driver
