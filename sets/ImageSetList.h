// The ordered list of image sets with the current set and picture. The list
// owns its sets.
#pragma once

#include "sets/ImageSet.h"
#include "settings/Settings.h"

#include <optional>

// The picture and the set cycle order, each a CycleMethodValue (values
// outside it act as forward).
struct CycleOrders {
    int32_t pictures;
    int32_t sets;
};

// Where a picture is in a set list: the position of its set, and its own
// position in that set.
struct PicturePlace {
    int set = -1;
    int position = -1;
};

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

    // Moves to the next set in the set cycle order `setOrder` and forgets the
    // picture.
    void NextSet(int32_t setOrder);
    // Moves to the next picture in the picture cycle order and returns its
    // path, owned by the picture; the set order serves when a set must be
    // chosen first. A fresh random pick avoids position `avoid` (-1: none).
    // Null, with nothing changed, when no set holds a picture.
    const CString* NextImage(CycleOrders orders, int avoid = -1);

    // Where the picture `path` (any letter case) is: at `known` when that
    // place still holds it, else its first place in the set of `known`, else
    // its first place in any set. Null when no set holds it.
    std::optional<PicturePlace> FindPicture(const char* path, PicturePlace known) const;
    // Takes the picture at `place` out of its set. Its set's random cycle
    // goes on with one picture fewer, and when it was the current picture,
    // the next one in `pictureOrder` is the one that would have followed it.
    void RemovePicture(PicturePlace place, int32_t pictureOrder);

    // Replaces the stored sets with this list, whole or not at all; the marks
    // are stored under random `pictureOrder` only. TRUE when all was written.
    BOOL SaveToRegistry(int32_t pictureOrder);
    // Appends the stored sets, with their marks under random `pictureOrder`;
    // first finishes or undoes a save that was cut short. TRUE when every
    // stored set was read.
    BOOL LoadFromRegistry(int32_t pictureOrder);
    // Deletes `keyName` below `appKey` with all it holds; TRUE when it was there.
    static BOOL DeleteStoredSets(const RegKey& appKey, const char* keyName);
    // This list takes the place of `replaced` (as the Select dialog's new list
    // does): the stored sets that `replaced` could not read stay stored behind
    // this list's sets when it saves.
    void InheritUnloadedStoredSets(const CImageSetList& replaced);

private:
    // Stored or stale positions that point at nothing become -1.
    void ForgetInvalidPositions();
    bool HasAnyPicture() const;
    // Moves on from a current set without pictures; needs HasAnyPicture().
    void SkipSetsWithoutPictures(int32_t setOrder);
    int FreshPick(CImageSet& set, int method, int avoid) const;
    int PickUnshown(CImageSet& set) const;
    // Writes this list, and behind it the stored sets it did not load, as the
    // whole replacement of the stored sets; their number goes to `kept`.
    bool WriteReplacement(const RegKey& appKey, bool storeMarks, int& kept) const;

    // Stored set keys from this number on could not be read into this list
    // (or the one it replaced); every save keeps them, renumbered behind the
    // sets it writes. -1: none.
    int m_nFirstUnloadedStoredSet = -1;
};

// The current set list; null when there is none.
extern CImageSetList* TheImageSetList;

// Shutdown: saves the current list unless it came from the command line;
// the second also destroys it.
void SaveImageSetList(int32_t pictureOrder);
void SaveAndDestroyImageSetList(int32_t pictureOrder);
