#include "HtmlHelp.h"

#include "framework/DynamicLibrary.h"
#include "framework/Lifetime.h"
#include "framework/RegKey.h"

namespace {

typedef HWND(WINAPI* HtmlHelpProc)(HWND, LPCSTR, UINT, DWORD_PTR);

DynamicLibrary LoadHelpControl() {
    // The control's registered location first, then the system's copy by name.
    RegKey key;
    CString path;
    if (key.Open(HKEY_CLASSES_ROOT, "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32",
                 KEY_QUERY_VALUE) &&
        key.QueryString(nullptr, path) && !path.IsEmpty()) {
        DynamicLibrary registered(path);
        if (registered) return registered;
    }
    return DynamicLibrary("hhctrl.ocx");
}

// Loaded at the first request and kept for the whole process, global
// destructors included: the help window runs inside the control while the
// program may still be ending.
HtmlHelpProc BoundEntry() {
    static NeverDestroyed<DynamicLibrary> control(LoadHelpControl());
    static const HtmlHelpProc entry = control.get().Entry<HtmlHelpProc>(MAKEINTRESOURCEA(14));
    return entry;
}

}  // namespace

HWND HtmlHelpA(HWND owner, const char* file, UINT command, DWORD_PTR data) {
    HtmlHelpProc entry = BoundEntry();
    return entry ? entry(owner, file, command, data) : nullptr;
}
