// The set list in the registry:
//   Vistals\Image Sets          SetCount, SetIndex
//   Vistals\Image Sets\Set%d    ImageCount, ImageIndex, SetName, I%d [, I%dD]
//
// A save replaces "Image Sets" whole or not at all, so that a process killed
// at any moment leaves the old sets or the new ones:
//   1. it writes the new sets into "Image Sets.new", "SetCount" last, so a
//      replacement that holds "SetCount" is whole;
//   2. renames "Image Sets" to "Image Sets.old";
//   3. renames "Image Sets.new" to "Image Sets";
//   4. deletes "Image Sets.old".
// A rename is one registry operation. Before every load and save,
// SettleInterruptedSave finishes or undoes a save cut short: a present
// "Image Sets" is the stored list and what lies beside it goes (killed in
// step 1, 2 or 4; older copies of the program know only this key, so it
// wins even over a whole replacement); a missing one is taken from the whole
// replacement (killed between steps 2 and 3) or else from the old sets.
#include "sets/ImageSetList.h"

#include "settings/Settings.h"

#include <algorithm>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace {

const char kImageSetsKey[] = "Image Sets";
const char kReplacementKey[] = "Image Sets.new";
const char kReplacedKey[] = "Image Sets.old";
// Reading, writing, renaming and removing keys with everything below them.
constexpr REGSAM kTreeAccess = KEY_READ | KEY_WRITE | DELETE;

bool MarksAreStored(int32_t pictureOrder) {
    // The marks matter only to random order, so only then are they stored.
    return pictureOrder == CYCLE_RANDOM;
}

CString SetKeyName(int number) {
    CString name;
    name.Format("Set%d", number);
    return name;
}

// The number of a key named exactly as "Set%d" writes it, or -1.
int SetKeyNumber(const std::string& name) {
    const std::string digits = name.compare(0, 3, "Set") == 0 ? name.substr(3) : std::string();
    if (digits.empty() || digits.size() > 9 || (digits[0] == '0' && digits.size() > 1)) return -1;
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        number = number * 10 + (c - '0');
    }
    return number;
}

// Set keys numbered `first` or higher, in number order.
std::vector<std::pair<int, std::string>> SetKeysFrom(const RegKey& imageSets, int first) {
    std::vector<std::pair<int, std::string>> keys;
    for (std::string& name : imageSets.SubkeyNames()) {
        const int number = SetKeyNumber(name);
        if (number >= first) keys.emplace_back(number, std::move(name));
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

bool KeyExists(const RegKey& parent, const char* name) {
    RegKey key;
    return key.Open(parent.get(), name, KEY_QUERY_VALUE);
}

bool IsWholeReplacement(const RegKey& appKey) {
    RegKey replacement;
    DWORD count = 0;
    return replacement.Open(appKey.get(), kReplacementKey, KEY_QUERY_VALUE) &&
           replacement.QueryDword("SetCount", count);
}

// Finishes or undoes a save that was cut short. True when nothing but
// "Image Sets" (or nothing at all) is left; false when a rename failed and
// the sets are still only under the other name, where nothing may touch them.
bool SettleInterruptedSave(const RegKey& appKey) {
    if (!KeyExists(appKey, kImageSetsKey)) {
        appKey.RenameSubkey(IsWholeReplacement(appKey) ? kReplacementKey : kReplacedKey, kImageSetsKey);
        if (!KeyExists(appKey, kImageSetsKey) && (IsWholeReplacement(appKey) || KeyExists(appKey, kReplacedKey)))
            return false;
    }
    CImageSetList::DeleteStoredSets(appKey, kReplacementKey);
    CImageSetList::DeleteStoredSets(appKey, kReplacedKey);
    return true;
}

// Copies the stored set keys from number `firstUnloaded` on into
// `replacement`, renumbered from `number`, which counts them.
bool CopyUnloadedSetKeys(const RegKey& appKey, int firstUnloaded, const RegKey& replacement, int& number) {
    RegKey stored;
    if (firstUnloaded < 0 || !stored.Open(appKey.get(), kImageSetsKey, KEY_READ)) return true;
    for (const auto& numbered : SetKeysFrom(stored, firstUnloaded)) {
        RegKey copy;
        if (!copy.Create(replacement.get(), SetKeyName(number), kTreeAccess) ||
            !stored.CopyTree(numbered.second.c_str(), copy))
            return false;
        ++number;
    }
    return true;
}

// Steps 2 to 4 of a save; false, with the old sets in place, when a rename
// failed.
bool SwitchToReplacement(const RegKey& appKey) {
    const bool hadSets = KeyExists(appKey, kImageSetsKey);
    if (hadSets && !appKey.RenameSubkey(kImageSetsKey, kReplacedKey)) {
        CImageSetList::DeleteStoredSets(appKey, kReplacementKey);
        return false;
    }
    if (!appKey.RenameSubkey(kReplacementKey, kImageSetsKey)) {
        // Put the old sets back; should even that fail, the next start
        // finishes the switch from the whole replacement.
        if (hadSets && appKey.RenameSubkey(kReplacedKey, kImageSetsKey))
            CImageSetList::DeleteStoredSets(appKey, kReplacementKey);
        return false;
    }
    CImageSetList::DeleteStoredSets(appKey, kReplacedKey);
    return true;
}

}  // namespace

BOOL CImageSetList::DeleteStoredSets(const RegKey& appKey, const char* keyName) {
    return appKey.DeleteTree(keyName) ? TRUE : FALSE;
}

void CImageSetList::InheritUnloadedStoredSets(const CImageSetList& replaced) {
    m_nFirstUnloadedStoredSet = replaced.m_nFirstUnloadedStoredSet;
}

bool CImageSetList::WriteReplacement(const RegKey& appKey, bool storeMarks, int& kept) const {
    RegKey replacement;
    if (!replacement.Create(appKey.get(), kReplacementKey, kTreeAccess) ||
        !replacement.SetDword("SetIndex", static_cast<DWORD>(m_nSetIndex)))
        return false;
    int number = 0;
    for (POSITION at = GetHeadPosition(); at; ++number) {
        const CImageSet* set = static_cast<const CImageSet*>(GetNext(at));
        if (!set->WriteToRegistry(replacement, SetKeyName(number), m_nImageIndex, storeMarks)) return false;
    }
    const int written = number;
    if (!CopyUnloadedSetKeys(appKey, m_nFirstUnloadedStoredSet, replacement, number)) return false;
    kept = number - written;
    // Written last: a replacement that holds its count is whole.
    return replacement.SetDword("SetCount", static_cast<DWORD>(number));
}

BOOL CImageSetList::SaveToRegistry(int32_t pictureOrder) {
    const RegKey appKey = OpenSettingsKey(kTreeAccess);
    if (!appKey || !SettleInterruptedSave(appKey)) return FALSE;
    int kept = 0;
    bool written = false;
    try {
        written = WriteReplacement(appKey, MarksAreStored(pictureOrder), kept);
    } catch (const std::bad_alloc&) {
    }
    if (!written) {
        DeleteStoredSets(appKey, kReplacementKey);  // the old sets stay as they were
        return FALSE;
    }
    if (!SwitchToReplacement(appKey)) return FALSE;
    m_nFirstUnloadedStoredSet = kept > 0 ? GetCount() : -1;
    return TRUE;
}

BOOL CImageSetList::LoadFromRegistry(int32_t pictureOrder) {
    m_nFirstUnloadedStoredSet = -1;
    {
        const RegKey writableAppKey = OpenSettingsKey(kTreeAccess);
        if (writableAppKey) SettleInterruptedSave(writableAppKey);
    }
    const RegKey appKey = OpenSettingsKey(KEY_READ);
    RegKey imageSets;
    if (!appKey || !imageSets.Open(appKey.get(), kImageSetsKey, KEY_READ)) return FALSE;
    DWORD setCount = 0, setIndex = 0;
    if (!imageSets.QueryDword("SetCount", setCount) || !imageSets.QueryDword("SetIndex", setIndex)) {
        m_nFirstUnloadedStoredSet = 0;
        return FALSE;
    }
    m_nSetIndex = static_cast<int32_t>(setIndex);

    const bool readMarks = MarksAreStored(pictureOrder);
    BOOL complete = TRUE;
    for (DWORD number = 0; number < setCount; ++number) {
        try {
            auto set = std::make_unique<CImageSet>("");
            if (set->ReadFromRegistry(imageSets, SetKeyName(static_cast<int>(number)), m_nImageIndex, readMarks)) {
                AddSet(std::move(set));
                continue;
            }
        } catch (const std::bad_alloc&) {
        }
        // This set and the ones after it stay stored; see SaveToRegistry.
        m_nFirstUnloadedStoredSet = static_cast<int>(number);
        complete = FALSE;
        break;
    }
    ForgetInvalidPositions();
    return complete;
}
