// The set list in the registry:
//   Vistals\Image Sets          SetCount, SetIndex
//   Vistals\Image Sets\Set%d    ImageCount, ImageIndex, SetName, I%d [, I%dD]
#include "sets/ImageSetList.h"

#include "settings/Settings.h"

#include <algorithm>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace {

const char kImageSetsKey[] = "Image Sets";
// Reading, writing and removing keys with everything below them.
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

// A registry key with everything below it, held in memory while the stored
// sets are rewritten.
struct KeyCopy {
    std::vector<RegKey::Value> values;
    std::vector<std::pair<std::string, KeyCopy>> subkeys;
};

bool CopyKey(const RegKey& key, KeyCopy& copy) {
    if (!key.QueryValues(copy.values)) return false;
    for (const std::string& subkeyName : key.SubkeyNames()) {
        RegKey subkey;
        if (!subkey.Open(key.get(), subkeyName.c_str(), KEY_READ)) return false;
        copy.subkeys.emplace_back(subkeyName, KeyCopy());
        if (!CopyKey(subkey, copy.subkeys.back().second)) return false;
    }
    return true;
}

bool WriteKeyCopy(RegKey& parent, const char* name, const KeyCopy& copy) {
    parent.DeleteTree(name);  // whatever held the name before is not ours to merge with
    RegKey key;
    if (!key.Create(parent.get(), name, kTreeAccess)) return false;
    for (const RegKey::Value& value : copy.values)
        if (!key.SetValue(value.name.c_str(), value.type, value.data.data(), static_cast<DWORD>(value.data.size())))
            return false;
    for (const auto& subkey : copy.subkeys)
        if (!WriteKeyCopy(key, subkey.first.c_str(), subkey.second)) return false;
    return true;
}

// Moves the stored set keys from number `firstUnloaded` on out of the
// registry into memory, so that a save can put them back behind the sets it
// writes. A key that cannot be copied stays where it is.
std::vector<KeyCopy> TakeUnloadedSetKeys(const RegKey& appKey, int firstUnloaded) {
    std::vector<KeyCopy> taken;
    if (firstUnloaded < 0) return taken;
    RegKey imageSets;
    if (!imageSets.Open(appKey.get(), kImageSetsKey, kTreeAccess)) return taken;
    for (const auto& numbered : SetKeysFrom(imageSets, firstUnloaded)) {
        const char* name = numbered.second.c_str();
        RegKey key;
        KeyCopy copy;
        if (!key.Open(imageSets.get(), name, KEY_READ) || !CopyKey(key, copy)) continue;
        key.reset();
        taken.push_back(std::move(copy));
        imageSets.DeleteTree(name);
    }
    return taken;
}

}  // namespace

BOOL CImageSetList::DeleteStoredSets(const RegKey& appKey, const char* keyName) {
    RegKey imageSets;
    if (!imageSets.Open(appKey.get(), keyName, kTreeAccess)) return FALSE;
    DWORD setCount = 0;
    if (!imageSets.QueryDword("SetCount", setCount)) return FALSE;
    // Only keys that exist are visited: a damaged count of four billion must
    // not mean four billion deletions.
    for (const auto& numbered : SetKeysFrom(imageSets, 0))
        if (static_cast<DWORD>(numbered.first) < setCount) imageSets.DeleteTree(numbered.second.c_str());
    imageSets.reset();
    appKey.DeleteKey(keyName);
    return TRUE;
}

void CImageSetList::InheritUnloadedStoredSets(const CImageSetList& replaced) {
    m_nFirstUnloadedStoredSet = replaced.m_nFirstUnloadedStoredSet;
}

BOOL CImageSetList::SaveToRegistry(int32_t pictureOrder) {
    const RegKey appKey = OpenSettingsKey(kTreeAccess);
    if (!appKey) return FALSE;
    std::vector<KeyCopy> kept;
    try {
        kept = TakeUnloadedSetKeys(appKey, m_nFirstUnloadedStoredSet);
    } catch (const std::bad_alloc&) {
        return FALSE;  // nothing deleted yet
    }
    DeleteStoredSets(appKey, kImageSetsKey);

    RegKey imageSets;
    if (!imageSets.Create(appKey.get(), kImageSetsKey, kTreeAccess)) return FALSE;
    const int written = GetCount();
    bool complete = imageSets.SetDword("SetCount", static_cast<DWORD>(written + kept.size())) &&
                    imageSets.SetDword("SetIndex", static_cast<DWORD>(m_nSetIndex));
    const bool storeMarks = MarksAreStored(pictureOrder);
    int number = 0;
    for (POSITION at = GetHeadPosition(); complete && at; ++number) {
        const CImageSet* set = static_cast<const CImageSet*>(GetNext(at));
        complete = set->WriteToRegistry(imageSets, SetKeyName(number), m_nImageIndex, storeMarks) != FALSE;
    }
    // The kept keys are put back even after a failure: they exist nowhere else.
    for (size_t i = 0; i < kept.size(); ++i)
        complete = WriteKeyCopy(imageSets, SetKeyName(written + static_cast<int>(i)), kept[i]) && complete;
    m_nFirstUnloadedStoredSet = kept.empty() ? -1 : written;
    return complete ? TRUE : FALSE;
}

BOOL CImageSetList::LoadFromRegistry(int32_t pictureOrder) {
    m_nFirstUnloadedStoredSet = -1;
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
