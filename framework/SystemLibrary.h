// A system library the program needs only while one of its dialogs is open.
// Linked normally, the common controls and the common dialogs (and, through
// them, the print spooler and COM) would stay mapped for the whole life of a
// program that waits in the notification area all day; loaded here, they
// come with the dialog and go with it.
#pragma once

#include "Handle.h"

#include <windows.h>
#include <commctrl.h>

class SystemLibrary {
public:
    explicit SystemLibrary(const char* name) noexcept : module_(LoadLibraryA(name)) {}

    // The library's function `name` as `Fn`, or null when it is missing.
    template <class Fn>
    Fn Entry(const char* name) const noexcept {
        if (!module_) return nullptr;
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
    }

private:
    ModuleHandle module_;
};

// The common controls, loaded and with `classes` registered for as long as
// this object lives. The program's manifest picks version 6 when there is one.
class CommonControls {
public:
    explicit CommonControls(DWORD classes) noexcept;
    const SystemLibrary& Library() const noexcept { return library_; }

private:
    SystemLibrary library_;
};
