#include "CFileFind.h"

#include <algorithm>
#include <vector>

namespace {

// Absolute form of `path` (any length).
CString FullPath(const char* path) {
    const DWORD needed = GetFullPathNameA(path, 0, nullptr, nullptr);
    if (needed == 0) return CString(path);
    std::vector<char> buffer(needed + 1);
    const DWORD written = GetFullPathNameA(path, static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    return written == 0 || written >= buffer.size() ? CString(path) : CString(buffer.data());
}

// The folder part of an absolute pattern, with its trailing separator.
CString FolderOf(const CString& absolutePattern) {
    const int slash = std::max(absolutePattern.ReverseFind('\\'), absolutePattern.ReverseFind('/'));
    return slash < 0 ? CString() : absolutePattern.Left(slash + 1);
}

}  // namespace

BOOL CFileFind::FindFile(const char* pattern) {
    Close();
    if (!pattern || !*pattern) pattern = "*.*";
    handle_.reset(FindFirstFileA(pattern, &next_));
    if (!handle_) return FALSE;
    hasNext_ = true;
    root_ = FolderOf(FullPath(pattern));
    return TRUE;
}

BOOL CFileFind::FindNextFile() {
    if (!hasNext_) return FALSE;
    current_ = next_;
    hasCurrent_ = true;
    hasNext_ = ::FindNextFileA(handle_.get(), &next_) != 0;
    return hasNext_ ? TRUE : FALSE;
}

void CFileFind::Close() {
    handle_.reset();
    hasNext_ = hasCurrent_ = false;
    root_.Empty();
}

CString CFileFind::GetFilePath() const {
    return hasCurrent_ ? root_ + current_.cFileName : CString();
}

BOOL CFileFind::IsDirectory() const {
    return hasCurrent_ && (current_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? TRUE : FALSE;
}

BOOL CFileFind::IsDots() const {
    if (!IsDirectory()) return FALSE;
    const char* name = current_.cFileName;
    return (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) ? TRUE : FALSE;
}
