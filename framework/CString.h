// Narrow-character string in the framework's style, over std::string.
#pragma once

#include <windows.h>
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* text) : text_(text ? text : "") {}
    CString(const std::string& text) : text_(text) {}
    CString(const char* text, int length) : text_(text ? std::string(text, length) : std::string()) {}

    int GetLength() const noexcept { return static_cast<int>(text_.size()); }
    bool IsEmpty() const noexcept { return text_.empty(); }
    void Empty() noexcept { text_.clear(); }
    const char* GetString() const noexcept { return text_.c_str(); }
    operator const char*() const noexcept { return text_.c_str(); }
    const std::string& str() const noexcept { return text_; }

    char GetAt(int index) const { return text_.at(static_cast<size_t>(index)); }

    CString& operator=(const char* text) { text_ = text ? text : ""; return *this; }
    CString& operator+=(const CString& other) { text_ += other.text_; return *this; }
    CString& operator+=(const char* text) { if (text) text_ += text; return *this; }
    CString& operator+=(char c) { text_ += c; return *this; }

    friend CString operator+(CString a, const CString& b) { a += b; return a; }
    friend CString operator+(CString a, const char* b) { a += b; return a; }
    friend CString operator+(const char* a, const CString& b) { CString s(a); s += b; return s; }
    friend bool operator==(const CString& a, const CString& b) { return a.text_ == b.text_; }
    friend bool operator==(const CString& a, const char* b) { return a.text_ == (b ? b : ""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

    // printf-style formatting of any length.
    void Format(const char* format, ...);

    // Loads a string-table entry of the program's module; false when absent.
    bool LoadString(UINT id);

    // Replaces every occurrence of `from` (exact case); returns how many.
    int Replace(const char* from, const char* to);

    // Zero-based position of `text` at or after `start`, or -1.
    int Find(const char* text, int start = 0) const;
    int ReverseFind(char c) const;

    CString Left(int count) const;

private:
    std::string text_;
};
