#include "Checks.h"

#include "framework/RegKey.h"
#include "support/Registry.h"
#include "support/TestBitmaps.h"

#include <set>

namespace {

// The number in a name "<prefix><digits>", or -1.
long long NumberAfter(const std::string& name, const char* prefix) {
    const size_t length = strlen(prefix);
    if (name.size() <= length || name.size() > length + 9 || name.compare(0, length, prefix) != 0) return -1;
    long long number = 0;
    for (size_t i = length; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return -1;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

std::string SetFault(const RegKey& sets, const std::string& name) {
    RegKey set;
    DWORD imageCount = 0;
    if (!set.Open(sets.get(), name.c_str(), KEY_READ)) return name + " cannot be opened";
    if (!set.QueryDword("ImageCount", imageCount)) return name + " has no ImageCount";
    CString setName;
    if (!set.QueryString("SetName", setName)) return name + " has no SetName";
    std::set<long long> pictures;
    char valueName[256];
    DWORD length = sizeof valueName, type = 0;
    for (DWORD index = 0; RegEnumValueA(set.get(), index, valueName, &length, nullptr, &type, nullptr, nullptr) ==
                          ERROR_SUCCESS;
         ++index, length = sizeof valueName)
        if (type == REG_SZ && NumberAfter(valueName, "I") >= 0) pictures.insert(NumberAfter(valueName, "I"));
    if (pictures.size() != imageCount || (imageCount && *pictures.rbegin() != imageCount - 1))
        return name + " has ImageCount " + std::to_string(imageCount) + " but " + std::to_string(pictures.size()) +
               " pictures I0.." + (pictures.empty() ? "" : "I" + std::to_string(*pictures.rbegin()));
    return {};
}

}  // namespace

std::string WindowFault(const Inventory& windows) {
    if (windows.selectDialogs.size() > 1)
        return std::to_string(windows.selectDialogs.size()) + " Select Background Images dialogs are open";
    if (windows.optionsSheets.size() > 1)
        return std::to_string(windows.optionsSheets.size()) + " Options sheets are open";
    return {};
}

std::string StoredSetsFault() {
    // A save cut short leaves its new sets or the old ones beside the key;
    // the next start takes the key itself, or else a whole new copy, or
    // else the old one.
    const std::string keys[] = {kImageSetsKey, kImageSetsKey + std::string(".new"),
                                kImageSetsKey + std::string(".old")};
    RegKey sets;
    DWORD setCount = 0;
    std::string read;
    for (const std::string& key : keys)
        if (read.empty() && sets.Open(HKEY_CURRENT_USER, key.c_str(), KEY_READ) &&
            (key != keys[1] || sets.QueryDword("SetCount", setCount)))
            read = key.substr(key.find_last_of('\\') + 1);
    if (read.empty()) return "the stored sets are gone";
    if (!sets.QueryDword("SetCount", setCount)) return "\"" + read + "\" has no SetCount";
    std::set<long long> numbers;
    for (const std::string& name : sets.SubkeyNames())
        if (NumberAfter(name, "Set") >= 0) numbers.insert(NumberAfter(name, "Set"));
    if (numbers.size() != setCount || (setCount && *numbers.rbegin() != setCount - 1))
        return "\"" + read + "\": SetCount is " + std::to_string(setCount) + " but " +
               std::to_string(numbers.size()) + " set keys are stored";
    for (long long number : numbers)
        if (std::string fault = SetFault(sets, "Set" + std::to_string(number)); !fault.empty())
            return "\"" + read + "\": " + fault;
    return {};
}

std::string WallpaperFault(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return {};
    std::string why;
    return IsCompleteBmp(path, &why) ? std::string() : "vistals.bmp is not a whole picture: " + why;
}
