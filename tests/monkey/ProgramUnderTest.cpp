#include "ProgramUnderTest.h"

#include "support/WindowFinder.h"
#include "support/WaitUntil.h"

#include <tlhelp32.h>

#include <cstring>

namespace {

const char kSelectCaption[] = "Select Background Images";
const char kOptionsCaption[] = "Options";
// The tray menu's resource.
constexpr int kTrayMenu = 130;
// The About box's Order and Continue buttons.
constexpr int kOrderButton = 1015, kContinueButton = 1016;

// Windows that come and go with a control and are no window of their own.
bool IsTransient(const std::string& cls) {
    return cls == "tooltips_class32" || cls == "ComboLBox" || cls == "IME";
}

// The notification area's first icon, at the right end of the taskbar.
POINT TrayIconPoint() {
    RECT bar{};
    if (HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr); taskbar && GetWindowRect(taskbar, &bar))
        return {bar.right - 11, (bar.top + bar.bottom) / 2};
    return {1013, 758};
}

INPUT MouseInput(POINT at, DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = at.x * 65536 / GetSystemMetrics(SM_CXSCREEN);
    input.mi.dy = at.y * 65536 / GetSystemMetrics(SM_CYSCREEN);
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return input;
}

void Click(POINT at, DWORD down, DWORD up, int times) {
    std::vector<INPUT> inputs;
    for (int i = 0; i < times; ++i) {
        inputs.push_back(MouseInput(at, down));
        inputs.push_back(MouseInput(at, up));
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

DWORD ProcessOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

// Visible windows of other programs than `program`, the desktop and this
// run, Wine's crash dialog left out (it is a finding, not something to close).
std::vector<HWND> ForeignWindows(DWORD program) {
    const DWORD desktop = ProcessOf(FindWindowA("Shell_TrayWnd", nullptr));
    return TopLevelWindows([&](HWND window) {
        const DWORD owner = ProcessOf(window);
        return IsWindowVisible(window) && owner != program && owner != desktop && owner != GetCurrentProcessId() &&
               WindowTextOf(window) != "Program Error" && !IsTransient(ClassNameOf(window));
    });
}

BOOL CALLBACK FindVisible(HWND window, LPARAM found) {
    if (IsWindowVisible(window)) *reinterpret_cast<bool*>(found) = true;
    return TRUE;
}

// Threads of `processId` other than `mainThread` that show no window.
int BusyThreads(DWORD processId, DWORD mainThread) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int busy = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId || entry.th32ThreadID == mainThread) continue;
        bool showsWindow = false;
        EnumThreadWindows(entry.th32ThreadID, FindVisible, reinterpret_cast<LPARAM>(&showsWindow));
        busy += !showsWindow;
    }
    CloseHandle(snapshot);
    return busy;
}

// The texts of a Unicode dialog's controls, one after the other.
std::string UnicodeTexts(HWND dialog) {
    std::vector<HWND> children;
    EnumChildWindows(dialog, CollectWindow, reinterpret_cast<LPARAM>(&children));
    std::string texts;
    for (HWND child : children) {
        wchar_t wide[512] = {};
        char narrow[1024] = {};
        GetWindowTextW(child, wide, 512);
        WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
        if (narrow[0]) texts += (texts.empty() ? "" : " ") + std::string(narrow);
    }
    return texts;
}

}  // namespace

ProgramUnderTest::ProgramUnderTest(std::string program, std::string folder)
    : program_(std::move(program)), folder_(std::move(folder)) {
    sharedMapping_.reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            sizeof(monkey_hook::Shared), monkey_hook::kSharedName));
    if (sharedMapping_)
        shared_ = static_cast<monkey_hook::Shared*>(MapViewOfFile(sharedMapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    hookLibrary_ = LoadLibraryA("monkey_hook.dll");
}

ProgramUnderTest::~ProgramUnderTest() {
    if (process_ && Running()) Kill();
    Unhook();
    if (hookLibrary_) FreeLibrary(hookLibrary_);
    if (shared_) UnmapViewOfFile(shared_);
}

bool ProgramUnderTest::Start() {
    Unhook();
    process_ = std::make_unique<ProgramProcess>();
    if (!process_->Start({}, folder_, program_)) return false;
    frame_ = process_->WaitForFrame(30000);
    if (!frame_ || !HookThread() || Settle(30000) != Settled::Yes) return false;
    AwaitQuiet(10000);  // the first change
    return true;
}

bool ProgramUnderTest::HookThread() {
    if (!shared_ || !hookLibrary_) return false;
    const DWORD thread = GetWindowThreadProcessId(frame_, nullptr);
    auto hook = [&](int kind, const char* name) {
        const auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(hookLibrary_, name)));
        return proc ? SetWindowsHookExA(kind, proc, hookLibrary_, thread) : nullptr;
    };
    queueHook_ = hook(WH_GETMESSAGE, "MonkeyWatchQueue");
    sentHook_ = hook(WH_CALLWNDPROC, "MonkeyWatchSent");
    return queueHook_ && sentHook_;
}

void ProgramUnderTest::Unhook() {
    if (queueHook_) UnhookWindowsHookEx(queueHook_);
    if (sentHook_) UnhookWindowsHookEx(sentHook_);
    queueHook_ = sentHook_ = nullptr;
}

bool ProgramUnderTest::Running() const { return process_ && !process_->WaitForExit(0); }
DWORD ProgramUnderTest::ExitCode() const { return process_ ? process_->ExitCode() : 0; }
void ProgramUnderTest::Kill() { if (process_) process_->Kill(); }
bool ProgramUnderTest::WaitForExit(DWORD timeoutMs) const { return !process_ || process_->WaitForExit(timeoutMs); }

std::vector<MenuItem> ProgramUnderTest::TrayMenuItems() const {
    std::vector<MenuItem> items;
    HMODULE resources = LoadLibraryExA(program_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HMENU menu = resources ? LoadMenuA(resources, MAKEINTRESOURCEA(kTrayMenu)) : nullptr;
    HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
    for (int position = 0; popup && position < GetMenuItemCount(popup); ++position) {
        char text[128] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        if (!GetMenuItemInfoA(popup, position, TRUE, &info) || (info.fType & MFT_SEPARATOR)) continue;
        std::string shown;
        for (const char* c = text; *c; ++c)
            if (*c != '&') shown += *c;
        items.push_back({info.wID, shown});
    }
    if (menu) DestroyMenu(menu);
    if (resources) FreeLibrary(resources);
    return items;
}

Inventory ProgramUnderTest::Windows() const {
    Inventory found;
    if (!Running()) return found;
    found.frame = IsWindow(frame_) ? frame_ : nullptr;
    found.foreign = ForeignWindows(process_->Id());
    for (HWND window : WindowsOfProcess(process_->Id())) {
        if (window == frame_) continue;
        const std::string cls = ClassNameOf(window);
        const bool visible = IsWindowVisible(window) != FALSE;
        if (cls == "#32770") {
            const std::string title = WindowTextOf(window);
            if (title == kSelectCaption)
                found.selectDialogs.push_back(window);
            else if (title == kOptionsCaption && FindWindowExA(window, nullptr, "SysTabControl32", nullptr))
                found.optionsSheets.push_back(window);
            else if (visible)
                found.messageBoxes.push_back(window);
        } else if (!visible || IsTransient(cls)) {
            continue;
        } else if (cls == "#32768") {
            found.menus.push_back(window);
        } else if (GetDlgItem(window, kOrderButton) && GetDlgItem(window, kContinueButton)) {
            found.aboutBoxes.push_back(window);
        } else {
            found.others.push_back(window);
        }
    }
    return found;
}

Settled ProgramUnderTest::Settle(DWORD timeoutMs) {
    static const UINT marker = RegisterWindowMessageA(monkey_hook::kMarkerName);
    const DWORD start = GetTickCount();
    // Twice: what the first marker's predecessors posted comes before the second.
    for (int round = 0; round < 2; ++round) {
        const LONG number = ++markers_;
        const bool posted = IsWindow(frame_) && PostMessageA(frame_, marker, static_cast<WPARAM>(number), 0);
        for (int polls = 0; !posted || shared_->markerTaken != number; ++polls) {
            if (!Running()) return Settled::Ended;
            if (polls % 100 == 99 && !CrashSign().empty()) return Settled::Crashed;
            if (GetTickCount() - start > timeoutMs) return Settled::Hung;
            Sleep(1);
        }
    }
    return Settled::Yes;
}

void ProgramUnderTest::AwaitQuiet(DWORD timeoutMs) const {
    if (!Running()) return;
    const DWORD mainThread = GetWindowThreadProcessId(frame_, nullptr);
    WaitUntil([&] { return !Running() || BusyThreads(process_->Id(), mainThread) == 0; }, timeoutMs);
}

std::string ProgramUnderTest::CrashSign() const {
    // Wine's crash dialog names the program that crashed.
    std::vector<HWND> all;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all)
        if (IsWindowVisible(window) && WindowTextOf(window) == "Program Error") {
            const std::string texts = UnicodeTexts(window);
            if (texts.find("Vistals.exe") != std::string::npos) return texts;
        }
    // The C runtime's own last words.
    if (Running())
        for (HWND window : WindowsOfProcess(process_->Id()))
            if (IsWindowVisible(window) && WindowTextOf(window).find("Runtime") != std::string::npos)
                return WindowTextOf(window) + ": " + WindowTextOf(GetDlgItem(window, 0xFFFF));
    return {};
}

void ProgramUnderTest::Drop(HWND window, const std::vector<std::string>& paths) {
    static const UINT request = RegisterWindowMessageA(monkey_hook::kDropRequestName);
    size_t at = 0;
    for (const std::string& path : paths) {
        if (at + path.size() + 2 > sizeof shared_->dropPaths) break;
        std::memcpy(shared_->dropPaths + at, path.c_str(), path.size() + 1);
        at += path.size() + 1;
    }
    shared_->dropPaths[at] = '\0';
    PostMessageA(window, request, 0, 0);
}

std::string ProgramUnderTest::WindowOverTrayIcon() const {
    HWND window = GetAncestor(WindowFromPoint(TrayIconPoint()), GA_ROOT);
    if (!window || window == FindWindowA("Shell_TrayWnd", nullptr)) return {};
    return ClassNameOf(window) + " \"" + WindowTextOf(window) + "\"";
}

// On Windows the taskbar stays on top; in Wine's desktop a window opened
// later (a folder, say) can cover it, and a person would move it aside.
void ProgramUnderTest::UncoverTrayIcon() const {
    for (int tries = 0; tries < 4; ++tries) {
        HWND window = GetAncestor(WindowFromPoint(TrayIconPoint()), GA_ROOT);
        HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
        if (!window || window == taskbar) return;
        SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (taskbar) SetWindowPos(taskbar, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void ProgramUnderTest::RightClickTrayIcon() const {
    UncoverTrayIcon();
    Click(TrayIconPoint(), MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 1);
}

bool ProgramUnderTest::DoubleClickTrayIcon() const {
    const LONG before = shared_->trayDoubleClicks;
    UncoverTrayIcon();
    Click(TrayIconPoint(), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 2);
    // The shell passes it on in its own time.
    return WaitUntil([&] { return shared_->trayDoubleClicks != before || !Running(); }, 10000);
}

