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

bool RegKey::DeleteTree(const char* name) const {
    return RegDeleteTreeA(get(), name) == ERROR_SUCCESS;
}

namespace {
// Key names in the wide form the rename takes; ours are plain ANSI text.
std::wstring Wide(const char* text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<size_t>(length) : 1, L'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    wide.resize(wide.size() - 1);
    return wide;
}
}  // namespace

bool RegKey::RenameSubkey(const char* name, const char* newName) const {
    return RegRenameKey(get(), Wide(name).c_str(), Wide(newName).c_str()) == ERROR_SUCCESS;
}

bool RegKey::CopyTree(const char* name, const RegKey& destination) const {
    return RegCopyTreeA(get(), name, destination.get()) == ERROR_SUCCESS;
}
