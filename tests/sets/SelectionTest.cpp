// The set model and the choice of the next picture and the next set.
#include "SetsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

namespace {

struct CountedEntry : CImageEntry {
    explicit CountedEntry(int* deaths) : CImageEntry("x"), deaths_(deaths) {}
    ~CountedEntry() override { ++*deaths_; }
    int* deaths_;
};

class SelectionTest : public ::testing::Test {
protected:
    void SetUp() override { std::srand(1234); }

    void AddSets(int sets, int picturesEach) {
        for (int i = 0; i < sets; ++i) list_.AddSet(MakeNumberedSet("s", picturesEach));
    }
    std::vector<int> NextPositions(int count) {
        std::vector<int> positions;
        for (int i = 0; i < count; ++i) {
            EXPECT_NE(nullptr, list_.NextImage(orders_));
            positions.push_back(list_.m_nImageIndex);
        }
        return positions;
    }
    int SetAfterNextSet() {
        list_.NextSet(orders_.sets);
        return list_.m_nSetIndex;
    }
    static bool HoldsEachOnce(const std::vector<int>& picks, size_t first, int count) {
        std::vector<int> part(picks.begin() + first, picks.begin() + first + count);
        std::sort(part.begin(), part.end());
        for (int i = 0; i < count; ++i)
            if (part[i] != i) return false;
        return true;
    }

    SetsStateGuard guard_;
    CycleOrders orders_{CYCLE_FORWARD, CYCLE_FORWARD};
    CImageSetList list_;
};

}  // namespace

TEST(ImageSetModel, OwnsItsSetsAndPicturesAndIgnoresMarksPastTheEnd) {
    int deaths = 0;
    {
        CImageSetList list;
        for (int s = 0; s < 3; ++s) {
            auto set = std::make_unique<CImageSet>("same name");
            for (int p = 0; p < 4; ++p) set->AddEntry(std::make_unique<CountedEntry>(&deaths));
            list.AddSet(std::move(set));
        }
        list.AddSet(std::make_unique<CImageSet>(""));
        CImageSet& first = *list.GetSet(0);
        first.MarkShown(1);
        first.MarkShown(4);
        first.m_nUnshown = 2;
        EXPECT_EQ(1, first.GetEntry(1)->m_bShown);
        EXPECT_EQ(0, first.GetEntry(3)->m_bShown);
        list.ClearAllShown();
        EXPECT_EQ(0, first.GetEntry(1)->m_bShown);
        EXPECT_EQ(2, first.m_nUnshown);
    }
    EXPECT_EQ(12, deaths);
}

TEST_F(SelectionTest, ForwardAndBackwardWalkTheSetAndWrapAround) {
    AddSets(1, 4);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 0, 1}), NextPositions(6));
    EXPECT_STREQ("p2", *list_.NextImage(orders_));
    orders_.pictures = CYCLE_BACKWARD;
    EXPECT_EQ((std::vector<int>{1, 0, 3, 2, 1}), NextPositions(5));
    list_.m_nImageIndex = -1;
    EXPECT_EQ(std::vector<int>{3}, NextPositions(1));
}

TEST_F(SelectionTest, RandomShowsEveryPictureOncePerCycleAndNeverTheLastOneTwice) {
    orders_.pictures = CYCLE_RANDOM;
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::srand(seed);
        CImageSetList list;
        list.AddSet(MakeNumberedSet("r", 4));
        std::vector<int> picks;
        for (int i = 0; i < 40; ++i) {
            ASSERT_NE(nullptr, list.NextImage(orders_));
            picks.push_back(list.m_nImageIndex);
        }
        for (size_t cycle = 0; cycle < 10; ++cycle) {
            EXPECT_TRUE(HoldsEachOnce(picks, 4 * cycle, 4)) << "seed " << seed;
            if (cycle > 0) {
                EXPECT_NE(picks[4 * cycle - 1], picks[4 * cycle]) << "seed " << seed;
            }
        }
    }
    CImageSetList single;
    single.AddSet(MakeNumberedSet("one", 1));
    for (int i = 0; i < 5; ++i) {
        ASSERT_NE(nullptr, single.NextImage(orders_));
        EXPECT_EQ(0, single.m_nImageIndex);
    }
}

TEST_F(SelectionTest, SwitchingToRandomMidSetStartsANewCycleWithoutARepeat) {
    AddSets(1, 4);
    EXPECT_EQ((std::vector<int>{0, 1}), NextPositions(2));
    orders_.pictures = CYCLE_RANDOM;  // the set's counter is 0
    const std::vector<int> picks = NextPositions(8);
    EXPECT_NE(1, picks[0]);
    EXPECT_TRUE(HoldsEachOnce(picks, 0, 4));
    EXPECT_TRUE(HoldsEachOnce(picks, 4, 4));
}

TEST_F(SelectionTest, AStaleCounterCannotPinOnePicture) {
    // More to go than unmarked pictures, as an odd stored state can leave it.
    AddSets(1, 4);
    orders_.pictures = CYCLE_RANDOM;
    CImageSet& set = *list_.GetSet(0);
    for (int p = 0; p < 3; ++p) set.MarkShown(p);
    set.m_nUnshown = 3;
    list_.m_nSetIndex = 0;
    list_.m_nImageIndex = 0;
    const std::vector<int> picks = NextPositions(12);
    EXPECT_EQ(4u, std::set<int>(picks.begin() + 4, picks.end()).size());
}

TEST_F(SelectionTest, NextSetWalksTheSetsClearsMarksAndForgetsThePicture) {
    AddSets(3, 2);
    EXPECT_EQ(0, SetAfterNextSet());
    EXPECT_EQ(1, SetAfterNextSet());
    EXPECT_EQ(2, SetAfterNextSet());
    EXPECT_EQ(0, SetAfterNextSet());
    NextPositions(2);
    list_.GetSet(2)->MarkShown(1);
    list_.GetSet(2)->m_nUnshown = 1;
    orders_.sets = CYCLE_BACKWARD;
    EXPECT_EQ(2, SetAfterNextSet());
    EXPECT_EQ(-1, list_.m_nImageIndex);
    EXPECT_EQ(0, list_.GetSet(2)->GetEntry(1)->m_bShown);
    EXPECT_EQ(1, list_.GetSet(2)->m_nUnshown);
    list_.m_nSetIndex = -1;
    EXPECT_EQ(2, SetAfterNextSet());
}

TEST_F(SelectionTest, OneSetStaysAndTwoSetsAlternateUnderRandomOrder) {
    AddSets(1, 3);
    for (int order : {CYCLE_FORWARD, CYCLE_BACKWARD, CYCLE_RANDOM}) {
        orders_.sets = order;
        NextPositions(2);
        const int picture = list_.m_nImageIndex;
        EXPECT_EQ(0, SetAfterNextSet());
        EXPECT_EQ(picture, list_.m_nImageIndex);
    }
    AddSets(1, 3);
    orders_.sets = CYCLE_RANDOM;
    for (int i = 0; i < 20; ++i) {
        const int before = list_.m_nSetIndex;
        ASSERT_EQ(1 - before, SetAfterNextSet());
    }
}

TEST_F(SelectionTest, SetsWithoutPicturesAreSkippedAndNoPictureAtAllChangesNothing) {
    list_.AddSet(std::make_unique<CImageSet>("empty"));
    list_.AddSet(MakeSet("one", {"lake.jpg"}));
    list_.AddSet(std::make_unique<CImageSet>("empty too"));
    for (int order : {CYCLE_FORWARD, CYCLE_BACKWARD, CYCLE_RANDOM}) {
        orders_.sets = order;
        list_.m_nSetIndex = order == CYCLE_BACKWARD ? 2 : 0;
        list_.m_nImageIndex = -1;
        const CString* path = list_.NextImage(orders_);
        ASSERT_NE(nullptr, path) << order;
        EXPECT_STREQ("lake.jpg", *path);
        // A set change lands on an empty set; the picture change moves on.
        list_.NextSet(orders_.sets);
        ASSERT_NE(nullptr, list_.NextImage(orders_));
        EXPECT_EQ(1, list_.m_nSetIndex);
    }

    CImageSetList empty;
    EXPECT_EQ(nullptr, empty.NextImage(orders_));
    empty.AddSet(std::make_unique<CImageSet>("empty"));
    empty.AddSet(std::make_unique<CImageSet>("empty too"));
    empty.m_nSetIndex = 1;
    EXPECT_EQ(nullptr, empty.NextImage(orders_));
    EXPECT_EQ(1, empty.m_nSetIndex);
}

TEST_F(SelectionTest, PositionsPointingAtNothingCountAsNone) {
    list_.AddSet(MakeNumberedSet("a", 2));
    list_.AddSet(MakeNumberedSet("b", 3));
    list_.m_nSetIndex = 7;
    list_.m_nImageIndex = 1;
    EXPECT_EQ(std::vector<int>{0}, NextPositions(1));
    EXPECT_EQ(0, list_.m_nSetIndex);
    list_.m_nImageIndex = 2;  // valid in set b only
    EXPECT_EQ(std::vector<int>{0}, NextPositions(1));
    list_.m_nSetIndex = -5;
    EXPECT_EQ(0, SetAfterNextSet());
}

TEST_F(SelectionTest, UnknownCycleMethodsActAsForward) {
    AddSets(3, 3);
    orders_.pictures = 7;
    orders_.sets = -1;
    EXPECT_EQ((std::vector<int>{0, 1, 2, 0}), NextPositions(4));
    EXPECT_EQ(1, SetAfterNextSet());
    EXPECT_EQ(2, SetAfterNextSet());
    EXPECT_EQ(std::vector<int>{0}, NextPositions(1));
}

// Taking a picture out keeps the order going as if it had never been there:
// forward and backward go on to the picture that would have come after the
// current one, and a running random cycle shows the pictures it still owes,
// each once. Every current picture against every removed one.
TEST_F(SelectionTest, RemovingAPictureKeepsTheOrderGoing) {
    constexpr int kCount = 5;
    auto name = [](int position) { return "p" + std::to_string(position); };
    for (int order : {CYCLE_FORWARD, CYCLE_BACKWARD, CYCLE_RANDOM}) {
        for (int current = 0; current < kCount; ++current) {
            for (int removed = 0; removed < kCount; ++removed) {
                SCOPED_TRACE("order " + std::to_string(order) + ", current " + name(current) + ", removed " +
                             name(removed));
                CImageSetList list;
                list.AddSet(MakeNumberedSet("s", kCount));
                list.m_nSetIndex = 0;
                list.m_nImageIndex = current;
                CImageSet& set = *list.GetSet(0);
                std::set<std::string> owed;  // by the random cycle, once the removed one has gone
                for (int i = 0; i < kCount; ++i) {
                    if (i == current || i % 3 == 0) set.MarkShown(i);
                    else ++set.m_nUnshown;
                    if (!set.GetEntry(i)->m_bShown && i != removed) owed.insert(name(i));
                }
                const CycleOrders orders{order, CYCLE_FORWARD};

                list.RemovePicture({0, removed}, order);
                ASSERT_EQ(kCount - 1, set.GetCount());
                if (order == CYCLE_RANDOM) {
                    std::set<std::string> shown;
                    for (size_t i = 0; i < owed.size(); ++i) shown.insert(list.NextImage(orders)->str());
                    EXPECT_EQ(owed, shown);
                } else {
                    const int step = order == CYCLE_FORWARD ? 1 : kCount - 1;
                    int expected = (current + step) % kCount;
                    if (expected == removed) expected = (expected + step) % kCount;
                    EXPECT_EQ(name(expected), list.NextImage(orders)->str());
                }
            }
        }
    }
}
