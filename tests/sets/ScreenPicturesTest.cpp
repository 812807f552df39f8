// The pictures of one change with a picture for each monitor, over every
// order, set size, monitor count and starting point.
#include "SetsTestSupport.h"
#include "sets/ScreenPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

namespace {

std::unique_ptr<CImageSetList> ListOfOneSet(int pictures) {
    auto list = std::make_unique<CImageSetList>();
    list->AddSet(MakeNumberedSet("s", pictures));
    return list;
}

// The marks, counters and positions that the next changes depend on.
std::string State(const CImageSetList& list) {
    std::string state = std::to_string(list.m_nSetIndex) + "/" + std::to_string(list.m_nImageIndex);
    const CImageSet& set = *list.GetSet(0);
    state += "/" + std::to_string(set.m_nUnshown) + "/";
    for (int i = 0; i < set.GetCount(); ++i) state += set.GetEntry(i)->m_bShown ? '1' : '0';
    return state;
}

}  // namespace

TEST(ScreenPictures, EveryMonitorGetsTheNextPictureAndNoneTwiceUnlessTheSetIsTooSmall) {
    SetsStateGuard guard;
    for (int32_t order : {CYCLE_FORWARD, CYCLE_BACKWARD, CYCLE_RANDOM}) {
        for (int count = 1; count <= 6; ++count) {
            for (int screens = 1; screens <= 4; ++screens) {
                for (int before = 0; before < count + 2; ++before) {
                    SCOPED_TRACE("order " + std::to_string(order) + ", " + std::to_string(count) + " pictures, " +
                                 std::to_string(screens) + " screens, " + std::to_string(before) + " shown before");
                    const CycleOrders orders{order, CYCLE_FORWARD};
                    const unsigned seed = static_cast<unsigned>(order * 1000 + count * 100 + screens * 10 + before);
                    auto list = ListOfOneSet(count), twin = ListOfOneSet(count);
                    for (auto* each : {list.get(), twin.get()}) {
                        std::srand(seed);
                        for (int i = 0; i < before; ++i) each->NextImage(orders);
                    }
                    ASSERT_EQ(State(*twin), State(*list));

                    const unsigned changeSeed = static_cast<unsigned>(std::rand());
                    std::srand(changeSeed);
                    const std::vector<CString> paths = NextImagesForScreens(*list, orders, screens);
                    ASSERT_EQ(static_cast<size_t>(screens), paths.size());
                    const std::set<std::string> distinct(paths.begin(), paths.end());
                    EXPECT_EQ(static_cast<size_t>(std::min(screens, count)), distinct.size());

                    // Taken as single changes take them: forward and backward
                    // go on in order, and one screen is one single change.
                    std::srand(changeSeed);
                    if (order != CYCLE_RANDOM || screens == 1) {
                        for (int i = 0; i < screens; ++i) EXPECT_EQ(paths[i], *twin->NextImage(orders)) << i;
                        EXPECT_EQ(State(*twin), State(*list));
                    }
                }
            }
        }
    }
}

TEST(ScreenPictures, RandomOrderLeavesNoPictureOutLongerThanTwoCycles) {
    SetsStateGuard guard;
    const CycleOrders random{CYCLE_RANDOM, CYCLE_FORWARD};
    for (int count = 2; count <= 7; ++count) {
        for (int screens = 2; screens <= std::min(count, 4); ++screens) {
            SCOPED_TRACE(std::to_string(count) + " pictures, " + std::to_string(screens) + " screens");
            std::srand(static_cast<unsigned>(count * 10 + screens));
            auto list = ListOfOneSet(count);
            std::map<std::string, int> lastSeen;
            const int changesPerCycle = (count + screens - 1) / screens;
            for (int change = 0; change < 300; ++change) {
                for (const CString& path : NextImagesForScreens(*list, random, screens)) lastSeen[path.str()] = change;
                for (const auto& seen : lastSeen)
                    EXPECT_LE(change - seen.second, 2 * changesPerCycle + 1) << seen.first << " left out";
            }
            EXPECT_EQ(static_cast<size_t>(count), lastSeen.size());
        }
    }
}
