#include "sets/ScreenPictures.h"

#include <algorithm>

std::vector<CString> NextImagesForScreens(CImageSetList& list, CycleOrders orders, int screens) {
    std::vector<CString> paths;
    const CString* first = list.NextImage(orders, -1);
    if (!first) return paths;
    paths.push_back(*first);
    const CImageSet* set = list.GetSet(list.m_nSetIndex);
    const int count = set ? set->GetCount() : 1;
    const size_t distinct = static_cast<size_t>(std::min(screens, count));
    // A random cycle that ends within this change starts the next one with
    // any picture but the last: one this change already has is passed over.
    // Each pass marks a picture of the new cycle, so they are bounded.
    int passes = count;
    while (paths.size() < static_cast<size_t>(screens)) {
        const CString* next = list.NextImage(orders, -1);
        if (!next) break;
        const bool repeated = std::find(paths.begin(), paths.end(), *next) != paths.end();
        if (repeated && paths.size() < distinct && passes-- > 0) continue;
        paths.push_back(*next);
    }
    return paths;
}
