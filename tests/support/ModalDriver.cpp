#include "ModalDriver.h"

#include "WaitUntil.h"
#include "WindowFinder.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

UINT SettleMarker() {
    static const UINT marker = RegisterWindowMessageA("VistalsTestSettleMarker");
    return marker;
}

HANDLE MarkerTaken() {
    static const HANDLE taken = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    return taken;
}

LRESULT CALLBACK WatchForMarker(int code, WPARAM removal, LPARAM message) {
    if (code == HC_ACTION && removal == PM_REMOVE && reinterpret_cast<const MSG*>(message)->message == SettleMarker())
        SetEvent(MarkerTaken());
    return CallNextHookEx(nullptr, code, removal, message);
}

}  // namespace

INT_PTR DriveModal(const std::function<INT_PTR()>& runModal, const char* caption,
                   const std::function<void(HWND dialog)>& script) {
    std::thread driver([&] {
        HWND dialog = WaitForDialog(0, caption);
        if (!dialog) {
            ADD_FAILURE() << "\"" << caption << "\" did not open";
            return;
        }
        script(dialog);
        for (int i = 0; i < 3 && !WaitUntil([&] { return !IsWindow(dialog); }, 3000); ++i)
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    HHOOK watch = SetWindowsHookExA(WH_GETMESSAGE, WatchForMarker, nullptr, GetCurrentThreadId());
    const INT_PTR result = runModal();
    driver.join();
    if (watch) UnhookWindowsHookEx(watch);
    return result;
}

void Settle(HWND window) {
    for (int round = 0; round < 2; ++round) {
        ResetEvent(MarkerTaken());
        if (!PostMessageA(window, SettleMarker(), 0, 0)) return;
        EXPECT_TRUE(WaitUntil([&] { return WaitForSingleObject(MarkerTaken(), 0) == WAIT_OBJECT_0 || !IsWindow(window); }))
            << "the modal loop did not take its marker";
    }
}

void PressKey(HWND control, WPARAM key) {
    PostMessageA(control, WM_KEYDOWN, key, 0);
    Settle(control);
}

bool AnswerMessageBox(MessageBoxSeen* seen, HWND owner, DWORD timeoutMs) {
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = FindMessageBox(0, owner)) != nullptr; }, timeoutMs)) return false;
    seen->caption = WindowTextOf(box);
    seen->text = WindowTextOf(GetDlgItem(box, 0xFFFF));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    WaitUntil([&] { return !IsWindow(box); });
    return true;
}
