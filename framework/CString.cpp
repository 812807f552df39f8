#include "CString.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0) {
        text_.clear();
    } else {
        std::vector<char> buffer(static_cast<size_t>(needed) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        text_.assign(buffer.data(), static_cast<size_t>(needed));
    }
    va_end(args);
}

bool CString::LoadString(UINT id) {
    // The string table stores counted UTF-16 strings; ask for a pointer to it
    // so any length loads, then convert to the ANSI code page.
    const wchar_t* raw = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&raw), 0);
    if (length <= 0 || !raw) {
        text_.clear();
        return false;
    }
    const int bytes = WideCharToMultiByte(CP_ACP, 0, raw, length, nullptr, 0, nullptr, nullptr);
    text_.assign(static_cast<size_t>(std::max(bytes, 0)), '\0');
    WideCharToMultiByte(CP_ACP, 0, raw, length, &text_[0], bytes, nullptr, nullptr);
    return true;
}

int CString::Replace(const char* from, const char* to) {
    const std::string needle = from ? from : "";
    const std::string replacement = to ? to : "";
    if (needle.empty()) return 0;
    int count = 0;
    for (size_t pos = text_.find(needle); pos != std::string::npos;
         pos = text_.find(needle, pos + replacement.size())) {
        text_.replace(pos, needle.size(), replacement);
        ++count;
    }
    return count;
}

int CString::Find(const char* text, int start) const {
    if (!text || start < 0 || start > GetLength()) return -1;
    const size_t pos = text_.find(text, static_cast<size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char c) const {
    const size_t pos = text_.rfind(c);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

CString CString::Left(int count) const {
    return CString(text_.substr(0, static_cast<size_t>(std::clamp(count, 0, GetLength()))));
}

