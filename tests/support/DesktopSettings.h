// Reads the user's desktop settings as Windows keeps them.
#pragma once

#include <windows.h>

#include <string>

// A text value under HKCU\Control Panel\Desktop, or "<missing>".
inline std::string DesktopValue(const char* name) {
    char buffer[1024] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return "<missing>";
    return buffer;
}
