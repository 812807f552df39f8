#include "DialogCatcher.h"

#include "WaitUntil.h"
#include "WindowFinder.h"

#include <algorithm>

DialogCatcher::DialogCatcher(DWORD processId, int button)
    : processId_(processId), button_(button), thread_([this] { Run(); }) {}

DialogCatcher::~DialogCatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<CaughtBox> DialogCatcher::Boxes() const {
    std::lock_guard<std::mutex> guard(lock_);
    return boxes_;
}

bool DialogCatcher::WaitFor(size_t count, DWORD timeoutMs) const {
    return WaitUntil([&] { return Boxes().size() >= count; }, timeoutMs);
}

void DialogCatcher::Run() {
    while (!stop_) {
        Sweep();
        Sleep(20);
    }
}

void DialogCatcher::Sweep() {
    for (HWND window : WindowsOfProcess(processId_, [](HWND w) { return IsDialogWindow(w) && IsWindowVisible(w); })) {
        std::lock_guard<std::mutex> guard(lock_);
        if (std::find(answered_.begin(), answered_.end(), window) == answered_.end()) {
            CaughtBox box;
            box.caption = WindowTextOf(window);
            if (HWND text = GetDlgItem(window, 0xFFFF)) box.text = WindowTextOf(text);
            box.owner = GetWindow(window, GW_OWNER);
            boxes_.push_back(box);
            answered_.push_back(window);
        }
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED), 0);
    }
}
