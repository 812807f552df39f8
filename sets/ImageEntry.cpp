#include "sets/ImageEntry.h"

#include "settings/Settings.h"
#include "sets/RegistryValues.h"

namespace {
// The marks matter only to random order, so only then are they stored.
bool MarksAreStored() { return Settings.VistalCycleMethod == CYCLE_RANDOM; }

CString MarkValueName(const char* valueName) { return CString(valueName) + "D"; }
}  // namespace

BOOL CImageEntry::WriteToRegistry(HKEY setKey, const char* valueName) const {
    if (!WriteString(setKey, valueName, m_strPath)) return FALSE;
    if (MarksAreStored() && !WriteDword(setKey, MarkValueName(valueName), static_cast<DWORD>(m_bShown)))
        return FALSE;
    return TRUE;
}

BOOL CImageEntry::ReadFromRegistry(HKEY setKey, const char* valueName) {
    if (!ReadString(setKey, valueName, m_strPath)) return FALSE;
    if (MarksAreStored()) {
        // A set saved under another order has no marks: missing, a mark
        // reads as "not shown", so switching to random order hides no set.
        DWORD shown = 0;
        ReadDword(setKey, MarkValueName(valueName), shown);
        m_bShown = shown != 0 ? 1 : 0;
    }
    return TRUE;
}
