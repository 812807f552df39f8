// Strings, object lists and file search.
#include "framework/CFileFind.h"
#include "framework/CObject.h"
#include "framework/CString.h"
#include "framework/Wnd.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Tagged : CObject {
    explicit Tagged(int v) : value(v) {}
    int value;
};

int ValueAt(const CObList& list, int index) {
    POSITION p = list.FindIndex(index);
    return p ? static_cast<Tagged*>(list.GetAt(p))->value : -1;
}

}  // namespace

TEST(CString, FormatGrowsPastAnyFixedBuffer) {
    CString s;
    s.Format("%s - %02ld:%02ld:%02ld", "Vistals", 1L, 2L, 5L);
    EXPECT_STREQ("Vistals - 01:02:05", s);
    std::string longText(5000, 'x');
    s.Format("[%s]", longText.c_str());
    EXPECT_EQ(5002, s.GetLength());
    EXPECT_EQ(']', s.GetAt(5001));
}

TEST(CString, ReplaceIsExactCaseAndCountsEveryHit) {
    CString s("C:\\A.HLP\\b.HLP.hlp");
    EXPECT_EQ(2, s.Replace(".HLP", ".chm"));
    EXPECT_STREQ("C:\\A.chm\\b.chm.hlp", s);
    CString growing("aa");
    EXPECT_EQ(2, growing.Replace("a", "aa"));  // no endless loop on self-similar text
    EXPECT_STREQ("aaaa", growing);
}

TEST(CString, SlicesClampToTheText) {
    CString s("lake.jpg");
    EXPECT_STREQ("lake", s.Left(4));
    EXPECT_EQ(4, s.ReverseFind('.'));
    EXPECT_EQ(-1, s.Find("z"));
}

TEST(CString, LoadsTheStringTable) {
    CString s;
    ASSERT_TRUE(s.LoadString(57344));
    EXPECT_STREQ("Vistals", s);
    EXPECT_FALSE(s.LoadString(12345));
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CObList, PositionsAndFindIndexBounds) {
    CObList list;
    Tagged a(1), b(2), c(3);
    list.AddTail(&a);
    list.AddTail(&b);
    list.AddTail(&c);
    ASSERT_EQ(3, list.GetCount());
    EXPECT_EQ(1, ValueAt(list, 0));
    EXPECT_EQ(2, ValueAt(list, 1));
    EXPECT_EQ(3, ValueAt(list, 2));
    EXPECT_EQ(nullptr, list.FindIndex(3));
    EXPECT_EQ(nullptr, list.FindIndex(-1));

    list.RemoveAt(list.FindIndex(1));
    EXPECT_EQ(2, list.GetCount());
    EXPECT_EQ(3, ValueAt(list, 1));
    EXPECT_EQ(&a, list.RemoveHead());
    EXPECT_EQ(&c, list.RemoveHead());
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(nullptr, list.GetHeadPosition());
}

TEST(CObject, RuntimeClassKnowsItsBasesAndNothingElse) {
    CObList list;
    EXPECT_TRUE(list.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(list.IsKindOf(RUNTIME_CLASS(CWnd)));
}

class FileFindTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeTempFolder("find");
        for (const char* name : {"a.jpg", "b.jpg", "c.png"})
            ASSERT_TRUE(WriteFileBytes(folder_ + "\\" + name, "x"));
    }
    std::vector<std::string> Matches(const std::string& pattern) {
        std::vector<std::string> found;
        CFileFind finder;
        for (BOOL more = finder.FindFile(pattern.c_str()); more;) {
            more = finder.FindNextFile();
            found.push_back(std::string(finder.GetFilePath()));
        }
        std::sort(found.begin(), found.end());
        return found;
    }
    std::string folder_;
};

TEST_F(FileFindTest, WildcardGivesEveryMatchIncludingTheLast) {
    EXPECT_EQ((std::vector<std::string>{folder_ + "\\a.jpg", folder_ + "\\b.jpg"}), Matches(folder_ + "\\*.jpg"));
    EXPECT_EQ((std::vector<std::string>{folder_ + "\\c.png"}), Matches(folder_ + "\\?.png"));
}

TEST_F(FileFindTest, RelativePatternGivesAbsolutePaths) {
    char saved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    SetCurrentDirectoryA(folder_.c_str());
    auto found = Matches("*.png");
    SetCurrentDirectoryA(saved);
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ(folder_ + "\\c.png", found[0]);
}

TEST_F(FileFindTest, NoMatchAndDotsEntries) {
    EXPECT_TRUE(Matches(folder_ + "\\*.gif").empty());
    CFileFind finder;
    int dots = 0;
    for (BOOL more = finder.FindFile((folder_ + "\\*.*").c_str()); more;) {
        more = finder.FindNextFile();
        if (finder.IsDots()) ++dots;
    }
    EXPECT_EQ(2, dots);
}
