// Runs the installed Vistals.exe as a child process for end-to-end tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/WaitUntil.h"
#include "support/WindowFinder.h"

class ProgramProcess {
public:
    ProgramProcess() = default;
    ~ProgramProcess();  // ends the program if it still runs
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    // Starts <dist>\Vistals.exe with the given arguments, in `folder`
    // (empty: the program's own folder).
    bool Start(const std::vector<std::string>& arguments = {}, const std::string& folder = {});
    DWORD Id() const { return info_.dwProcessId; }
    // The program's top-level window titled "Vistals"; waits for it.
    HWND WaitForFrame(DWORD timeoutMs = 15000) const;
    // Waits for the process to end; false on time-out.
    bool WaitForExit(DWORD timeoutMs = 15000) const;
    DWORD ExitCode() const;
    // Threads the program runs now; a running change shows as one more.
    int ThreadCount() const;
    // Asks the program to exit through its own command and waits.
    bool Exit(DWORD timeoutMs = 15000);
    // Waits until start-up is over and the message loop runs: an About box
    // asked for through the frame's queue has appeared.
    bool WaitForMessageLoop(HWND frame) const;
    // Start, WaitForFrame and WaitForMessageLoop: the frame, or null.
    HWND StartRunning(const std::vector<std::string>& arguments = {});

private:
    PROCESS_INFORMATION info_{};
};

