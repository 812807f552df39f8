// Saves the stored sets again and again until it is killed: the two large
// test lists in turn, each replacing the other as the Select dialog's list
// replaces the current one. Signals the event named by its argument as its
// first save begins.
#include "../SetsTestSupport.h"
#include "framework/Handle.h"

#include <windows.h>

int main(int argc, char* argv[]) {
    if (argc < 2) return 2;
    std::unique_ptr<CImageSetList> lists[2] = {MakeLargeList(0), MakeLargeList(1)};
    CImageSetList loaded;
    loaded.LoadFromRegistry(CYCLE_RANDOM);
    // Begin with the list that is not stored, so that the first save changes something.
    int next = loaded.GetCount() == lists[0]->GetCount() ? 1 : 0;
    const KernelHandle saving(OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]));
    if (!saving) return 3;
    SetEvent(saving.get());
    lists[next]->InheritUnloadedStoredSets(loaded);
    for (;; next = 1 - next) {
        lists[next]->SaveToRegistry(CYCLE_RANDOM);
        lists[1 - next]->InheritUnloadedStoredSets(*lists[next]);
    }
}
