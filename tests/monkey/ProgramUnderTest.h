// The program as the random-action run sees it: its own copy, started and
// restarted, its windows, the desktop's mouse and keys, and a way to know
// that it has handled everything it was given.
#pragma once

#include "MonkeyHook.h"
#include "framework/Handle.h"
#include "support/ProgramProcess.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

// The program's windows by kind; everything visible unless said otherwise.
struct Inventory {
    HWND frame = nullptr;
    std::vector<HWND> selectDialogs;   // every one, shown or not
    std::vector<HWND> optionsSheets;   // every one, shown or not
    std::vector<HWND> messageBoxes;    // other dialogs: message boxes, mostly
    std::vector<HWND> aboutBoxes;
    std::vector<HWND> menus;
    std::vector<HWND> others;          // e.g. the help viewer
    // Windows the program had other programs open: a folder, a browser.
    std::vector<HWND> foreign;

    // How many modal windows of the program are open, nested or side by side.
    size_t ModalDepth() const { return selectDialogs.size() + optionsSheets.size() + messageBoxes.size(); }
};

enum class Settled { Yes, Ended, Hung, Crashed };

struct MenuItem {
    UINT command;
    std::string text;  // without its "&"
};

class ProgramUnderTest {
public:
    // `program` is the copy of Vistals.exe to run; it starts in `folder`.
    ProgramUnderTest(std::string program, std::string folder);
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    // Starts the program and waits for its message loop; false when it
    // shows no main frame.
    bool Start();
    bool Running() const;
    DWORD ExitCode() const;
    void Kill();
    bool WaitForExit(DWORD timeoutMs) const;

    HWND Frame() const { return frame_; }
    // The tray menu's commands in menu order, separators left out, read from
    // the program's resources.
    std::vector<MenuItem> TrayMenuItems() const;
    Inventory Windows() const;

    // Waits until the program's thread has handled what was posted to it,
    // and what that posted in turn.
    Settled Settle(DWORD timeoutMs);
    // Waits (at most `timeoutMs`) until no change is being composed: every
    // thread but the user-interface thread is gone or waits in a message
    // box of its own. Makes the run's course depend less on timing.
    void AwaitQuiet(DWORD timeoutMs) const;
    // Why the run must stop: a crash dialog or a debugger on screen; empty
    // when there is none.
    std::string CrashSign() const;

    // Drops `paths` on `window` as the shell does.
    void Drop(HWND window, const std::vector<std::string>& paths);

    // The desktop's mouse and keyboard.
    void RightClickTrayIcon() const;
    // False when the program was not told of it within 10 s.
    bool DoubleClickTrayIcon() const;
    // The window that covers the tray icon, named; empty when none does.
    std::string WindowOverTrayIcon() const;

private:
    void UncoverTrayIcon() const;
    bool HookThread();
    void Unhook();

    std::string program_, folder_;
    std::unique_ptr<ProgramProcess> process_;
    HWND frame_ = nullptr;
    KernelHandle sharedMapping_;
    monkey_hook::Shared* shared_ = nullptr;
    HMODULE hookLibrary_ = nullptr;
    HHOOK queueHook_ = nullptr, sentHook_ = nullptr;
    LONG markers_ = 0;
};
