#include "wallpaper/CodecBinding.h"

#include "framework/FilePath.h"
#include "framework/Lifetime.h"
#include "framework/WinApp.h"
#include "res/resource.h"

#include <algorithm>
#include <cstring>

namespace {
NeverDestroyed<DynamicLibrary> codecModule;
}  // namespace

DynamicLibrary& CodecModule = codecModule.get();
ImageLibrary* TheImageLibrary = nullptr;
int16_t FormatCount = 0;
std::vector<FormatInfo> FormatTable;
std::vector<char> OpenFileFilter;
int16_t BmpFormatIndex = 0;

namespace {

const char kLibraryBelowProgram[] = "\\ZELIMAGE\\ZELIMAGE.DLL";

void ShowBindingMessage(UINT stringId) { AfxMessageBox(stringId, MB_OK | MB_ICONEXCLAMATION); }

// The load failure's message. A missing file is reported by Windows as
// ERROR_MOD_NOT_FOUND and a damaged one as ERROR_BAD_EXE_FORMAT, so those
// count with their older codes.
UINT LoadFailureMessage(DWORD error) {
    switch (error) {
    case ERROR_DLL_INIT_FAILED: return IDS_ZELIMAGE_INIT_FAILED;
    case ERROR_INVALID_DLL:
    case ERROR_BAD_EXE_FORMAT: return IDS_ZELIMAGE_DAMAGED;
    case ERROR_DLL_NOT_FOUND:
    case ERROR_MOD_NOT_FOUND: return IDS_ZELIMAGE_NOT_FOUND;
    default: return IDS_ZELIMAGE_LOAD_FAILED;
    }
}

// A record's text field, even when the library left no NUL in it.
std::string Field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

struct LibraryQuery : FormatQuery {
    ImageStatus Query(int32_t index, FormatInfo* info) override { return TheImageLibrary->GetFormatInfo(index, info); }
};

void Append(std::vector<char>& buffer, const std::string& text) {
    buffer.insert(buffer.end(), text.begin(), text.end());
    buffer.push_back('\0');
}

}  // namespace

std::string CodecLibraryPath(const std::string& programFileName) {
    return FolderPart(programFileName.c_str()).str() + kLibraryBelowProgram;
}

std::vector<char> BuildOpenFileFilter(int16_t formatCount, FormatInfo* table, FormatQuery& query) {
    auto taken = [&](int32_t i) {
        return query.Query(i, &table[i]) == 0 && table[i].readable != 0;
    };
    std::string display = "All Formats (", patterns;
    bool first = true;
    for (int32_t i = 0; i < formatCount; ++i) {
        if (!taken(i)) continue;
        if (!first) {
            display += ',';
            patterns += ';';
        }
        first = false;
        const std::string own = Field(table[i].patterns, sizeof table[i].patterns);
        display += own;
        patterns += own;
    }
    std::replace(display.begin(), display.end(), ';', ',');
    display += ')';

    std::vector<char> texts;
    Append(texts, "All Files (*.*)");
    Append(texts, "*.*");
    Append(texts, display);
    Append(texts, patterns);
    for (int32_t i = 0; i < formatCount; ++i) {
        if (!taken(i)) continue;
        Append(texts, Field(table[i].description, sizeof table[i].description));
        Append(texts, Field(table[i].patterns, sizeof table[i].patterns));
    }
    // At least the customary (count + 2) x 256 bytes, and always room for
    // every text plus the empty one that ends the list.
    std::vector<char> filter(std::max(size_t(formatCount + 2) * 256, texts.size() + 1), '\0');
    std::copy(texts.begin(), texts.end(), filter.begin());
    return filter;
}

int FindBmpWriter(const std::vector<FormatInfo>& table) {
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].writable != 0 && std::strncmp(table[i].tag, "BMP", 3) == 0) return int(i);
    return -1;
}

namespace {

void BindLibraryFile(const std::string& path) {
    DynamicLibrary library(path.c_str());
    const DWORD loadError = GetLastError();
    CodecModule = std::move(library);
    if (!CodecModule) {
        ShowBindingMessage(LoadFailureMessage(loadError));
        return;
    }
    const auto entry = CodecModule.Entry<GetImageLibraryProc>(MAKEINTRESOURCEA(1));
    TheImageLibrary = entry ? entry() : nullptr;
    if (!TheImageLibrary) {
        ShowBindingMessage(IDS_ZELIMAGE_INIT_FAILED_SHORT);
        return;
    }
    FormatCount = std::max<int16_t>(0, TheImageLibrary->GetFormatCount());
    FormatInfo blank;
    std::memset(&blank, 0, sizeof blank);
    FormatTable.assign(size_t(FormatCount), blank);
    LibraryQuery query;
    OpenFileFilter = BuildOpenFileFilter(FormatCount, FormatTable.data(), query);
    const int writer = FindBmpWriter(FormatTable);
    if (writer < 0) {
        ShowBindingMessage(IDS_BMP_WRITER_MISSING);
        return;
    }
    BmpFormatIndex = int16_t(writer);
}

}  // namespace

void BindImageLibraryAt(const std::string& folder) {
    BindLibraryFile(folder + kLibraryBelowProgram);
}

void BindImageLibrary() {
    BindLibraryFile(CodecLibraryPath(AfxModuleFileName(nullptr).str()));
}

void UnbindImageLibrary() {
    std::vector<char>().swap(OpenFileFilter);
    std::vector<FormatInfo>().swap(FormatTable);
    TheImageLibrary = nullptr;
    FormatCount = 0;
    BmpFormatIndex = 0;
    CodecModule = DynamicLibrary();
}
