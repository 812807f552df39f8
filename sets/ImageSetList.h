// The ordered list of image sets with the current set and picture. The list
// owns its sets.
#pragma once

#include "sets/ImageSet.h"

class CImageSetList : public CObList {
public:
    CImageSetList() = default;
    ~CImageSetList() override;

    // Position of the current picture in the current set; -1 before the first.
    int32_t m_nImageIndex = -1;
    // Position of the current set; -1 before the first.
    int32_t m_nSetIndex = -1;
    // Built from this run's command line: never saved over the stored sets at exit.
    BOOL m_bFromCommandLine = FALSE;

    // Appends at the tail and takes ownership.
    void AddSet(std::unique_ptr<CImageSet> set);
    // The set at `position`, or null when there is none.
    CImageSet* GetSet(int position) const;

    // Clears the marks of every picture of every set; indexes and counters stay.
    void ClearAllShown();

    // Moves to the next set in the set cycle order and forgets the picture.
    void NextSet();
    // Moves to the next picture in the picture cycle order and returns its
    // path, owned by the picture. A fresh random pick avoids position `avoid`
    // (-1: none). Null, with nothing changed, when no set holds a picture.
    const CString* NextImage(int avoid = -1);

    // Replaces the stored sets with this list; TRUE when all was written.
    BOOL SaveToRegistry() const;
    // Appends the stored sets; TRUE when every stored set was read.
    BOOL LoadFromRegistry();
    // Deletes the stored set keys and `keyName` below `appKey`; TRUE when
    // the stored sets were found.
    static BOOL DeleteStoredSets(const RegKey& appKey, const char* keyName);

private:
    // Stored or stale positions that point at nothing become -1.
    void ForgetInvalidPositions();
    bool HasAnyPicture() const;
    // Moves on from a current set without pictures; needs HasAnyPicture().
    void SkipSetsWithoutPictures();
    int FreshPick(CImageSet& set, int method, int avoid) const;
    int PickUnshown(CImageSet& set) const;
};

// The current set list; null when there is none.
extern CImageSetList* TheImageSetList;

// Stored set keys from this number on were not loaded in this run: the load
// stopped at a set it could not read. Every save keeps those keys, renumbered
// behind the sets it writes, and moves this number along. -1: none.
extern int FirstUnloadedStoredSet;

// Shutdown: saves the current list unless it came from the command line;
// the second also destroys it.
void SaveImageSetList();
void SaveAndDestroyImageSetList();
