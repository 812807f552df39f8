#include "HtmlHelp.h"

#include "framework/RegKey.h"

#include <mutex>

namespace {

typedef HWND(WINAPI* HtmlHelpProc)(HWND, LPCSTR, UINT, DWORD_PTR);

HMODULE LoadHelpControl() {
    // The control's registered location first, then the system's copy by name.
    RegKey key;
    CString path;
    if (key.Open(HKEY_CLASSES_ROOT, "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32",
                 KEY_QUERY_VALUE) &&
        key.QueryString(nullptr, path) && !path.IsEmpty()) {
        if (HMODULE module = LoadLibraryA(path)) return module;
    }
    return LoadLibraryA("hhctrl.ocx");
}

// Lives for the whole process; the module is never unloaded while the
// program may still call into it.
HtmlHelpProc BoundEntry() {
    static HtmlHelpProc entry = [] {
        HMODULE module = LoadHelpControl();
        return module ? reinterpret_cast<HtmlHelpProc>(
                            reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(14))))
                      : nullptr;
    }();
    return entry;
}

}  // namespace

HWND HtmlHelpA(HWND owner, const char* file, UINT command, DWORD_PTR data) {
    HtmlHelpProc entry = BoundEntry();
    return entry ? entry(owner, file, command, data) : nullptr;
}
