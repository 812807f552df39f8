#include "sets/ImageSetList.h"

#include <algorithm>
#include <cstdlib>

CImageSetList* TheImageSetList = nullptr;

CImageSetList::~CImageSetList() {
    while (!IsEmpty()) delete RemoveHead();
}

void CImageSetList::AddSet(std::unique_ptr<CImageSet> set) {
    AddTail(set.get());  // may throw; the set is still ours then
    set.release();
}

CImageSet* CImageSetList::GetSet(int position) const {
    POSITION at = FindIndex(position);
    return at ? static_cast<CImageSet*>(GetAt(at)) : nullptr;
}

void CImageSetList::ClearAllShown() {
    for (POSITION at = GetHeadPosition(); at;) static_cast<CImageSet*>(GetNext(at))->ClearShown();
}

namespace {

// Values the Options sheet never produces are taken as forward.
int CycleMethod(int32_t stored) {
    return stored == CYCLE_BACKWARD || stored == CYCLE_RANDOM ? stored : CYCLE_FORWARD;
}

int RandomBelow(int count) { return std::rand() % count; }

int Following(int position, int count) { return position + 1 < count ? position + 1 : 0; }
int Preceding(int position, int count) { return position > 0 ? position - 1 : count - 1; }

}  // namespace

void CImageSetList::ForgetInvalidPositions() {
    if (m_nSetIndex < 0 || m_nSetIndex >= GetCount()) m_nSetIndex = -1;
    const CImageSet* current = GetSet(m_nSetIndex);
    if (!current || m_nImageIndex < 0 || m_nImageIndex >= current->GetCount()) m_nImageIndex = -1;
}

bool CImageSetList::HasAnyPicture() const {
    for (POSITION at = GetHeadPosition(); at;)
        if (!static_cast<const CImageSet*>(GetNext(at))->IsEmpty()) return true;
    return false;
}

void CImageSetList::NextSet(int32_t setOrder) {
    ForgetInvalidPositions();
    const int count = GetCount();
    if (count == 0) return;
    const int method = CycleMethod(setOrder);
    int next;
    if (m_nSetIndex == -1) {
        next = method == CYCLE_FORWARD ? 0 : method == CYCLE_BACKWARD ? count - 1 : RandomBelow(count);
    } else {
        if (count == 1) return;  // nothing to change to, not even the picture
        if (method == CYCLE_FORWARD) {
            next = Following(m_nSetIndex, count);
        } else if (method == CYCLE_BACKWARD) {
            next = Preceding(m_nSetIndex, count);
        } else {
            do next = RandomBelow(count);
            while (next == m_nSetIndex);
        }
    }
    m_nSetIndex = next;
    m_nImageIndex = -1;
    GetSet(next)->ClearShown();
}

void CImageSetList::SkipSetsWithoutPictures(int32_t setOrder) {
    // A set may be empty while others are not; showing nothing until the set
    // timer fires would look like a hang, so move on in the set order.
    while (GetSet(m_nSetIndex)->IsEmpty()) NextSet(setOrder);
}

int CImageSetList::FreshPick(CImageSet& set, int method, int avoid) const {
    const int count = set.GetCount();
    if (method == CYCLE_FORWARD) return 0;
    if (method == CYCLE_BACKWARD) return count - 1;
    int pick = RandomBelow(count);
    if (count > 1) {
        while (avoid != -1 && pick == avoid) pick = RandomBelow(count);
        set.m_nUnshown = count - 1;
    }
    set.MarkShown(pick);
    return pick;
}

int CImageSetList::PickUnshown(CImageSet& set) const {
    const int unshown = set.m_nUnshown;
    if (unshown <= 0) return -1;
    const int wanted = RandomBelow(unshown);
    int found = -1, counted = 0, position = 0;
    for (POSITION at = set.GetHeadPosition(); at; ++position) {
        const CImageEntry* entry = static_cast<const CImageEntry*>(set.GetNext(at));
        if (entry->m_bShown) continue;
        if (counted++ == wanted) found = position;
    }
    // Fewer unmarked pictures than the count says: the cycle is over.
    if (found == -1) return -1;
    set.m_nUnshown = unshown - 1;
    set.MarkShown(found);
    return found;
}

const CString* CImageSetList::NextImage(CycleOrders orders, int avoid) {
    ForgetInvalidPositions();
    if (!HasAnyPicture()) return nullptr;
    if (m_nSetIndex == -1) NextSet(orders.sets);
    SkipSetsWithoutPictures(orders.sets);

    CImageSet& set = *GetSet(m_nSetIndex);
    const int count = set.GetCount();
    const int method = CycleMethod(orders.pictures);
    int position = m_nImageIndex;
    for (;;) {
        if (position == -1) {
            position = FreshPick(set, method, avoid);
            break;
        }
        if (method == CYCLE_FORWARD) {
            position = Following(position, count);
            break;
        }
        if (method == CYCLE_BACKWARD) {
            position = Preceding(position, count);
            break;
        }
        const int picked = PickUnshown(set);
        if (picked != -1) {
            position = picked;
            break;
        }
        // The random cycle is over: a new one starts, not with the picture just left.
        set.ClearShown();
        avoid = position;
        position = -1;
    }
    m_nImageIndex = position;
    return &set.GetEntry(position)->m_strPath;
}

std::optional<PicturePlace> CImageSetList::FindPicture(const char* path, PicturePlace known) const {
    auto holds = [&](int set, int position) {
        const CImageSet* holder = GetSet(set);
        const CImageEntry* entry = holder ? holder->GetEntry(position) : nullptr;
        return entry && lstrcmpiA(entry->m_strPath, path) == 0;
    };
    if (holds(known.set, known.position)) return known;
    // Places move as pictures are removed, and the list may be another one.
    auto firstIn = [&](int set) -> std::optional<PicturePlace> {
        const CImageSet* holder = GetSet(set);
        for (int position = 0; holder && position < holder->GetCount(); ++position)
            if (holds(set, position)) return PicturePlace{set, position};
        return std::nullopt;
    };
    if (auto place = firstIn(known.set)) return place;
    for (int set = 0; set < GetCount(); ++set)
        if (auto place = firstIn(set)) return place;
    return std::nullopt;
}

void CImageSetList::RemovePicture(PicturePlace place, int32_t pictureOrder) {
    CImageSet* set = GetSet(place.set);
    const std::unique_ptr<CImageEntry> removed = set ? set->RemoveEntry(place.position) : nullptr;
    if (!removed) return;
    // One picture fewer still to show in the running random cycle.
    if (!removed->m_bShown && set->m_nUnshown > 0) --set->m_nUnshown;

    if (place.set != m_nSetIndex || m_nImageIndex < place.position) return;
    if (m_nImageIndex > place.position) {
        --m_nImageIndex;
        return;
    }
    const int count = set->GetCount();
    switch (CycleMethod(pictureOrder)) {
        case CYCLE_FORWARD:  // from the one before; -1 makes the first one next
            m_nImageIndex = place.position - 1;
            break;
        case CYCLE_BACKWARD:  // from the one that took its place; past the end, the last one is next
            m_nImageIndex = place.position < count ? place.position : -1;
            break;
        default:  // random: any place keeps the cycle going; -1 would start a new one
            m_nImageIndex = count > 0 ? std::min(place.position, count - 1) : -1;
            break;
    }
}

void SaveImageSetList(int32_t pictureOrder) {
    // Pictures given for one run must not replace the user's stored sets.
    if (TheImageSetList && !TheImageSetList->m_bFromCommandLine) TheImageSetList->SaveToRegistry(pictureOrder);
}

void SaveAndDestroyImageSetList(int32_t pictureOrder) {
    if (!TheImageSetList) return;
    SaveImageSetList(pictureOrder);
    delete TheImageSetList;
    TheImageSetList = nullptr;
}
