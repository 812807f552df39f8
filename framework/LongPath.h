// File system queries for paths of any length. The narrow Windows calls stop
// at MAX_PATH; these go through the wide calls with the "\\?\" form when a
// path needs it.
#pragma once

#include "CString.h"

#include <string>
#include <vector>

// The wide form of a narrow (ANSI) path. A path too long for the narrow calls
// (folders stop 12 characters short of MAX_PATH) is made whole, as the system
// resolves it, and gets "\\?\" (or "\\?\UNC\") in front.
std::wstring WidePathAnyLength(const char* path);

// GetFileAttributes for a path of any length; INVALID_FILE_ATTRIBUTES when
// nothing is there.
DWORD FileAttributesAnyLength(const char* path);
// Something (a file or a folder) is at `path`; false for an empty path.
bool PathExists(const char* path);
bool IsExistingFolder(const char* path);
// `path` made absolute and whole as the system resolves it ("." and ".."
// parts gone), without the "\\?\" form; `path` itself when it cannot be.
CString FullPathAnyLength(const char* path);

// Names (not paths) of the files, not folders, directly in `folder`.
std::vector<CString> FileNamesInFolder(const char* folder);
