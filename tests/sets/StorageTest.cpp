// Image sets in the registry.
#include "SetsTestSupport.h"
#include "framework/Handle.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
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
    ASSERT_TRUE(list.SaveToRegistry(CYCLE_FORWARD));
    EXPECT_EQ(0u, SetsDword("", "SetCount"));
    EXPECT_EQ(0xFFFFFFFFu, SetsDword("", "SetIndex"));
    EXPECT_FALSE(KeyExists("Set0"));

    CImageSetList loaded;
    EXPECT_TRUE(loaded.LoadFromRegistry(CYCLE_FORWARD));
    EXPECT_EQ(0, loaded.GetCount());
    EXPECT_EQ(-1, loaded.m_nSetIndex);
    EXPECT_EQ(-1, loaded.m_nImageIndex);
}

TEST_F(StorageTest, ARoundTripKeepsNamesPathsPositionsAndMarks) {
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
    ASSERT_TRUE(list.SaveToRegistry(CYCLE_RANDOM));

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
    ASSERT_TRUE(loaded.LoadFromRegistry(CYCLE_RANDOM));
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
    ASSERT_NE(nullptr, loaded.NextImage({CYCLE_RANDOM, CYCLE_FORWARD}));
    EXPECT_NE(1, loaded.m_nImageIndex);

    // Other orders store no marks.
    ASSERT_TRUE(loaded.SaveToRegistry(CYCLE_BACKWARD));
    EXPECT_FALSE(StoredShape("Set0", "I1D", &type, &size));
    EXPECT_TRUE(StoredShape("Set0", "I1", &type, &size));
}

TEST_F(StorageTest, SavingFewerSetsLeavesNoOldSetKeys) {
    auto five = NewNumberedList(5);
    ASSERT_TRUE(five->SaveToRegistry(CYCLE_FORWARD));
    ASSERT_TRUE(KeyExists("Set4"));
    auto three = NewNumberedList(3, "t");
    ASSERT_TRUE(three->SaveToRegistry(CYCLE_FORWARD));
    EXPECT_TRUE(KeyExists("Set2"));
    EXPECT_FALSE(KeyExists("Set3"));
    EXPECT_FALSE(KeyExists("Set4"));
    EXPECT_EQ(3u, SetsDword("", "SetCount"));
}

TEST_F(StorageTest, LoadedPositionsComeFromTheLastSetKeyAndMustPointAtSomething) {
    ASSERT_TRUE(NewNumberedList(3)->SaveToRegistry(CYCLE_FORWARD));  // sets of 3, 2 and 1 pictures
    for (int i = 0; i < 3; ++i) StoreSetsDword("Set" + std::to_string(i), "ImageIndex", i);
    auto positionsAfterLoad = [](DWORD setIndex) {
        StoreSetsDword("", "SetIndex", setIndex);
        CImageSetList loaded;
        EXPECT_TRUE(loaded.LoadFromRegistry(CYCLE_FORWARD));
        return std::make_pair(loaded.m_nSetIndex, loaded.m_nImageIndex);
    };
    EXPECT_EQ(std::make_pair(0, 2), positionsAfterLoad(0));
    EXPECT_EQ(std::make_pair(2, -1), positionsAfterLoad(2));
    EXPECT_EQ(std::make_pair(-1, -1), positionsAfterLoad(3));
}

TEST_F(StorageTest, ADamagedSetKeepsItsKeyAndTheSetsBehindItThroughTheListsThatReplaceTheLoadedOne) {
    auto original = NewNumberedList(4);
    original->m_nSetIndex = 2;
    ASSERT_TRUE(original->SaveToRegistry(CYCLE_FORWARD));
    DeleteStoredValue("Set1", "SetName");
    const std::string damaged = DumpStoredKey("Set1");
    const std::string second = DumpStoredKey("Set2");
    const std::string third = DumpStoredKey("Set3");

    // Start-up: the set before the damage loads.
    TheImageSetList = NewNumberedList(0).release();  // owned through the pointer, as at start-up
    EXPECT_FALSE(TheImageSetList->LoadFromRegistry(CYCLE_FORWARD));
    ASSERT_EQ(1, TheImageSetList->GetCount());
    EXPECT_STREQ("s0", TheImageSetList->GetSet(0)->m_strName);
    EXPECT_EQ(-1, TheImageSetList->m_nSetIndex);  // set 2 was not loaded

    // The user confirms a new list of two sets in the Select dialog, which
    // takes the loaded list's place: the unread keys follow the new sets.
    auto edited = NewNumberedList(2, "new");
    edited->InheritUnloadedStoredSets(*TheImageSetList);
    delete TheImageSetList;
    TheImageSetList = edited.release();
    ASSERT_TRUE(TheImageSetList->SaveToRegistry(CYCLE_FORWARD));
    EXPECT_EQ(5u, SetsDword("", "SetCount"));
    EXPECT_EQ(damaged, DumpStoredKey("Set2"));
    EXPECT_EQ(second, DumpStoredKey("Set3"));
    EXPECT_EQ(third, DumpStoredKey("Set4"));
    EXPECT_FALSE(KeyExists("Set5"));

    // Exit saves again, and the next run reads the user's sets and keeps the rest.
    SaveAndDestroyImageSetList(CYCLE_FORWARD);
    const std::string afterExit = DumpImageSets();
    CImageSetList nextRun;
    EXPECT_FALSE(nextRun.LoadFromRegistry(CYCLE_FORWARD));
    ASSERT_EQ(2, nextRun.GetCount());
    ASSERT_TRUE(nextRun.SaveToRegistry(CYCLE_FORWARD));
    EXPECT_EQ(afterExit, DumpImageSets());

    // What is kept belongs to the list that read the sets and to the lists
    // that take its place: one that did neither stores just its own sets.
    ASSERT_TRUE(NewNumberedList(1, "own")->SaveToRegistry(CYCLE_FORWARD));
    EXPECT_EQ(1u, SetsDword("", "SetCount"));
    EXPECT_FALSE(KeyExists("Set1"));
}

TEST_F(StorageTest, SetKeysWithoutACountAreKeptAndAHugeCountCannotStallTheSave) {
    auto original = NewNumberedList(2);
    ASSERT_TRUE(original->SaveToRegistry(CYCLE_FORWARD));
    DeleteStoredValue("", "SetCount");
    const std::string first = DumpStoredKey("Set0");
    const std::string second = DumpStoredKey("Set1");
    CImageSetList loaded;
    EXPECT_FALSE(loaded.LoadFromRegistry(CYCLE_FORWARD));
    EXPECT_EQ(0, loaded.GetCount());
    loaded.AddSet(MakeSet("mine", {"x.jpg"}));
    ASSERT_TRUE(loaded.SaveToRegistry(CYCLE_FORWARD));
    EXPECT_EQ(first, DumpStoredKey("Set1"));
    EXPECT_EQ(second, DumpStoredKey("Set2"));

    // Four billion stored sets would mean four billion deletions, one by one.
    StoreSetsDword("", "SetCount", 0xFFFFFFFF);
    CImageSetList huge;
    EXPECT_FALSE(huge.LoadFromRegistry(CYCLE_FORWARD));
    EXPECT_EQ(3, huge.GetCount());
    ASSERT_TRUE(huge.SaveToRegistry(CYCLE_FORWARD));
    EXPECT_EQ(3u, SetsDword("", "SetCount"));
}

TEST_F(StorageTest, SetsSavedWithoutMarksLoadUnderRandomOrderAsNotYetShown) {
    auto forward = NewNumberedList(3);  // sets of 3, 2 and 1 pictures
    forward->m_nSetIndex = 1;
    ASSERT_TRUE(forward->SaveToRegistry(CYCLE_FORWARD));
    DWORD type = 0, size = 0;
    ASSERT_FALSE(StoredShape("Set0", "I0D", &type, &size));

    // The user switches the picture order to random: every set still loads,
    // with each picture still to show.
    StoreSetsDword("Set0", "I1D", 1);  // one picture was marked before
    CImageSetList loaded;
    ASSERT_TRUE(loaded.LoadFromRegistry(CYCLE_RANDOM));
    ASSERT_EQ(3, loaded.GetCount());
    EXPECT_EQ(1, loaded.m_nSetIndex);
    EXPECT_EQ(0, loaded.GetSet(0)->GetEntry(0)->m_bShown);
    EXPECT_EQ(1, loaded.GetSet(0)->GetEntry(1)->m_bShown);
    EXPECT_EQ(2, loaded.GetSet(0)->m_nUnshown);
    EXPECT_EQ(2, loaded.GetSet(1)->m_nUnshown);
    EXPECT_EQ(1, loaded.GetSet(2)->m_nUnshown);

    // The next save stores the marks, and nothing is held back as unread.
    ASSERT_TRUE(loaded.SaveToRegistry(CYCLE_RANDOM));
    EXPECT_EQ(3u, SetsDword("", "SetCount"));
    EXPECT_EQ(0u, SetsDword("Set2", "I0D"));
    EXPECT_EQ(1u, SetsDword("Set0", "I1D"));
}

namespace {

// The child that saves until it is killed (saver/SaveLoop.cpp); killed at
// the latest when the object goes.
class SaveLoopChild {
public:
    ~SaveLoopChild() { Kill(); }
    // Starts the child and waits until its first save begins.
    bool Start() {
        const std::string eventName = "VistalsSaveLoop" + std::to_string(GetCurrentProcessId());
        const KernelHandle saving(CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string program = self;
        program = program.substr(0, program.rfind('\\')) + "\\sets_save_loop.exe";
        std::string commandLine = "\"" + program + "\" " + eventName;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info))
            return false;
        KernelHandle thread(info.hThread);
        process_.reset(info.hProcess);
        const HANDLE waits[] = {saving.get(), process_.get()};
        return WaitForMultipleObjects(2, waits, FALSE, 15000) == WAIT_OBJECT_0;
    }
    void Kill() {
        if (!process_) return;
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), INFINITE);
        process_.reset();
    }

private:
    KernelHandle process_;
};

}  // namespace

TEST_F(StorageTest, AKillAtAnyMomentOfASaveLeavesTheOldSetsOrTheNewOnesWhole) {
    const std::string whole[2] = {DescribeList(*MakeLargeList(0)), DescribeList(*MakeLargeList(1))};
    // Stored: the first list and behind it a set that cannot be read, which
    // every save must keep.
    auto first = MakeLargeList(0);
    first->AddSet(MakeSet("unreadable", {"x.jpg"}));
    ASSERT_TRUE(first->SaveToRegistry(CYCLE_RANDOM));
    const std::string unreadableKey = "Set" + std::to_string(first->GetCount() - 1);
    DeleteStoredValue(unreadableKey, "ImageCount");
    const std::string unreadable = DumpStoredKey(unreadableKey);

    std::mt19937 random(7);
    int outcomes[2] = {};
    for (int kill = 0; kill < 16; ++kill) {
        SaveLoopChild child;
        ASSERT_TRUE(child.Start());
        Sleep(random() % 150);  // the moment of the kill; one save takes some 60 ms here
        child.Kill();
        // The next start.
        CImageSetList loaded;
        EXPECT_FALSE(loaded.LoadFromRegistry(CYCLE_RANDOM));  // it stops at the unreadable set
        const std::string found = DescribeList(loaded);
        ASSERT_TRUE(found == whole[0] || found == whole[1]) << "after kill " << kill << ", " << loaded.GetCount()
                                                            << " sets loaded";
        ASSERT_EQ(unreadable, DumpStoredKey("Set" + std::to_string(loaded.GetCount()))) << "after kill " << kill;
        ++outcomes[found == whole[1]];
    }
    std::printf("kills leaving the first list: %d, the second: %d\n", outcomes[0], outcomes[1]);
}

TEST_F(StorageTest, TheNextStartFinishesOrUndoesASaveCutShortAtAnyStep) {
    // A save writes "Image Sets.new" (its count last), renames "Image Sets"
    // to "Image Sets.old" and the new key to "Image Sets", then deletes the
    // old one. The keys a kill leaves at each step, and what the next start loads.
    enum Content { None, Old, New, PartOld, PartNew };
    struct Case {
        Content sets, replacement, replaced, loads;
        const char* killed;
    };
    const Case cases[] = {
        {Old, PartNew, None, Old, "while writing the new sets"},
        {Old, New, None, Old, "before the first rename"},
        {None, New, Old, New, "between the renames"},
        {New, None, PartOld, New, "while deleting the old sets"},
        {None, New, None, New, "before the rename of a first save"},
        {None, PartNew, None, None, "while writing a first save"},
        {None, PartNew, Old, Old, "never: the old sets come back"},
    };
    const wchar_t* const names[] = {L"Image Sets", L"Image Sets.new", L"Image Sets.old"};
    const wchar_t* const parked[] = {L"parked 0", L"parked 1", L"parked 2"};
    auto listOf = [](Content content) {
        return content == None ? NewNumberedList(0)
               : content == Old || content == PartOld ? NewNumberedList(3, "old") : NewNumberedList(2, "new");
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.killed);
        DeleteProgramKeys();
        const Content contents[] = {c.sets, c.replacement, c.replaced};
        RegKey appKey = OpenSettingsKey();
        for (int k = 0; k < 3; ++k) {
            if (contents[k] == None) continue;
            ASSERT_TRUE(listOf(contents[k])->SaveToRegistry(CYCLE_FORWARD));
            if (contents[k] == PartOld || contents[k] == PartNew) {
                DeleteStoredValue("", "SetCount");
                ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeA(HKEY_CURRENT_USER, PathOf("Set0").c_str()));
            }
            ASSERT_EQ(ERROR_SUCCESS, RegRenameKey(appKey.get(), names[0], parked[k]));
        }
        for (int k = 0; k < 3; ++k) {
            if (contents[k] == None) continue;
            ASSERT_EQ(ERROR_SUCCESS, RegRenameKey(appKey.get(), parked[k], names[k]));
        }

        CImageSetList loaded;
        loaded.LoadFromRegistry(CYCLE_FORWARD);
        EXPECT_EQ(DescribeList(*listOf(c.loads)), DescribeList(loaded));
        RegKey leftover;
        for (const wchar_t* name : {names[1], names[2]})
            EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(appKey.get(), name, 0, KEY_READ, leftover.put()));
    }
}
