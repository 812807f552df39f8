#include "sets/ImageEntry.h"

namespace {
CString MarkValueName(const char* valueName) { return CString(valueName) + "D"; }
}  // namespace

BOOL CImageEntry::WriteToRegistry(RegKey& setKey, const char* valueName, bool storeMark) const {
    if (!setKey.SetString(valueName, m_strPath)) return FALSE;
    if (storeMark && !setKey.SetDword(MarkValueName(valueName), static_cast<DWORD>(m_bShown))) return FALSE;
    return TRUE;
}

BOOL CImageEntry::ReadFromRegistry(const RegKey& setKey, const char* valueName, bool readMark) {
    if (!setKey.QueryString(valueName, m_strPath)) return FALSE;
    if (readMark) {
        // A set saved under another order has no marks. A missing mark reads
        // as "not shown", so that switching to random order hides no set:
        // whether the query found it does not matter.
        DWORD shown = 0;
        static_cast<void>(setKey.QueryDword(MarkValueName(valueName), shown));
        m_bShown = shown != 0 ? 1 : 0;
    }
    return TRUE;
}
