// BindImageLibrary against the real ZELIMAGE.DLL and against stand-ins
// built for each case (see CMakeLists.txt).
#include "wallpaper/CodecBinding.h"

#include "support/DialogCatcher.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string FakesFolder(const char* name) { return TestProgramFolder() + "\\binding-fakes\\" + name; }

std::vector<std::string> FilterTexts() {
    std::vector<std::string> texts;
    size_t at = 0;
    while (at < OpenFileFilter.size() && OpenFileFilter[at] != '\0') {
        texts.emplace_back(&OpenFileFilter[at]);
        at += texts.back().size() + 1;
    }
    // The pattern of the "All Formats" pair may itself be empty.
    if (texts.size() == 3) texts.emplace_back("");
    return texts;
}

std::vector<std::string> MessagesOf(const DialogCatcher& catcher) {
    std::vector<std::string> texts;
    for (const CaughtBox& box : catcher.Boxes()) texts.push_back(box.text);
    return texts;
}

// Binds below `folder` while catching the message boxes it shows.
std::vector<std::string> BindCatching(const std::string& folder) {
    DialogCatcher catcher;
    BindImageLibraryAt(folder);
    return MessagesOf(catcher);
}

class Binding : public ::testing::Test {
protected:
    void TearDown() override { UnbindImageLibrary(); }
};

const char kBmpWriterMissing[] =
    "BMP File Format DLL not found!  Please re-install Vistals with the BMP File Format DLL selected.";

}  // namespace

TEST(CodecLibraryPathTest, FolderOfTheProgramOrTheCurrentOne) {
    EXPECT_EQ("C:\\Apps\\Vistals\\ZELIMAGE\\ZELIMAGE.DLL", CodecLibraryPath("C:\\Apps\\Vistals\\Vistals.exe"));
    EXPECT_EQ(".\\ZELIMAGE\\ZELIMAGE.DLL", CodecLibraryPath("Vistals.exe"));
}

TEST_F(Binding, RealLibraryBindsSilentlyWithItsFormats) {
    EXPECT_TRUE(BindCatching(DistDir()).empty());
    ASSERT_NE(nullptr, TheImageLibrary);
    EXPECT_GE(FormatCount, 4);
    EXPECT_EQ(0, BmpFormatIndex);
    const std::vector<std::string> texts = FilterTexts();
    ASSERT_GE(texts.size(), 6u);
    EXPECT_EQ("All Files (*.*)", texts[0]);
    EXPECT_EQ(0u, texts[2].find("All Formats (*.bmp,*.dib"));
    EXPECT_NE(std::string::npos, texts[3].find("*.jpg;*.jpeg"));
    EXPECT_NE(std::string::npos, texts[3].find("*.tif")) << "WIC's TIFF decoder joins the list";
}

TEST_F(Binding, ExampleFilterAndTheBmpWriterRules) {
    EXPECT_TRUE(BindCatching(FakesFolder("example")).empty());
    EXPECT_EQ(4, FormatCount);
    const std::vector<std::string> expected = {"All Files (*.*)", "*.*", "All Formats (a,b1,b2)", "a;b1;b2",
                                               "Format A",        "a",   "Not the writer",        "b1;b2"};
    EXPECT_EQ(expected, FilterTexts());
    EXPECT_EQ(3, BmpFormatIndex) << "\"BMPW\" is writable; the unwritable \"BMP\" is not the writer";
    EXPECT_GE(OpenFileFilter.size(), size_t(4 + 2) * 256);
}

TEST_F(Binding, NoFormatsClosesTheListAndReportsTheMissingWriter) {
    EXPECT_EQ(std::vector<std::string>{kBmpWriterMissing}, BindCatching(FakesFolder("noformats")));
    EXPECT_EQ(0, FormatCount);
    const std::vector<std::string> expected = {"All Files (*.*)", "*.*", "All Formats ()", ""};
    EXPECT_EQ(expected, FilterTexts());
    EXPECT_EQ(0, BmpFormatIndex);
}

TEST_F(Binding, FieldsWithoutEndStayWithinTheirRecordsAndAllFit) {
    EXPECT_EQ(std::vector<std::string>{kBmpWriterMissing}, BindCatching(FakesFolder("fullfields")));
    const std::vector<std::string> texts = FilterTexts();
    ASSERT_EQ(size_t(2 + 2 + 2 * 12), texts.size());
    for (size_t i = 4; i < texts.size(); ++i) EXPECT_EQ(64u, texts[i].size()) << i;
    EXPECT_EQ(12u * 64 + 11 + std::string("All Formats ()").size(), texts[2].size());
    EXPECT_EQ('A', texts[4][0]);
    EXPECT_EQ('l', texts[27][0]);
}

TEST_F(Binding, EntryPointMissingOrReturningNone) {
    for (const char* name : {"returnsnull", "noordinal"}) {
        EXPECT_EQ(std::vector<std::string>{"ZELIMAGE.DLL initialization failed"}, BindCatching(FakesFolder(name)))
            << name;
        EXPECT_EQ(nullptr, TheImageLibrary);
        EXPECT_TRUE(CodecModule) << "the module stays loaded";
        EXPECT_TRUE(FormatTable.empty());
        EXPECT_TRUE(OpenFileFilter.empty());
        UnbindImageLibrary();
    }
}

TEST_F(Binding, LoadFailuresByTheirCause) {
    EXPECT_EQ(std::vector<std::string>{"ZELIMAGE.DLL initialization failed."},
              BindCatching(FakesFolder("initfails")));
    EXPECT_FALSE(CodecModule);

    const std::string empty = MakeTempFolder("binding-missing");
    EXPECT_EQ(std::vector<std::string>{"Could not find ZELIMAGE.DLL."}, BindCatching(empty));

    const std::string damaged = MakeTempFolder("binding-damaged");
    CreateDirectoryA((damaged + "\\ZELIMAGE").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(damaged + "\\ZELIMAGE\\ZELIMAGE.DLL", std::string(4096, 'Z')));
    EXPECT_EQ(std::vector<std::string>{"One of the library files needed to run this application is damaged."},
              BindCatching(damaged));
    EXPECT_EQ(nullptr, TheImageLibrary);
}

TEST_F(Binding, UnbindReleasesEverythingAndUnloads) {
    BindCatching(FakesFolder("example"));
    const std::string path = FakesFolder("example") + "\\ZELIMAGE\\ZELIMAGE.DLL";
    ASSERT_NE(nullptr, GetModuleHandleA(path.c_str()));
    UnbindImageLibrary();
    EXPECT_EQ(nullptr, GetModuleHandleA(path.c_str()));
    EXPECT_EQ(nullptr, TheImageLibrary);
    EXPECT_TRUE(FormatTable.empty());
    EXPECT_TRUE(OpenFileFilter.empty());
    EXPECT_EQ(0, FormatCount);
}
