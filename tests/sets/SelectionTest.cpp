// The set model and the choice of the next picture and the next set.
#include "SetsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

namespace {

// Counts its own destruction.
struct CountedEntry : CImageEntry {
    explicit CountedEntry(int* deaths) : CImageEntry("x"), deaths_(deaths) {}
    ~CountedEntry() override { ++*deaths_; }
    int* deaths_;
};

class SelectionTest : public ::testing::Test {
protected:
    void SetUp() override { std::srand(1234); }

    // One set of `count` pictures under the given picture order.
    void UseOneSet(int count, int pictureOrder) {
        list_.AddSet(MakeNumberedSet("only", count));
        Settings.VistalCycleMethod = pictureOrder;
    }
    int NextPosition() {
        const CString* path = list_.NextImage();
        EXPECT_NE(nullptr, path);
        return list_.m_nImageIndex;
    }
    std::vector<int> NextPositions(int count) {
        std::vector<int> positions;
        for (int i = 0; i < count; ++i) positions.push_back(NextPosition());
        return positions;
    }
    static bool IsPermutation(std::vector<int>::const_iterator first, int count) {
        std::vector<int> part(first, first + count);
        std::sort(part.begin(), part.end());
        for (int i = 0; i < count; ++i)
            if (part[i] != i) return false;
        return true;
    }

    SetsStateGuard guard_;
    CImageSetList list_;
};

}  // namespace

TEST(ImageSetModel, DestroyingAListReleasesEverySetAndPictureOnce) {
    int deaths = 0;
    {
        CImageSetList list;
        for (int s = 0; s < 3; ++s) {
            auto set = std::make_unique<CImageSet>("same name");
            for (int p = 0; p < 4; ++p) set->AddEntry(std::make_unique<CountedEntry>(&deaths));
            list.AddSet(std::move(set));
        }
        list.AddSet(std::make_unique<CImageSet>(""));
        EXPECT_EQ(4, list.GetCount());
        EXPECT_EQ(-1, list.m_nSetIndex);
        EXPECT_EQ(-1, list.m_nImageIndex);
    }
    EXPECT_EQ(12, deaths);
}

TEST(ImageSetModel, MarksAreSetClearedAndIgnoredPastTheEnd) {
    SetsStateGuard guard;
    CImageSetList list;
    list.AddSet(MakeNumberedSet("a", 3));
    list.AddSet(std::make_unique<CImageSet>("empty"));
    CImageSet& set = *list.GetSet(0);
    EXPECT_EQ(0, set.m_nUnshown);
    set.MarkShown(1);
    set.MarkShown(3);
    set.MarkShown(-1);
    EXPECT_EQ(0, set.GetEntry(0)->m_bShown);
    EXPECT_EQ(1, set.GetEntry(1)->m_bShown);
    EXPECT_EQ(0, set.GetEntry(2)->m_bShown);

    set.m_nUnshown = 2;
    list.m_nSetIndex = 0;
    list.m_nImageIndex = 1;
    list.ClearAllShown();
    EXPECT_EQ(0, set.GetEntry(1)->m_bShown);
    EXPECT_EQ(2, set.m_nUnshown);
    EXPECT_EQ(1, list.m_nImageIndex);

    CImageSetList empty;
    empty.ClearAllShown();
    EXPECT_EQ(nullptr, empty.NextImage());
    empty.NextSet();
    EXPECT_EQ(-1, empty.m_nSetIndex);
}

TEST_F(SelectionTest, ForwardAndBackwardWalkTheSetAndWrapAround) {
    UseOneSet(4, CYCLE_FORWARD);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 0, 1}), NextPositions(6));
    const CString* path = list_.NextImage();
    ASSERT_NE(nullptr, path);
    EXPECT_STREQ("p2", *path);
    Settings.VistalCycleMethod = CYCLE_BACKWARD;  // read at every call
    EXPECT_EQ((std::vector<int>{1, 0, 3, 2, 1, 0, 3}), NextPositions(7));

    CImageSetList backward;
    backward.AddSet(MakeNumberedSet("b", 4));
    ASSERT_NE(nullptr, backward.NextImage());
    EXPECT_EQ(3, backward.m_nImageIndex);
}

TEST_F(SelectionTest, RandomShowsEveryPictureOncePerCycleAndNeverTheLastOneTwice) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::srand(seed);
        CImageSetList list;
        list.AddSet(MakeNumberedSet("r", 4));
        Settings.VistalCycleMethod = CYCLE_RANDOM;
        std::vector<int> picks;
        for (int i = 0; i < 40; ++i) {
            ASSERT_NE(nullptr, list.NextImage());
            picks.push_back(list.m_nImageIndex);
        }
        for (int cycle = 0; cycle < 10; ++cycle) {
            EXPECT_TRUE(IsPermutation(picks.begin() + 4 * cycle, 4)) << "seed " << seed << " cycle " << cycle;
            if (cycle > 0) {
                EXPECT_NE(picks[4 * cycle - 1], picks[4 * cycle]) << "seed " << seed;
            }
        }
    }
}

TEST_F(SelectionTest, RandomWithOnePictureAlwaysGivesIt) {
    UseOneSet(1, CYCLE_RANDOM);
    EXPECT_EQ(std::vector<int>(10, 0), NextPositions(10));
}

TEST_F(SelectionTest, RandomStartsWhateverTheCounterHolds) {
    // A new set has 0 to go, a loaded one whatever was stored.
    for (int stored : {0, 2, 4, -3}) {
        CImageSetList list;
        list.AddSet(MakeNumberedSet("r", 4));
        list.GetSet(0)->m_nUnshown = stored;
        Settings.VistalCycleMethod = CYCLE_RANDOM;
        std::vector<int> picks;
        for (int i = 0; i < 4; ++i) {
            ASSERT_NE(nullptr, list.NextImage());
            picks.push_back(list.m_nImageIndex);
        }
        EXPECT_TRUE(IsPermutation(picks.begin(), 4)) << stored;
    }
}

TEST_F(SelectionTest, SwitchingToRandomMidSetContinuesWithTheRandomRule) {
    UseOneSet(4, CYCLE_FORWARD);
    EXPECT_EQ((std::vector<int>{0, 1}), NextPositions(2));
    // The counter is 0, so a new cycle starts at once, not with the picture on show.
    Settings.VistalCycleMethod = CYCLE_RANDOM;
    const std::vector<int> picks = NextPositions(8);
    EXPECT_NE(1, picks[0]);
    EXPECT_TRUE(IsPermutation(picks.begin(), 4));
    EXPECT_TRUE(IsPermutation(picks.begin() + 4, 4));
}

TEST_F(SelectionTest, AStaleCounterCannotPinOnePicture) {
    // More to go than unmarked pictures, as an odd stored state can leave it.
    UseOneSet(4, CYCLE_RANDOM);
    CImageSet& set = *list_.GetSet(0);
    for (int p = 0; p < 3; ++p) set.MarkShown(p);
    set.m_nUnshown = 3;
    list_.m_nSetIndex = 0;
    list_.m_nImageIndex = 0;
    const std::vector<int> picks = NextPositions(12);
    const std::set<int> late(picks.begin() + 4, picks.end());
    EXPECT_EQ(4u, late.size());
}

TEST_F(SelectionTest, NextSetWalksTheSetsAndForgetsThePicture) {
    for (const char* name : {"a", "b", "c"}) list_.AddSet(MakeNumberedSet(name, 2));
    Settings.VistalSetCycleMethod = CYCLE_FORWARD;
    std::vector<int> sets;
    for (int i = 0; i < 4; ++i) {
        list_.NextSet();
        sets.push_back(list_.m_nSetIndex);
    }
    EXPECT_EQ((std::vector<int>{0, 1, 2, 0}), sets);

    list_.NextImage();
    list_.NextImage();
    list_.GetSet(1)->MarkShown(1);
    list_.GetSet(1)->m_nUnshown = 1;
    Settings.VistalSetCycleMethod = CYCLE_BACKWARD;
    list_.NextSet();
    list_.NextSet();
    EXPECT_EQ(1, list_.m_nSetIndex);
    EXPECT_EQ(-1, list_.m_nImageIndex);
    EXPECT_EQ(0, list_.GetSet(1)->GetEntry(1)->m_bShown);  // marks of the new current set cleared
    EXPECT_EQ(1, list_.GetSet(1)->m_nUnshown);              // its counter kept

    CImageSetList fresh;
    for (const char* name : {"a", "b", "c"}) fresh.AddSet(MakeNumberedSet(name, 2));
    fresh.NextSet();
    EXPECT_EQ(2, fresh.m_nSetIndex);
}

TEST_F(SelectionTest, OneSetNeverChangesOnNextSet) {
    UseOneSet(3, CYCLE_FORWARD);
    for (int order : {CYCLE_FORWARD, CYCLE_BACKWARD, CYCLE_RANDOM}) {
        Settings.VistalSetCycleMethod = order;
        NextPositions(2);
        const int picture = list_.m_nImageIndex;
        list_.NextSet();
        EXPECT_EQ(0, list_.m_nSetIndex);
        EXPECT_EQ(picture, list_.m_nImageIndex);
    }
}

TEST_F(SelectionTest, TwoSetsAlternateUnderRandomOrder) {
    list_.AddSet(MakeNumberedSet("a", 2));
    list_.AddSet(MakeNumberedSet("b", 2));
    Settings.VistalSetCycleMethod = CYCLE_RANDOM;
    list_.NextSet();
    for (int i = 0; i < 20; ++i) {
        const int before = list_.m_nSetIndex;
        list_.NextSet();
        ASSERT_EQ(1 - before, list_.m_nSetIndex);
    }
}

TEST_F(SelectionTest, SetsWithoutPicturesAreSkipped) {
    list_.AddSet(std::make_unique<CImageSet>("empty"));
    list_.AddSet(MakeSet("one", {"lake.jpg"}));
    list_.AddSet(std::make_unique<CImageSet>("empty too"));
    for (int order : {CYCLE_FORWARD, CYCLE_BACKWARD, CYCLE_RANDOM}) {
        Settings.VistalSetCycleMethod = order;
        list_.m_nSetIndex = order == CYCLE_BACKWARD ? 2 : 0;
        list_.m_nImageIndex = -1;
        const CString* path = list_.NextImage();
        ASSERT_NE(nullptr, path) << order;
        EXPECT_STREQ("lake.jpg", *path);
        EXPECT_EQ(1, list_.m_nSetIndex);
        // A set change lands on an empty set; the picture change moves on.
        list_.NextSet();
        ASSERT_NE(nullptr, list_.NextImage());
        EXPECT_EQ(1, list_.m_nSetIndex);
    }
}

TEST_F(SelectionTest, NoPictureAnywhereChangesNothing) {
    list_.AddSet(std::make_unique<CImageSet>("empty"));
    list_.AddSet(std::make_unique<CImageSet>("empty too"));
    list_.m_nSetIndex = 1;
    EXPECT_EQ(nullptr, list_.NextImage());
    EXPECT_EQ(1, list_.m_nSetIndex);
    EXPECT_EQ(-1, list_.m_nImageIndex);
}

TEST_F(SelectionTest, PositionsPointingAtNothingCountAsNone) {
    list_.AddSet(MakeNumberedSet("a", 2));
    list_.AddSet(MakeNumberedSet("b", 3));
    list_.m_nSetIndex = 7;
    list_.m_nImageIndex = 1;
    ASSERT_NE(nullptr, list_.NextImage());
    EXPECT_EQ(0, list_.m_nSetIndex);
    EXPECT_EQ(0, list_.m_nImageIndex);

    list_.m_nSetIndex = 0;
    list_.m_nImageIndex = 2;  // valid in set b only
    ASSERT_NE(nullptr, list_.NextImage());
    EXPECT_EQ(0, list_.m_nImageIndex);

    list_.m_nSetIndex = -5;
    list_.NextSet();
    EXPECT_EQ(0, list_.m_nSetIndex);
}

TEST_F(SelectionTest, UnknownCycleMethodsActAsForward) {
    for (const char* name : {"a", "b", "c"}) list_.AddSet(MakeNumberedSet(name, 3));
    Settings.VistalCycleMethod = 7;
    Settings.VistalSetCycleMethod = -1;
    EXPECT_EQ((std::vector<int>{0, 1, 2, 0}), NextPositions(4));
    EXPECT_EQ(0, list_.m_nSetIndex);
    list_.NextSet();
    EXPECT_EQ(1, list_.m_nSetIndex);
    list_.NextSet();
    EXPECT_EQ(2, list_.m_nSetIndex);
    EXPECT_EQ(0, NextPosition());
}
