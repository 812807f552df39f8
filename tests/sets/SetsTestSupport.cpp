#include "SetsTestSupport.h"

#include "framework/Handle.h"
#include "support/Registry.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace {

void DumpKey(HKEY key, const std::string& path, std::vector<std::string>& lines) {
    lines.push_back("[" + path + "]");
    char name[16384];
    BYTE data[65536];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name, dataLength = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS) break;
        std::string line = path + "|" + std::string(name, nameLength) + "|" + std::to_string(type) + "|";
        char hex[3];
        for (DWORD b = 0; b < dataLength; ++b) {
            std::snprintf(hex, sizeof hex, "%02x", data[b]);
            line += hex;
        }
        lines.push_back(line);
    }
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(name, nameLength);
    }
    for (const std::string& subkeyName : subkeys) {
        RegKey subkey;
        if (RegOpenKeyExA(key, subkeyName.c_str(), 0, KEY_READ, subkey.put()) != ERROR_SUCCESS) continue;
        DumpKey(subkey.get(), path + "\\" + subkeyName, lines);
    }
}

}  // namespace

std::string DumpStoredKey(const std::string& below) {
    RegKey key;
    const std::string path = kImageSetsKey + (below.empty() ? "" : "\\" + below);
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return "(none)";
    std::vector<std::string> lines;
    DumpKey(key.get(), "", lines);
    std::sort(lines.begin(), lines.end());
    std::string dump;
    for (const std::string& line : lines) dump += line + "\n";
    return dump;
}

std::unique_ptr<CImageSetList> MakeLargeList(int variant) {
    const int sets = variant == 0 ? 300 : 240;
    auto list = std::make_unique<CImageSetList>();
    for (int i = 0; i < sets; ++i) {
        const std::string name = (variant == 0 ? "a" : "b") + std::to_string(i);
        auto set = std::make_unique<CImageSet>(name.c_str());
        for (int j = 0; j < 1 + (i + variant) % 4; ++j) {
            const std::string path = "C:\\pictures\\" + name + "\\" + std::to_string(j) + ".jpg";
            set->AddEntry(std::make_unique<CImageEntry>(path.c_str()));
        }
        if (i % 3 == variant) set->MarkShown(0);
        list->AddSet(std::move(set));
    }
    list->m_nSetIndex = variant == 0 ? 17 : 230;
    list->m_nImageIndex = variant;
    return list;
}

std::string DescribeList(const CImageSetList& list) {
    std::string text = std::to_string(list.m_nSetIndex) + " " + std::to_string(list.m_nImageIndex) + "\n";
    for (POSITION at = list.GetHeadPosition(); at;) {
        const auto* set = static_cast<const CImageSet*>(list.GetNext(at));
        text += "[" + set->m_strName.str() + "]\n";
        for (POSITION p = set->GetHeadPosition(); p;) {
            const auto* entry = static_cast<const CImageEntry*>(set->GetNext(p));
            text += entry->m_strPath.str() + (entry->m_bShown ? " *\n" : "\n");
        }
    }
    return text;
}

std::string DumpImageSets() { return DumpStoredKey(""); }
