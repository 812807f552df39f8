// Answers message boxes (and other dialogs) for a test: while alive, a
// thread finds every dialog window of the chosen process, records its caption
// and text, and presses a button on it.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct CaughtBox {
    std::string caption;
    std::string text;
    HWND owner = nullptr;
};

class DialogCatcher {
public:
    // processId 0: this process. `button` is the command sent to each box.
    explicit DialogCatcher(DWORD processId = 0, int button = IDOK);
    ~DialogCatcher();
    DialogCatcher(const DialogCatcher&) = delete;
    DialogCatcher& operator=(const DialogCatcher&) = delete;

    std::vector<CaughtBox> Boxes() const;
    // Waits until at least `count` boxes were caught; false on time-out.
    bool WaitFor(size_t count, DWORD timeoutMs = 10000) const;

private:
    void Run();
    void Sweep();

    DWORD processId_;
    int button_;
    std::atomic<bool> stop_{false};
    mutable std::mutex lock_;
    std::vector<CaughtBox> boxes_;
    std::vector<HWND> answered_;
    std::thread thread_;
};
