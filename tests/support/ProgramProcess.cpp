#include "ProgramProcess.h"

#include "TestPaths.h"
#include "WaitUntil.h"

#include <tlhelp32.h>

namespace {

std::string Quote(const std::string& text) {
    return "\"" + text + "\"";
}

}  // namespace

ProgramProcess::~ProgramProcess() {
    if (!info_.hProcess) return;
    if (!WaitForExit(0)) {
        Exit(5000);
        if (!WaitForExit(0)) TerminateProcess(info_.hProcess, 1);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool ProgramProcess::Start(const std::vector<std::string>& arguments, const std::string& folder) {
    const std::string program = DistDir() + "\\Vistals.exe";
    std::string commandLine = Quote(program);
    for (const std::string& argument : arguments) commandLine += " " + Quote(argument);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    return CreateProcessA(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? DistDir().c_str() : folder.c_str(), &startup, &info_) != 0;
}

HWND ProgramProcess::WaitForFrame(DWORD timeoutMs) const {
    std::vector<HWND> frames;
    WaitUntil([&] {
        frames = WindowsOfProcess(info_.dwProcessId, [](HWND window) { return WindowTextOf(window) == "Vistals"; });
        return !frames.empty();
    }, timeoutMs);
    return frames.empty() ? nullptr : frames.front();
}

bool ProgramProcess::WaitForExit(DWORD timeoutMs) const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD ProgramProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

bool ProgramProcess::Exit(DWORD timeoutMs) {
    if (HWND frame = WaitForFrame(0)) PostMessageA(frame, WM_COMMAND, 57665 /* ID_APP_EXIT */, 0);
    return WaitForExit(timeoutMs);
}

bool ProgramProcess::WaitForMessageLoop(HWND frame) const {
    const size_t before = VisibleAboutBoxes(info_.dwProcessId).size();
    if (!PostMessageA(frame, WM_COMMAND, 57664 /* ID_APP_ABOUT */, 0)) return false;
    return WaitUntil([&] { return VisibleAboutBoxes(info_.dwProcessId).size() > before; });
}

HWND ProgramProcess::StartRunning(const std::vector<std::string>& arguments) {
    if (!Start(arguments)) return nullptr;
    HWND frame = WaitForFrame();
    return frame && WaitForMessageLoop(frame) ? frame : nullptr;
}

int ProgramProcess::ThreadCount() const {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == info_.dwProcessId;
    CloseHandle(snapshot);
    return count;
}
