// File search in the framework's style:
//
//     CFileFind finder;
//     for (BOOL more = finder.FindFile("C:\\pics\\*.jpg"); more; ) {
//         more = finder.FindNextFile();   // FALSE once the last match is current
//         Use(finder.GetFilePath());
//     }
#pragma once

#include "CString.h"
#include "Handle.h"

class CFileFind {
public:
    CFileFind() = default;
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

    // Starts a search; TRUE when something matches. The first match becomes
    // current only with the first FindNextFile.
    BOOL FindFile(const char* pattern = "*.*");
    // Makes the next match current; FALSE when it is the last one.
    BOOL FindNextFile();
    void Close();

    // The pattern's folder, made absolute, plus the current match's name.
    CString GetFilePath() const;
    BOOL IsDirectory() const;
    BOOL IsDots() const;

private:
    FindHandle handle_;
    WIN32_FIND_DATAA current_{};
    WIN32_FIND_DATAA next_{};
    bool hasNext_ = false;
    bool hasCurrent_ = false;
    CString root_;
};
