// Image sets in the registry.
#include "SetsTestSupport.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

std::string PathOf(const std::string& below) {
    return below.empty() ? kImageSetsKey : std::string(kImageSetsKey) + "\\" + below;
}

// A value below "Image Sets" ("Set2", "I0").
std::optional<DWORD> SetsDword(const std::string& below, const char* name) { return StoredDword(PathOf(below), name); }

// Type and size in bytes of a stored value; false when it is missing.
bool StoredShape(const std::string& below, const char* name, DWORD* type, DWORD* size) {
    *size = 0;
    return RegGetValueA(HKEY_CURRENT_USER, PathOf(below).c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, type, nullptr,
                        size) == ERROR_SUCCESS;
}

bool KeyExists(const std::string& below) {
    RegKey key;
    return RegOpenKeyExA(HKEY_CURRENT_USER, PathOf(below).c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

void StoreSetsDword(const std::string& below, const char* name, DWORD value) {
    ASSERT_TRUE(StoreDword(PathOf(below), name, value));
}

void DeleteStoredValue(const std::string& below, const char* name) {
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKeyValueA(HKEY_CURRENT_USER, PathOf(below).c_str(), name));
}

// A list of `count` sets named s0, s1, ... with count - i pictures each.
std::unique_ptr<CImageSetList> NewNumberedList(int count, const char* prefix = "s") {
    auto list = std::make_unique<CImageSetList>();
    for (int i = 0; i < count; ++i) list->AddSet(MakeNumberedSet((prefix + std::to_string(i)).c_str(), count - i));
    return list;
}

class StorageTest : public ::testing::Test {
protected:
    RegistrySandbox sandbox_;
    SetsStateGuard guard_;
};

}  // namespace

TEST_F(StorageTest, AnEmptyListIsStoredAsNoSetsAndNoPosition) {
    CImageSetList list;
    ASSERT_TRUE(list.SaveToRegistry());
    EXPECT_EQ(0u, SetsDword("", "SetCount"));
    EXPECT_EQ(0xFFFFFFFFu, SetsDword("", "SetIndex"));
    EXPECT_FALSE(KeyExists("Set0"));

    CImageSetList loaded;
    EXPECT_TRUE(loaded.LoadFromRegistry());
    EXPECT_EQ(0, loaded.GetCount());
    EXPECT_EQ(-1, loaded.m_nSetIndex);
    EXPECT_EQ(-1, loaded.m_nImageIndex);
}

TEST_F(StorageTest, ARoundTripKeepsNamesPathsPositionsAndMarks) {
    Settings.VistalCycleMethod = CYCLE_RANDOM;
    const std::string longPath = "C:\\" + std::string(300, 'p') + ".jpg";
    const std::string longName(400, 'n');
    CImageSetList list;
    list.AddSet(MakeSet("Holiday", {"C:\\a.jpg", "b.png", "C:\\c.bmp"}));
    list.AddSet(MakeSet("", {longPath.c_str()}));
    list.AddSet(MakeSet("Holiday", {}));
    list.AddSet(MakeSet(longName.c_str(), {"d.gif"}));
    list.GetSet(0)->MarkShown(1);
    list.GetSet(0)->m_nUnshown = 1;
    list.m_nSetIndex = 0;
    list.m_nImageIndex = 1;
    ASSERT_TRUE(list.SaveToRegistry());

    DWORD type = 0, size = 0;
    ASSERT_TRUE(StoredShape("Set1", "SetName", &type, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(1u, size);  // the terminating zero alone
    ASSERT_TRUE(StoredShape("Set0", "I2", &type, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(9u, size);
    ASSERT_TRUE(StoredShape("Set0", "I1D", &type, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(0u, SetsDword("Set2", "ImageCount"));
    EXPECT_EQ(1u, SetsDword("Set3", "ImageIndex"));  // every set key carries the list's picture index

    CImageSetList loaded;
    ASSERT_TRUE(loaded.LoadFromRegistry());
    ASSERT_EQ(4, loaded.GetCount());
    EXPECT_EQ(0, loaded.m_nSetIndex);
    EXPECT_EQ(1, loaded.m_nImageIndex);
    const CImageSet& first = *loaded.GetSet(0);
    EXPECT_STREQ("Holiday", first.m_strName);
    ASSERT_EQ(3, first.GetCount());
    EXPECT_STREQ("b.png", first.GetEntry(1)->m_strPath);
    EXPECT_EQ(1, first.GetEntry(1)->m_bShown);
    EXPECT_EQ(0, first.GetEntry(2)->m_bShown);
    EXPECT_EQ(2, first.m_nUnshown);  // counted from the marks
    EXPECT_STREQ("", loaded.GetSet(1)->m_strName);
    EXPECT_EQ(longPath, loaded.GetSet(1)->GetEntry(0)->m_strPath.str());
    EXPECT_EQ(0, loaded.GetSet(2)->GetCount());
    EXPECT_EQ(longName, loaded.GetSet(3)->m_strName.str());

    // The interrupted random cycle goes on with the pictures still to show.
    ASSERT_NE(nullptr, loaded.NextImage());
    EXPECT_NE(1, loaded.m_nImageIndex);

    // Other orders store no marks.
    Settings.VistalCycleMethod = CYCLE_FORWARD;
    ASSERT_TRUE(loaded.SaveToRegistry());
    EXPECT_FALSE(StoredShape("Set0", "I1D", &type, &size));
    EXPECT_TRUE(StoredShape("Set0", "I1", &type, &size));
}

TEST_F(StorageTest, SavingFewerSetsLeavesNoOldSetKeys) {
    auto five = NewNumberedList(5);
    ASSERT_TRUE(five->SaveToRegistry());
    ASSERT_TRUE(KeyExists("Set4"));
    auto three = NewNumberedList(3, "t");
    ASSERT_TRUE(three->SaveToRegistry());
    EXPECT_TRUE(KeyExists("Set2"));
    EXPECT_FALSE(KeyExists("Set3"));
    EXPECT_FALSE(KeyExists("Set4"));
    EXPECT_EQ(3u, SetsDword("", "SetCount"));
}

TEST_F(StorageTest, LoadedPositionsComeFromTheLastSetKeyAndMustPointAtSomething) {
    ASSERT_TRUE(NewNumberedList(3)->SaveToRegistry());  // sets of 3, 2 and 1 pictures
    for (int i = 0; i < 3; ++i) StoreSetsDword("Set" + std::to_string(i), "ImageIndex", i);
    auto positionsAfterLoad = [](DWORD setIndex) {
        StoreSetsDword("", "SetIndex", setIndex);
        CImageSetList loaded;
        EXPECT_TRUE(loaded.LoadFromRegistry());
        return std::make_pair(loaded.m_nSetIndex, loaded.m_nImageIndex);
    };
    EXPECT_EQ(std::make_pair(0, 2), positionsAfterLoad(0));
    EXPECT_EQ(std::make_pair(2, -1), positionsAfterLoad(2));
    EXPECT_EQ(std::make_pair(-1, -1), positionsAfterLoad(3));
}

TEST_F(StorageTest, ADamagedSetKeepsItsKeyAndTheSetsBehindItThroughLaterSaves) {
    auto original = NewNumberedList(4);
    original->m_nSetIndex = 2;
    ASSERT_TRUE(original->SaveToRegistry());
    DeleteStoredValue("Set1", "SetName");
    const std::string damaged = DumpStoredKey("Set1");
    const std::string second = DumpStoredKey("Set2");
    const std::string third = DumpStoredKey("Set3");

    // Start-up: the set before the damage loads.
    TheImageSetList = NewNumberedList(0).release();  // owned through the pointer, as at start-up
    EXPECT_FALSE(TheImageSetList->LoadFromRegistry());
    ASSERT_EQ(1, TheImageSetList->GetCount());
    EXPECT_STREQ("s0", TheImageSetList->GetSet(0)->m_strName);
    EXPECT_EQ(-1, TheImageSetList->m_nSetIndex);  // set 2 was not loaded

    // The user saves a new list of two sets: the unread keys follow them.
    auto edited = NewNumberedList(2, "new");
    ASSERT_TRUE(edited->SaveToRegistry());
    EXPECT_EQ(5u, SetsDword("", "SetCount"));
    EXPECT_EQ(damaged, DumpStoredKey("Set2"));
    EXPECT_EQ(second, DumpStoredKey("Set3"));
    EXPECT_EQ(third, DumpStoredKey("Set4"));
    EXPECT_FALSE(KeyExists("Set5"));

    // Exit saves again, and the next run reads the user's sets and keeps the rest.
    SaveAndDestroyImageSetList();
    const std::string afterExit = DumpImageSets();
    CImageSetList nextRun;
    EXPECT_FALSE(nextRun.LoadFromRegistry());
    ASSERT_EQ(1, nextRun.GetCount());
    ASSERT_TRUE(nextRun.SaveToRegistry());
    EXPECT_EQ(afterExit, DumpImageSets());
}

TEST_F(StorageTest, SetKeysWithoutACountAreKeptAndAHugeCountCannotStallTheSave) {
    auto original = NewNumberedList(2);
    ASSERT_TRUE(original->SaveToRegistry());
    DeleteStoredValue("", "SetCount");
    const std::string first = DumpStoredKey("Set0");
    const std::string second = DumpStoredKey("Set1");
    CImageSetList loaded;
    EXPECT_FALSE(loaded.LoadFromRegistry());
    EXPECT_EQ(0, loaded.GetCount());
    loaded.AddSet(MakeSet("mine", {"x.jpg"}));
    ASSERT_TRUE(loaded.SaveToRegistry());
    EXPECT_EQ(first, DumpStoredKey("Set1"));
    EXPECT_EQ(second, DumpStoredKey("Set2"));

    // Four billion stored sets would mean four billion deletions, one by one.
    StoreSetsDword("", "SetCount", 0xFFFFFFFF);
    CImageSetList huge;
    EXPECT_FALSE(huge.LoadFromRegistry());
    EXPECT_EQ(3, huge.GetCount());
    ASSERT_TRUE(huge.SaveToRegistry());
    EXPECT_EQ(3u, SetsDword("", "SetCount"));
}

TEST_F(StorageTest, SetsSavedWithoutMarksLoadUnderRandomOrderAsNotYetShown) {
    auto forward = NewNumberedList(3);  // sets of 3, 2 and 1 pictures
    forward->m_nSetIndex = 1;
    ASSERT_TRUE(forward->SaveToRegistry());
    DWORD type = 0, size = 0;
    ASSERT_FALSE(StoredShape("Set0", "I0D", &type, &size));

    // The user switches the picture order to random: every set still loads,
    // with each picture still to show.
    Settings.VistalCycleMethod = CYCLE_RANDOM;
    StoreSetsDword("Set0", "I1D", 1);  // one picture was marked before
    CImageSetList loaded;
    ASSERT_TRUE(loaded.LoadFromRegistry());
    ASSERT_EQ(3, loaded.GetCount());
    EXPECT_EQ(1, loaded.m_nSetIndex);
    EXPECT_EQ(0, loaded.GetSet(0)->GetEntry(0)->m_bShown);
    EXPECT_EQ(1, loaded.GetSet(0)->GetEntry(1)->m_bShown);
    EXPECT_EQ(2, loaded.GetSet(0)->m_nUnshown);
    EXPECT_EQ(2, loaded.GetSet(1)->m_nUnshown);
    EXPECT_EQ(1, loaded.GetSet(2)->m_nUnshown);

    // The next save stores the marks, and nothing is held back as unread.
    ASSERT_TRUE(loaded.SaveToRegistry());
    EXPECT_EQ(3u, SetsDword("", "SetCount"));
    EXPECT_EQ(0u, SetsDword("Set2", "I0D"));
    EXPECT_EQ(1u, SetsDword("Set0", "I1D"));
}
