#include "FilePath.h"

#include <cstring>

namespace {

// The last of `separators` in `path`, or null.
const char* LastOf(const char* path, const char* separators) {
    const char* last = nullptr;
    for (const char* p = path; *p; ++p)
        if (std::strchr(separators, *p)) last = p;
    return last;
}

}  // namespace

CString FileNamePart(const char* path) {
    if (!path) return CString();
    const char* cut = LastOf(path, "\\/:");
    return CString(cut ? cut + 1 : path);
}

CString FolderPart(const char* path) {
    const char* cut = path ? LastOf(path, "\\/") : nullptr;
    return cut ? CString(path, static_cast<int>(cut - path)) : CString(".");
}
