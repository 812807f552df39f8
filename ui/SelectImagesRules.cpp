#include "ui/SelectImagesRules.h"

#include "framework/CFileFind.h"
#include "framework/FilePath.h"
#include "framework/Handle.h"
#include "framework/LongPath.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>

namespace {

bool EndsWithBackslash(const CString& text) {
    return !text.IsEmpty() && text.GetAt(text.GetLength() - 1) == '\\';
}

// One shell query for a small icon; the handle is released here.
bool QuerySmallIcon(const char* path, DWORD attributes, UINT extraFlags, int& index) {
    SHFILEINFOA info{};
    if (!SHGetFileInfoA(path, attributes, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON | extraFlags))
        return false;
    IconHandle icon(info.hIcon);
    index = info.iIcon;
    return true;
}

CString FieldText(const char* field, size_t size) { return CString(field, int(strnlen(field, size))); }

}  // namespace

CString WithTrailingBackslash(const CString& path) {
    return path.IsEmpty() || EndsWithBackslash(path) ? path : path + "\\";
}

CString JoinDirectoryItems(const std::vector<CString>& items, int selected) {
    CString folder;
    for (int i = 0; i <= selected && i < int(items.size()); ++i) folder += WithTrailingBackslash(items[size_t(i)]);
    return folder;
}

CString FolderOfFileList(const CString& folderText, const std::vector<CString>& directoryItems, int selected) {
    const bool mayBeShortened = folderText.Find(".") >= 0 && folderText.Find("...") != 0;
    if (mayBeShortened && selected >= 0) {
        const CString spelled = JoinDirectoryItems(directoryItems, selected);
        if (!spelled.IsEmpty() && IsExistingFolder(spelled)) return spelled;
    }
    return WithTrailingBackslash(folderText);
}

bool IsSelectableFileItem(const char* text) {
    return text && text[0] != '\0' && text[0] != '[' && text[0] != '.';
}

CString DriveSearchPattern(const CString& drive) {
    const bool driveRoot = drive.GetLength() == 3 && drive.GetAt(1) == ':' && drive.GetAt(2) == '\\';
    const bool longerWithBackslash = drive.GetLength() > 3 && EndsWithBackslash(drive);
    return drive + (driveRoot || longerWithBackslash ? "*.*" : "\\*.*");
}

bool FindSampleFolder(CString& folder) {
    char drives[128] = {};
    const DWORD length = GetLogicalDriveStringsA(sizeof drives, drives);
    if (length == 0 || length > sizeof drives) return false;
    for (const char* drive = drives; *drive; drive += std::strlen(drive) + 1) {
        const char letter = drive[0];
        if (letter == 'A' || letter == 'B' || letter == 'a' || letter == 'b') continue;
        CFileFind finder;
        for (BOOL more = finder.FindFile(DriveSearchPattern(drive)); more;) {
            more = finder.FindNextFile();
            if (finder.IsDirectory() && !finder.IsDots()) {
                folder = finder.GetFilePath();
                return true;
            }
        }
    }
    return false;
}

bool GetShellIcons(const char* path, int& image, int& openImage) {
    const DWORD attributes = FileAttributesAnyLength(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    // A folder is asked for with its trailing "\" (a bare drive needs it);
    // a file is asked for as it is named.
    CString query = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? WithTrailingBackslash(path) : CString(path);
    DWORD byType = 0;
    UINT flags = 0;
    if (query.GetLength() >= MAX_PATH) {
        // Beyond the shell's limit: the icons of the type, by name alone.
        query = FileNamePart(query);
        byType = attributes;
        flags = SHGFI_USEFILEATTRIBUTES;
    }
    int closed = 0, open = 0;
    if (!QuerySmallIcon(query, byType, flags, closed)) return false;
    if (!QuerySmallIcon(query, byType, flags | SHGFI_OPENICON, open)) return false;
    image = closed;
    openImage = open;
    return true;
}

Insertion ChooseInsertion(bool treeEmpty, bool anySelected, bool selectedIsSet) {
    if (treeEmpty) return Insertion::NewSet;
    if (!anySelected) return Insertion::FirstSet;
    return selectedIsSet ? Insertion::IntoSelectedSet : Insertion::AfterSelectedPicture;
}

std::vector<CString> ReadablePatterns(const std::vector<FormatInfo>& table) {
    std::vector<CString> patterns;
    for (const FormatInfo& format : table)
        if (format.readable) patterns.push_back(FieldText(format.patterns, sizeof format.patterns));
    return patterns;
}

bool MatchesAnyPattern(const char* name, const std::vector<CString>& patterns) {
    for (const CString& list : patterns) {
        const std::string& all = list.str();
        size_t start = 0;
        while (start <= all.size()) {
            size_t end = all.find(';', start);
            if (end == std::string::npos) end = all.size();
            std::string one = all.substr(start, end - start);
            one.erase(0, one.find_first_not_of(' '));
            if (!one.empty() && PathMatchSpecA(name, one.c_str())) return true;
            start = end + 1;
        }
    }
    return false;
}

std::vector<CString> ExpandDroppedPaths(const std::vector<CString>& dropped, const std::vector<CString>& patterns) {
    std::vector<CString> paths;
    for (const CString& path : dropped) {
        const DWORD attributes = FileAttributesAnyLength(path);
        if (attributes == INVALID_FILE_ATTRIBUTES) continue;
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            paths.push_back(path);
            continue;
        }
        std::vector<CString> names = FileNamesInFolder(path);
        names.erase(std::remove_if(names.begin(), names.end(),
                                   [&](const CString& name) { return !MatchesAnyPattern(name, patterns); }),
                    names.end());
        std::sort(names.begin(), names.end(),
                  [](const CString& a, const CString& b) { return lstrcmpiA(a, b) < 0; });
        const CString folder = WithTrailingBackslash(path);
        for (const CString& name : names) paths.push_back(folder + name);
    }
    return paths;
}

std::unique_ptr<CImageSetList> BuildSetList(const std::vector<SetTreeTexts>& sets) {
    auto list = std::make_unique<CImageSetList>();
    int pictures = 0;
    for (const SetTreeTexts& texts : sets) {
        auto set = std::make_unique<CImageSet>(texts.name);
        for (const CString& path : texts.paths) {
            set->AddEntry(std::make_unique<CImageEntry>(path));
            ++pictures;
        }
        list->AddSet(std::move(set));
    }
    if (pictures == 0) return nullptr;
    return list;
}
