#include "ModalLoop.h"

#include "Gdi.h"
#include "Lifetime.h"

#include <algorithm>
#include <cassert>
#include <mutex>
#include <vector>

// The open loops of every thread. A composition worker's message box runs
// on its own thread and is asked about from the main thread, hence the lock.
struct ModalLoopRegistry {
    std::mutex lock;
    std::vector<ModalLoop*> open;  // in the order they began

    // The system creates a dialog's, a sheet's or a message box's window
    // inside the call that runs its loop. The first top-level dialog window
    // created while the innermost loop of this thread has none is its window;
    // a sheet's pages and a dialog's controls are children and pass by.
    static LRESULT CALLBACK WatchWindowCreation(int code, WPARAM wParam, LPARAM lParam);
};

namespace {

// Global destructors leave it alone: a worker's message box may still be
// open while the process ends.
NeverDestroyed<ModalLoopRegistry> registry;

// The innermost loop running on this thread, and the hook that finds the
// windows of this thread's loops.
thread_local ModalLoop* innermost = nullptr;
thread_local HHOOK creationHook = nullptr;

bool IsDialogClass(HWND window) {
    char name[8] = {};
    return GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "#32770") == 0;
}

void Activate(HWND window) {
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    if (SetForegroundWindow(window) && GetForegroundWindow() == window) return;
    // Another program holds the foreground: the window asks for attention
    // until the user comes to it.
    FLASHWINFO flash{sizeof flash, window, FLASHW_ALL | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
}

}  // namespace

LRESULT CALLBACK ModalLoopRegistry::WatchWindowCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && innermost && innermost->kind_ == ModalLoop::Kind::Window &&
        !innermost->window_) {
        HWND window = reinterpret_cast<HWND>(wParam);
        const auto* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
        if (!(create->lpcs->style & WS_CHILD) && IsDialogClass(window)) {
            std::lock_guard<std::mutex> guard(registry.get().lock);
            innermost->window_ = window;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

ModalLoop::ModalLoop(Kind kind) : kind_(kind), thread_(GetCurrentThreadId()), enclosing_(innermost) {
    if (kind == Kind::Window) controls_.emplace(ICC_STANDARD_CLASSES);
    Open();
}

ModalLoop::ModalLoop(DWORD controlClasses, bool commonDialogs)
    : kind_(Kind::Window), thread_(GetCurrentThreadId()), enclosing_(innermost) {
    controls_.emplace(controlClasses | ICC_STANDARD_CLASSES);
    if (commonDialogs) dialogs_.emplace("comdlg32.dll");
    Open();
}

void ModalLoop::Open() {
    {
        std::lock_guard<std::mutex> guard(registry.get().lock);
        registry.get().open.push_back(this);
    }
    innermost = this;
    if (kind_ == Kind::Window && !creationHook) {
        creationHook = SetWindowsHookExA(WH_CBT, &ModalLoopRegistry::WatchWindowCreation, nullptr,
                                         GetCurrentThreadId());
        ownsHook_ = creationHook != nullptr;
    }
}

ModalLoop::~ModalLoop() {
    assert(innermost == this);
    if (ownsHook_) {
        UnhookWindowsHookEx(creationHook);
        creationHook = nullptr;
    }
    innermost = enclosing_;
    {
        std::lock_guard<std::mutex> guard(registry.get().lock);
        auto& open = registry.get().open;
        open.erase(std::find(open.begin(), open.end(), this));
    }
    ReleaseCachedScreenBuffers();
}

const DynamicLibrary& ModalLoop::ControlsLibrary() const {
    assert(controls_);
    return controls_->Library();
}

const DynamicLibrary& ModalLoop::DialogsLibrary() const {
    assert(dialogs_);
    return *dialogs_;
}

HWND ModalLoop::EnclosingWindow() const noexcept {
    for (const ModalLoop* loop = enclosing_; loop; loop = loop->enclosing_)
        if (loop->window_ && IsWindowVisible(loop->window_)) return loop->window_;
    return nullptr;
}

bool ModalLoop::RunningOnThisThread() noexcept {
    return innermost != nullptr;
}

bool ModalLoop::BringForward() {
    HWND window = nullptr;
    {
        std::lock_guard<std::mutex> guard(registry.get().lock);
        const auto& open = registry.get().open;
        if (open.empty()) return false;
        for (auto loop = open.rbegin(); loop != open.rend() && !window; ++loop) window = (*loop)->window_;
    }
    if (window) Activate(window);
    return true;
}

int ModalLoop::CancelAll() {
    const DWORD thisThread = GetCurrentThreadId();
    std::vector<HWND> windows;
    int onThisThread = 0;
    bool menuOnThisThread = false;
    {
        std::lock_guard<std::mutex> guard(registry.get().lock);
        const auto& open = registry.get().open;
        windows.reserve(open.size());
        for (auto loop = open.rbegin(); loop != open.rend(); ++loop) {
            if ((*loop)->thread_ == thisThread) {
                ++onThisThread;
                menuOnThisThread |= (*loop)->kind_ == Kind::Menu;
            }
            if ((*loop)->window_) windows.push_back((*loop)->window_);
        }
    }
    if (menuOnThisThread) EndMenu();
    for (HWND window : windows) PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return onThisThread;
}

int RunMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    ModalLoop loop;
    if (HWND enclosing = loop.EnclosingWindow()) owner = enclosing;
    return MessageBoxA(owner, text, caption, type);
}
