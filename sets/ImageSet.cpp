#include "sets/ImageSet.h"

CImageSet::~CImageSet() {
    while (!IsEmpty()) delete RemoveHead();
}

void CImageSet::AddEntry(std::unique_ptr<CImageEntry> entry) {
    AddTail(entry.get());  // may throw; the entry is still ours then
    entry.release();
}

CImageEntry* CImageSet::GetEntry(int position) const {
    POSITION at = FindIndex(position);
    return at ? static_cast<CImageEntry*>(GetAt(at)) : nullptr;
}

std::unique_ptr<CImageEntry> CImageSet::RemoveEntry(int position) {
    POSITION at = FindIndex(position);
    if (!at) return nullptr;
    std::unique_ptr<CImageEntry> entry(static_cast<CImageEntry*>(GetAt(at)));
    RemoveAt(at);
    return entry;
}

void CImageSet::MarkShown(int position) {
    if (CImageEntry* entry = GetEntry(position)) entry->m_bShown = 1;
}

void CImageSet::ClearShown() {
    for (POSITION at = GetHeadPosition(); at;) static_cast<CImageEntry*>(GetNext(at))->m_bShown = 0;
}

namespace {
CString PictureValueName(int position) {
    CString name;
    name.Format("I%d", position);
    return name;
}
}  // namespace

BOOL CImageSet::WriteToRegistry(const RegKey& parent, const char* keyName, int imageIndex, bool storeMarks) const {
    RegKey key;
    if (!key.Create(parent.get(), keyName, KEY_SET_VALUE)) return FALSE;
    if (!key.SetDword("ImageCount", static_cast<DWORD>(GetCount())) ||
        !key.SetDword("ImageIndex", static_cast<DWORD>(imageIndex)) || !key.SetString("SetName", m_strName))
        return FALSE;
    int position = 0;
    for (POSITION at = GetHeadPosition(); at; ++position) {
        const CImageEntry* entry = static_cast<const CImageEntry*>(GetNext(at));
        if (!entry->WriteToRegistry(key, PictureValueName(position), storeMarks)) return FALSE;
    }
    return TRUE;
}

BOOL CImageSet::ReadFromRegistry(const RegKey& parent, const char* keyName, int32_t& imageIndex, bool readMarks) {
    RegKey key;
    if (!key.Open(parent.get(), keyName, KEY_QUERY_VALUE)) return FALSE;
    DWORD imageCount = 0, storedIndex = 0;
    if (!key.QueryDword("ImageCount", imageCount)) return FALSE;
    if (!key.QueryDword("ImageIndex", storedIndex)) return FALSE;
    imageIndex = static_cast<int32_t>(storedIndex);
    if (!key.QueryString("SetName", m_strName)) return FALSE;
    // Stops at the first missing picture, so a damaged count cannot run long.
    for (DWORD position = 0; position < imageCount; ++position) {
        auto entry = std::make_unique<CImageEntry>("");
        if (!entry->ReadFromRegistry(key, PictureValueName(static_cast<int>(position)), readMarks)) return FALSE;
        const bool unshown = entry->m_bShown == 0;
        AddEntry(std::move(entry));
        if (unshown) ++m_nUnshown;
    }
    return TRUE;
}
