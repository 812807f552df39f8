#include "Registry.h"

#include <cstring>

std::optional<DWORD> StoredDword(const std::string& key, const char* name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<std::string> StoredText(const std::string& key, const char* name) {
    DWORD size = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::string text(size, '\0');
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, &text[0], &size) != ERROR_SUCCESS)
        return std::nullopt;
    text.resize(std::strlen(text.c_str()));
    return text;
}

bool StoreValue(const std::string& key, const char* name, DWORD type, const void* data, DWORD size) {
    return RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), name, type, data, size) == ERROR_SUCCESS;
}

bool StoreDword(const std::string& key, const char* name, DWORD value) {
    return StoreValue(key, name, REG_DWORD, &value, sizeof value);
}

bool StoreText(const std::string& key, const char* name, const std::string& text) {
    return StoreValue(key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void StoreImageSets(const NamedSets& sets) {
    StoreDword(kImageSetsKey, "SetCount", static_cast<DWORD>(sets.size()));
    StoreDword(kImageSetsKey, "SetIndex", 0);
    for (size_t i = 0; i < sets.size(); ++i) {
        const std::string key = std::string(kImageSetsKey) + "\\Set" + std::to_string(i);
        StoreDword(key, "ImageCount", static_cast<DWORD>(sets[i].second.size()));
        StoreDword(key, "ImageIndex", 0xFFFFFFFF);
        StoreText(key, "SetName", sets[i].first);
        for (size_t j = 0; j < sets[i].second.size(); ++j)
            StoreText(key, ("I" + std::to_string(j)).c_str(), sets[i].second[j]);
    }
}
