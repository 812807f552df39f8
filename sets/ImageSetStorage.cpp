// The set list in the registry:
//   Vistals\Image Sets          SetCount, SetIndex
//   Vistals\Image Sets\Set%d    ImageCount, ImageIndex, SetName, I%d [, I%dD]
#include "sets/ImageSetList.h"

#include "settings/Settings.h"
#include "sets/RegistryValues.h"

#include <algorithm>
#include <new>
#include <string>
#include <utility>
#include <vector>

int FirstUnloadedStoredSet = -1;

namespace {

const char kImageSetsKey[] = "Image Sets";

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

std::vector<std::string> SubkeyNames(HKEY key) {
    std::vector<std::string> names;
    DWORD longest = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return names;
    std::vector<char> buffer(static_cast<size_t>(longest) + 1);
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        if (RegEnumKeyExA(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(buffer.data(), length);
    }
    return names;
}

// Set keys numbered `first` or higher, in number order.
std::vector<std::pair<int, std::string>> SetKeysFrom(HKEY imageSets, int first) {
    std::vector<std::pair<int, std::string>> keys;
    for (std::string& name : SubkeyNames(imageSets)) {
        const int number = SetKeyNumber(name);
        if (number >= first) keys.emplace_back(number, std::move(name));
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

// A registry key with everything below it, held in memory while the stored
// sets are rewritten.
struct KeyCopy {
    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    std::vector<Value> values;
    std::vector<std::pair<std::string, KeyCopy>> subkeys;
};

bool CopyKey(HKEY key, KeyCopy& copy) {
    DWORD longestName = 0, longestData = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    std::vector<char> name(static_cast<size_t>(longestName) + 1);
    std::vector<BYTE> data(static_cast<size_t>(longestData) + 1);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG result =
            RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataLength);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) return false;
        copy.values.push_back({std::string(name.data(), nameLength), type,
                               std::vector<BYTE>(data.begin(), data.begin() + dataLength)});
    }
    for (const std::string& subkeyName : SubkeyNames(key)) {
        RegKey subkey;
        if (RegOpenKeyExA(key, subkeyName.c_str(), 0, KEY_READ, subkey.put()) != ERROR_SUCCESS) return false;
        copy.subkeys.emplace_back(subkeyName, KeyCopy());
        if (!CopyKey(subkey.get(), copy.subkeys.back().second)) return false;
    }
    return true;
}

bool WriteKeyCopy(HKEY parent, const char* name, const KeyCopy& copy) {
    RegDeleteTreeA(parent, name);  // whatever held the name before is not ours to merge with
    RegKey key;
    if (RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS)
        return false;
    for (const KeyCopy::Value& value : copy.values)
        if (RegSetValueExA(key.get(), value.name.c_str(), 0, value.type, value.data.data(),
                           static_cast<DWORD>(value.data.size())) != ERROR_SUCCESS)
            return false;
    for (const auto& subkey : copy.subkeys)
        if (!WriteKeyCopy(key.get(), subkey.first.c_str(), subkey.second)) return false;
    return true;
}

// Moves the set keys this run did not load out of the registry into memory,
// so that a save can put them back behind the sets it writes. A key that
// cannot be copied stays where it is.
std::vector<KeyCopy> TakeUnloadedSetKeys(HKEY appKey) {
    std::vector<KeyCopy> taken;
    if (FirstUnloadedStoredSet < 0) return taken;
    RegKey imageSets;
    if (RegOpenKeyExA(appKey, kImageSetsKey, 0, KEY_ALL_ACCESS, imageSets.put()) != ERROR_SUCCESS) return taken;
    for (const auto& numbered : SetKeysFrom(imageSets.get(), FirstUnloadedStoredSet)) {
        const char* name = numbered.second.c_str();
        RegKey key;
        KeyCopy copy;
        if (RegOpenKeyExA(imageSets.get(), name, 0, KEY_READ, key.put()) != ERROR_SUCCESS ||
            !CopyKey(key.get(), copy))
            continue;
        key.reset();
        taken.push_back(std::move(copy));
        RegDeleteTreeA(imageSets.get(), name);
    }
    return taken;
}

}  // namespace

BOOL CImageSetList::DeleteStoredSets(HKEY appKey, const char* keyName) {
    RegKey imageSets;
    if (RegOpenKeyExA(appKey, keyName, 0, KEY_ALL_ACCESS, imageSets.put()) != ERROR_SUCCESS) return FALSE;
    DWORD setCount = 0;
    if (!ReadDword(imageSets.get(), "SetCount", setCount)) return FALSE;
    // Only keys that exist are visited: a damaged count of four billion must
    // not mean four billion deletions.
    for (const auto& numbered : SetKeysFrom(imageSets.get(), 0))
        if (static_cast<DWORD>(numbered.first) < setCount) RegDeleteTreeA(imageSets.get(), numbered.second.c_str());
    imageSets.reset();
    RegDeleteKeyA(appKey, keyName);
    return TRUE;
}

BOOL CImageSetList::SaveToRegistry() const {
    RegKey appKey = OpenSettingsKey();
    if (!appKey) return FALSE;
    std::vector<KeyCopy> kept;
    try {
        kept = TakeUnloadedSetKeys(appKey.get());
    } catch (const std::bad_alloc&) {
        return FALSE;  // nothing deleted yet
    }
    DeleteStoredSets(appKey.get(), kImageSetsKey);

    RegKey imageSets;
    if (RegCreateKeyExA(appKey.get(), kImageSetsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        imageSets.put(), nullptr) != ERROR_SUCCESS)
        return FALSE;
    const int written = GetCount();
    bool complete = WriteDword(imageSets.get(), "SetCount", static_cast<DWORD>(written + kept.size())) &&
                    WriteDword(imageSets.get(), "SetIndex", static_cast<DWORD>(m_nSetIndex));
    int number = 0;
    for (POSITION at = GetHeadPosition(); complete && at; ++number) {
        const CImageSet* set = static_cast<const CImageSet*>(GetNext(at));
        complete = set->WriteToRegistry(imageSets.get(), SetKeyName(number), m_nImageIndex) != FALSE;
    }
    // The kept keys are put back even after a failure: they exist nowhere else.
    for (size_t i = 0; i < kept.size(); ++i)
        complete = WriteKeyCopy(imageSets.get(), SetKeyName(written + static_cast<int>(i)), kept[i]) && complete;
    FirstUnloadedStoredSet = kept.empty() ? -1 : written;
    return complete ? TRUE : FALSE;
}

BOOL CImageSetList::LoadFromRegistry() {
    FirstUnloadedStoredSet = -1;
    RegKey appKey = OpenSettingsKey();
    RegKey imageSets;
    if (!appKey || RegOpenKeyExA(appKey.get(), kImageSetsKey, 0, KEY_ALL_ACCESS, imageSets.put()) != ERROR_SUCCESS)
        return FALSE;
    DWORD setCount = 0, setIndex = 0;
    if (!ReadDword(imageSets.get(), "SetCount", setCount) || !ReadDword(imageSets.get(), "SetIndex", setIndex)) {
        FirstUnloadedStoredSet = 0;
        return FALSE;
    }
    m_nSetIndex = static_cast<int32_t>(setIndex);

    BOOL complete = TRUE;
    for (DWORD number = 0; number < setCount; ++number) {
        try {
            auto set = std::make_unique<CImageSet>("");
            if (set->ReadFromRegistry(imageSets.get(), SetKeyName(static_cast<int>(number)), m_nImageIndex)) {
                AddSet(std::move(set));
                continue;
            }
        } catch (const std::bad_alloc&) {
        }
        // This set and the ones after it stay stored; see SaveToRegistry.
        FirstUnloadedStoredSet = static_cast<int>(number);
        complete = FALSE;
        break;
    }
    ForgetInvalidPositions();
    return complete;
}
