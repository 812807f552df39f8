// The parts of a path, by its text alone: nothing is looked up on disk.
#pragma once

#include "CString.h"

// The file name with its extension: the text after the last "\", "/" or ":".
CString FileNamePart(const char* path);
// The folder: the text before the last "\" or "/"; "." when there is none.
CString FolderPart(const char* path);
