#include "DialogCatcher.h"

#include <algorithm>
#include <cstring>

std::string WindowTextOf(HWND window) {
    char buffer[2048] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

std::string ClassNameOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsDialogWindow(HWND window) { return ClassNameOf(window) == "#32770"; }

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

}  // namespace

DialogCatcher::DialogCatcher(DWORD processId, int button)
    : processId_(processId ? processId : GetCurrentProcessId()), button_(button),
      thread_([this] { Run(); }) {}

DialogCatcher::~DialogCatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<CaughtBox> DialogCatcher::Boxes() const {
    std::lock_guard<std::mutex> guard(lock_);
    return boxes_;
}

bool DialogCatcher::WaitFor(size_t count, DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (boxes_.size() >= count) return true;
        }
        Sleep(20);
    }
    std::lock_guard<std::mutex> guard(lock_);
    return boxes_.size() >= count;
}

void DialogCatcher::Run() {
    while (!stop_) {
        Sweep();
        Sleep(20);
    }
}

void DialogCatcher::Sweep() {
    std::vector<HWND> found;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
    for (HWND window : found) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != processId_ || !IsDialogWindow(window) || !IsWindowVisible(window)) continue;

        std::lock_guard<std::mutex> guard(lock_);
        if (std::find(answered_.begin(), answered_.end(), window) == answered_.end()) {
            CaughtBox box;
            box.caption = WindowTextOf(window);
            if (HWND text = GetDlgItem(window, 0xFFFF)) box.text = WindowTextOf(text);
            box.owner = GetWindow(window, GW_OWNER);
            box.style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
            boxes_.push_back(box);
            answered_.push_back(window);
        }
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), 0);
    }
}
