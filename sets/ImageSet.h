// One named, ordered image set. The set owns its pictures.
#pragma once

#include "sets/ImageEntry.h"

#include <memory>

class CImageSet : public CObList {
public:
    explicit CImageSet(const char* name) : m_strName(name) {}
    ~CImageSet() override;

    // Display name; may be empty, and several sets may share one.
    CString m_strName;
    // Pictures still to show in the running random cycle; 0 or less ends it.
    int32_t m_nUnshown = 0;

    // Appends at the tail and takes ownership.
    void AddEntry(std::unique_ptr<CImageEntry> entry);
    // The picture at `position`, or null when there is none.
    CImageEntry* GetEntry(int position) const;
    // Takes the picture at `position` out of the set and hands it over; null
    // when there is none. The pictures after it move up one place.
    std::unique_ptr<CImageEntry> RemoveEntry(int position);

    // Marks the picture at `position` as shown; no picture there, no change.
    void MarkShown(int position);
    // Clears every mark; m_nUnshown is left alone.
    void ClearShown();

    // Creates (or opens) `keyName` below `parent` and writes the set into it
    // with the list's picture index; the marks only with `storeMarks`.
    BOOL WriteToRegistry(const RegKey& parent, const char* keyName, int imageIndex, bool storeMarks) const;
    // Fills this empty set from `keyName`; the stored picture index goes to
    // `imageIndex` as soon as it is read. FALSE when anything is missing.
    BOOL ReadFromRegistry(const RegKey& parent, const char* keyName, int32_t& imageIndex, bool readMarks);
};
