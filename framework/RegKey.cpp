#include "RegKey.h"

bool RegKey::Open(HKEY parent, const char* path, REGSAM access) {
    Owned<handle_traits::RegKey> opened;
    if (RegOpenKeyExA(parent, path, 0, access, opened.put()) != ERROR_SUCCESS) return false;
    key_ = std::move(opened);
    return true;
}

bool RegKey::Create(HKEY parent, const char* path, REGSAM access) {
    Owned<handle_traits::RegKey> created;
    if (RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, created.put(),
                        nullptr) != ERROR_SUCCESS)
        return false;
    key_ = std::move(created);
    return true;
}

bool RegKey::QueryDword(const char* name, DWORD& value) const {
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExA(get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
        return false;
    value = data;
    return true;
}

bool RegKey::QueryString(const char* name, CString& value) const {
    // Ask for the size first so that names and paths of any length load; try
    // again should the value grow between the two calls.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD size = 0;
        if (RegQueryValueExA(get(), name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return false;
        std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
        DWORD read = size;
        const LONG result =
            RegQueryValueExA(get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &read);
        if (result == ERROR_MORE_DATA) continue;
        if (result != ERROR_SUCCESS) return false;
        buffer[read < size ? read : size] = '\0';
        value = buffer.data();
        return true;
    }
    return false;
}

bool RegKey::SetValue(const char* name, DWORD type, const void* data, DWORD size) {
    return RegSetValueExA(get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool RegKey::SetDword(const char* name, DWORD value) {
    return SetValue(name, REG_DWORD, &value, sizeof value);
}

bool RegKey::SetString(const char* name, const char* value) {
    if (!value) value = "";
    return SetValue(name, REG_SZ, value, static_cast<DWORD>(std::char_traits<char>::length(value) + 1));
}

std::vector<std::string> RegKey::SubkeyNames() const {
    std::vector<std::string> names;
    DWORD longest = 0;
    if (RegQueryInfoKeyA(get(), nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return names;
    std::vector<char> buffer(static_cast<size_t>(longest) + 1);
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        if (RegEnumKeyExA(get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(buffer.data(), length);
    }
    return names;
}

bool RegKey::QueryValues(std::vector<Value>& values) const {
    DWORD longestName = 0, longestData = 0;
    if (RegQueryInfoKeyA(get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    std::vector<char> name(static_cast<size_t>(longestName) + 1);
    std::vector<BYTE> data(static_cast<size_t>(longestData) + 1);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG result =
            RegEnumValueA(get(), index, name.data(), &nameLength, nullptr, &type, data.data(), &dataLength);
        if (result == ERROR_NO_MORE_ITEMS) return true;
        if (result != ERROR_SUCCESS) return false;
        values.push_back({std::string(name.data(), nameLength), type,
                          std::vector<BYTE>(data.begin(), data.begin() + dataLength)});
    }
}

bool RegKey::DeleteKey(const char* name) const {
    return RegDeleteKeyA(get(), name) == ERROR_SUCCESS;
}

bool RegKey::DeleteTree(const char* name) const {
    return RegDeleteTreeA(get(), name) == ERROR_SUCCESS;
}
