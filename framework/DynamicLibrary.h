// A library loaded at run time, and its entry points; unloaded when the
// object goes. The program binds every library it does not link this way:
// the common controls and dialogs, the HTML Help control, the codec library.
#pragma once

#include "Handle.h"

#include <windows.h>
#include <commctrl.h>

class DynamicLibrary {
public:
    DynamicLibrary() noexcept = default;
    // Loads `path`; when that fails the object is empty and GetLastError
    // says why.
    explicit DynamicLibrary(const char* path) noexcept : module_(LoadLibraryA(path)) {}

    explicit operator bool() const noexcept { return bool(module_); }

    // The library's function `name` (or MAKEINTRESOURCEA(ordinal)) as `Fn`,
    // or null when it is missing.
    template <class Fn>
    Fn Entry(const char* name) const noexcept {
        if (!module_) return nullptr;
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
    }

private:
    ModuleHandle module_;
};

// The common controls, loaded and with `classes` registered for as long as
// this object lives. A program linked without them, as this one is, keeps
// them (and, through the common dialogs, the print spooler and COM) out of
// its memory while it waits in the notification area; the windows that need
// them hold them while they are open. The program's manifest picks version 6.
class CommonControls {
public:
    explicit CommonControls(DWORD classes) noexcept;
    const DynamicLibrary& Library() const noexcept { return library_; }

private:
    DynamicLibrary library_;
};
