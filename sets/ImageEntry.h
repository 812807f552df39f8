// One picture of an image set.
#pragma once

#include "framework/CObject.h"
#include "framework/CString.h"
#include "framework/RegKey.h"

#include <stdint.h>
#include <windows.h>

class CImageEntry : public CObject {
public:
    explicit CImageEntry(const char* path) : m_strPath(path) {}

    // The path exactly as it was given; never normalised or checked here.
    CString m_strPath;
    // 1 once the picture was chosen in the running cycle of random order.
    int32_t m_bShown = 0;

    // Writes the path as value `valueName` of the set key and, with
    // `storeMark`, the mark as `valueName` + "D".
    BOOL WriteToRegistry(RegKey& setKey, const char* valueName, bool storeMark) const;
    // Reads what WriteToRegistry wrote; FALSE when the path is missing.
    BOOL ReadFromRegistry(const RegKey& setKey, const char* valueName, bool readMark);
};
