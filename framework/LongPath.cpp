#include "LongPath.h"

#include "Handle.h"

namespace {

std::wstring Widen(const char* text) {
    const int needed = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (needed <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], needed);
    wide.resize(static_cast<size_t>(needed - 1));
    return wide;
}

CString Narrow(const wchar_t* text) {
    const int needed = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return CString();
    std::string narrow(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], needed, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(needed - 1));
    return CString(narrow);
}

// `path` made whole as the system makes it: "\" separators, "." and ".."
// parts resolved, absolute; empty when it cannot be. (The wide call has no
// length limit.)
std::wstring FullWidePath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(needed, L'\0');
    const DWORD length = needed ? GetFullPathNameW(path.c_str(), needed, &full[0], nullptr) : 0;
    if (length == 0 || length >= needed) return std::wstring();
    full.resize(length);
    return full;
}

}  // namespace

std::wstring WidePathAnyLength(const char* path) {
    const std::wstring wide = Widen(path ? path : "");
    if (wide.size() < MAX_PATH - 12 || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    // The "\\?\" form takes the path as it is, so it is made whole first.
    const std::wstring full = FullWidePath(wide);
    if (full.empty()) return wide;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

CString FullPathAnyLength(const char* path) {
    const std::wstring full = FullWidePath(Widen(path ? path : ""));
    return full.empty() ? CString(path ? path : "") : Narrow(full.c_str());
}

DWORD FileAttributesAnyLength(const char* path) {
    return GetFileAttributesW(WidePathAnyLength(path).c_str());
}

bool PathExists(const char* path) {
    return path && *path && FileAttributesAnyLength(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsExistingFolder(const char* path) {
    const DWORD attributes = FileAttributesAnyLength(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<CString> FileNamesInFolder(const char* folder) {
    std::string pattern(folder ? folder : "");
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
    pattern += '*';
    std::vector<CString> names;
    WIN32_FIND_DATAW found{};
    FindHandle search(FindFirstFileW(WidePathAnyLength(pattern.c_str()).c_str(), &found));
    if (!search) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(Narrow(found.cFileName));
    } while (FindNextFileW(search.get(), &found));
    return names;
}
