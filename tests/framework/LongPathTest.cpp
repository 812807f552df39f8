// Paths longer than the narrow calls take: the wide form follows Windows'
// rules for the "\\?\" prefix (the path after it is taken literally, so it
// must already be whole: "\" separators, no "." or ".." parts, absolute), and
// the file behind such a path is found.
#include "framework/Handle.h"
#include "framework/LongPath.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// "\long-folder-name-0\long-folder-name-1..." of at least 300 characters.
const std::string kDeep = [] {
    std::string deep;
    for (int i = 0; deep.size() < 300; ++i) deep += "\\long-folder-name-" + std::to_string(i);
    return deep;
}();

std::string CurrentFolder() {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    const std::string text(folder);
    return text.back() == '\\' ? text.substr(0, text.size() - 1) : text;
}

}  // namespace

TEST(LongPath, TheWideFormOfALongPathIsWholeAndPrefixed) {
    struct Case {
        std::string given;
        std::string wide;  // after "\\?\"; empty: the path stays as it is
    };
    const Case cases[] = {
        {"C:\\pics\\lake.jpg", ""},
        {"C:/pics/../lake.jpg", ""},  // short: the narrow calls resolve it themselves
        {"C:" + kDeep + "\\lake.jpg", "C:" + kDeep + "\\lake.jpg"},
        {"C:" + kDeep + "/sub/lake.jpg", "C:" + kDeep + "\\sub\\lake.jpg"},
        {"C:" + kDeep + "\\sub\\..\\.\\lake.jpg", "C:" + kDeep + "\\lake.jpg"},
        {"\\\\server\\share" + kDeep + "\\lake.jpg", "UNC\\server\\share" + kDeep + "\\lake.jpg"},
        {"\\\\server\\share" + kDeep + "\\sub\\..\\lake.jpg", "UNC\\server\\share" + kDeep + "\\lake.jpg"},
        {"\\\\?\\C:" + kDeep + "\\lake.jpg", ""},  // already in the long form
        {"pics" + kDeep + "\\lake.jpg", CurrentFolder() + "\\pics" + kDeep + "\\lake.jpg"},
    };
    for (const Case& c : cases) {
        const std::wstring expected = c.wide.empty() ? Wide(c.given) : L"\\\\?\\" + Wide(c.wide);
        EXPECT_TRUE(expected == WidePathAnyLength(c.given.c_str())) << c.given;
    }
    // Whole, as Explorer is handed it: no prefix, at any length.
    EXPECT_EQ("C:\\lake.jpg", FullPathAnyLength("C:/pics/../lake.jpg").str());
    EXPECT_EQ("C:" + kDeep + "\\lake.jpg", FullPathAnyLength(("C:" + kDeep + "/sub/.././lake.jpg").c_str()).str());
}

TEST(LongPath, AFileBehindALongPathIsFoundHoweverThePathIsSpelt) {
    std::string folder = MakeTempFolder("long-path");
    for (size_t start = 1, end; start < kDeep.size(); start = end + 1) {
        end = std::min(kDeep.find('\\', start), kDeep.size());
        folder += "\\" + kDeep.substr(start, end - start);
        CreateDirectoryW((L"\\\\?\\" + Wide(folder)).c_str(), nullptr);
    }
    CreateDirectoryW((L"\\\\?\\" + Wide(folder + "\\sub")).c_str(), nullptr);
    const std::string picture = folder + "\\lake.jpg";
    ASSERT_TRUE(FileHandle(CreateFileW((L"\\\\?\\" + Wide(picture)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       0, nullptr)));

    std::string slashed = folder + "\\sub\\..\\lake.jpg";
    for (char& c : slashed)
        if (c == '\\') c = '/';
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    SetCurrentDirectoryA(folder.substr(0, 3).c_str());
    for (const std::string& spelt : {picture, folder + "\\sub\\..\\.\\lake.jpg", slashed, picture.substr(3)}) {
        const DWORD attributes = FileAttributesAnyLength(spelt.c_str());
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, attributes) << spelt;
        EXPECT_FALSE(attributes & FILE_ATTRIBUTE_DIRECTORY) << spelt;
        EXPECT_TRUE(PathExists(spelt.c_str())) << spelt;
    }
    EXPECT_FALSE(PathExists(""));
    EXPECT_FALSE(PathExists((folder + "\\gone.jpg").c_str()));
    SetCurrentDirectoryA(current);
    EXPECT_TRUE(IsExistingFolder((folder + "\\sub\\..").c_str()));
    EXPECT_EQ(1u, FileNamesInFolder((folder + "\\sub\\..").c_str()).size());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, FileAttributesAnyLength((folder + "\\gone.jpg").c_str()));
}
