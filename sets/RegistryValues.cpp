#include "sets/RegistryValues.h"

#include <vector>

bool ReadDword(HKEY key, const char* name, DWORD& value) {
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
        return false;
    value = data;
    return true;
}

bool ReadString(HKEY key, const char* name, CString& value) {
    // Ask for the size first so that names and paths of any length load; try
    // again should the value grow between the two calls.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return false;
        std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
        DWORD read = size;
        const LONG result =
            RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &read);
        if (result == ERROR_MORE_DATA) continue;
        if (result != ERROR_SUCCESS) return false;
        buffer[read < size ? read : size] = '\0';
        value = buffer.data();
        return true;
    }
    return false;
}

bool WriteDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

bool WriteString(HKEY key, const char* name, const CString& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.GetString()),
                          static_cast<DWORD>(value.GetLength()) + 1) == ERROR_SUCCESS;
}
