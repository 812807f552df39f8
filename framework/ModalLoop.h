// Every modal loop of ours runs inside one ModalLoop object: a dialog, a
// property sheet, a common dialog, a message box, a tracked popup menu. For
// as long as the loop runs, the object
//   - knows that it is open, on which thread and in which window, so that a
//     command can ask whether a modal window of ours is open, bring it to the
//     front, or cancel every open one;
//   - holds the system libraries its window needs (see DynamicLibrary.h);
// and when the loop has ended it lets go of the screen buffers the window
// left in the cached device contexts (see ReleaseCachedScreenBuffers).
//
// A modal loop is a re-entry point: while it runs, the tray icon, timers,
// posted commands and the session's end still reach the program's windows.
// Commands that would open another modal window ask BringForward instead; a
// frame closes only once CancelAll found nothing left to cancel.
#pragma once

#include "DynamicLibrary.h"

#include <windows.h>

#include <optional>

class ModalLoop {
public:
    enum class Kind {
        Window,  // a dialog, sheet or message box: cancelled with IDCANCEL
        Menu,    // a tracked popup menu: cancelled with EndMenu
    };

    // A window of plain controls (a message box, a dialog), or a popup menu.
    // Under the program's manifest even plain controls come from the common
    // controls: a window holds them while it is open, so that they cannot go
    // with another window that held them while this one is still up.
    explicit ModalLoop(Kind kind = Kind::Window);
    // A window built from common controls of `controlClasses` as well, and
    // also from the common dialogs when `commonDialogs` is set.
    ModalLoop(DWORD controlClasses, bool commonDialogs);
    ~ModalLoop();
    ModalLoop(const ModalLoop&) = delete;
    ModalLoop& operator=(const ModalLoop&) = delete;

    // The libraries asked for; loaded while the loop lives.
    const DynamicLibrary& ControlsLibrary() const;
    const DynamicLibrary& DialogsLibrary() const;

    // The window of the innermost modal loop around this one on the same
    // thread, or null when there is none.
    HWND EnclosingWindow() const noexcept;

    // True while a modal loop of ours runs on the calling thread.
    static bool RunningOnThisThread() noexcept;
    // Brings the most recently opened modal window of ours (on any thread)
    // to the front, or flashes it when it cannot be activated. False when no
    // modal loop of ours runs at all.
    static bool BringForward();
    // Cancels every open modal loop of ours, innermost first: each window
    // gets IDCANCEL, as from its Cancel button; a menu on this thread is
    // ended. The cancels are posted, so the loops end once this thread
    // reads its messages again. Returns how many loops run on the calling
    // thread, which has to wait for them before it may release what they use.
    static int CancelAll();

private:
    friend struct ModalLoopRegistry;
    void Open();

    const Kind kind_;
    const DWORD thread_;
    ModalLoop* const enclosing_;  // the innermost loop of this thread when this one began
    HWND window_ = nullptr;       // set once the system created it (guarded by the registry's lock)
    bool ownsHook_ = false;
    std::optional<CommonControls> controls_;
    std::optional<DynamicLibrary> dialogs_;
};

// A message box of ours. While a modal window of ours is open on this thread,
// the box belongs to the innermost one rather than to `owner`, so that nothing
// beneath it can be confirmed while the box waits.
int RunMessageBox(HWND owner, const char* text, const char* caption, UINT type);
