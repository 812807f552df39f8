// The settings store against the real registry, checked value by value
// under the names the program promises (support/StoredSettings.h).
#include "settings/Settings.h"
#include "support/Registry.h"
#include "support/RegistrySandbox.h"
#include "support/StoredSettings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { Settings = SettingsRecord(); }
    void TearDown() override { Settings = SettingsRecord(); }

    // Stores the first `count` values with a recognisable number: 100 + its
    // position. The first 23 are the ones read in order.
    static void StoreAllNumbered(int count = 23) {
        for (int i = 0; i < count; ++i) ASSERT_TRUE(StoreDword(kProgramKey, kStoredSettings[i].name, 100 + i));
    }

    RegistrySandbox sandbox_;
};

}  // namespace

TEST_F(SettingsTest, FirstRunKeepsTheFirstRunValuesAndTheNextSaveStoresThemAll) {
    Settings.VistalPosition = 0;  // whatever was in memory: the first-run value replaces it
    EXPECT_FALSE(LoadSettings());
    RegKey created;
    EXPECT_TRUE(created.Open(HKEY_CURRENT_USER, kProgramKey, KEY_READ));
    for (const StoredSetting& value : kStoredSettings)
        EXPECT_EQ(value.firstRunValue, Settings.*value.field) << value.name;
    // One hour, not 0: a first run must not change the picture every minute.
    EXPECT_EQ(60, Settings.VistalIntervalMinutes);
    EXPECT_EQ(0, Settings.VistalSetIntervalMinutes);

    ASSERT_TRUE(SaveSettings());
    for (const StoredSetting& value : kStoredSettings)
        EXPECT_EQ(static_cast<DWORD>(value.firstRunValue), StoredDword(kProgramKey, value.name)) << value.name;
}

TEST_F(SettingsTest, EachValueIsReadIntoItsOwnFieldAndWrittenBackUnderItsName) {
    StoreAllNumbered(24);
    ASSERT_TRUE(LoadSettings());
    for (int i = 0; i < 24; ++i) EXPECT_EQ(100 + i, Settings.*kStoredSettings[i].field) << kStoredSettings[i].name;
    EXPECT_EQ(109 * 1440 + 110 * 60 + 111, Settings.VistalIntervalMinutes);
    EXPECT_EQ(104 * 1440 + 105 * 60 + 106, Settings.VistalSetIntervalMinutes);

    for (int i = 0; i < 24; ++i) Settings.*kStoredSettings[i].field = -(200 + i);
    ASSERT_TRUE(SaveSettings());
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(static_cast<DWORD>(-(200 + i)), StoredDword(kProgramKey, kStoredSettings[i].name))
            << kStoredSettings[i].name;
}

TEST_F(SettingsTest, AMissingValueTakesItsDefaultAndEveryOtherKeepsWhatWasStored) {
    StoreAllNumbered();
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kProgramKey, "VistalPosition");  // the 13th value
    Settings.VistalPosition = 0;  // whatever was in memory: the default replaces it
    EXPECT_FALSE(LoadSettings());
    EXPECT_EQ(100, Settings.ShowFileName);
    EXPECT_EQ(111, Settings.VistalMinutes);
    EXPECT_EQ(2, Settings.VistalPosition);     // missing: default
    EXPECT_EQ(113, Settings.VistalCycleMethod); // after the gap: still read
    EXPECT_EQ(122, Settings.CalendarTransparentBackground);
}

TEST_F(SettingsTest, OtherTypesFittingFourBytesAreReadAsRawBytes) {
    StoreAllNumbered();
    const BYTE raw[4] = {0x05, 0x00, 0x00, 0x00};
    ASSERT_TRUE(StoreValue(kProgramKey, "CalendarWidth", REG_BINARY, raw, 4));
    const char two[] = "7";  // REG_SZ of 2 bytes: '7' and the terminator
    ASSERT_TRUE(StoreValue(kProgramKey, "CalendarHeight", REG_SZ, two, 2));
    EXPECT_TRUE(LoadSettings());
    EXPECT_EQ(5, Settings.CalendarWidth);
    EXPECT_EQ('7', Settings.CalendarHeight);
}

TEST_F(SettingsTest, DamagedValuesCostOnlyThemselves) {
    StoreAllNumbered();
    ASSERT_TRUE(StoreText(kProgramKey, "CalendarWidth", "150 pixels"));  // longer than 4 bytes
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kProgramKey, "ShowFileName");  // the very first
    EXPECT_FALSE(LoadSettings());
    EXPECT_EQ(0, Settings.ShowFileName);
    EXPECT_EQ(101, Settings.ShowTimeLeft);
    EXPECT_EQ(115, Settings.CalendarPosition);
    EXPECT_EQ(150, Settings.CalendarWidth);
    EXPECT_EQ(117, Settings.CalendarHeight);
    EXPECT_EQ(122, Settings.CalendarTransparentBackground);
    // The intervals come from what was read.
    EXPECT_EQ(104 * 1440 + 105 * 60 + 106, Settings.VistalSetIntervalMinutes);

    // The save at exit repairs the damaged ones and keeps the rest.
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(150u, StoredDword(kProgramKey, "CalendarWidth"));
    EXPECT_EQ(117u, StoredDword(kProgramKey, "CalendarHeight"));
}

TEST_F(SettingsTest, ThePerScreenValueIsReadAndWrittenOnItsOwn) {
    StoreAllNumbered();
    EXPECT_TRUE(LoadSettings()) << "its absence does not make the 23 incomplete";
    EXPECT_EQ(1, Settings.VistalPerScreen);  // missing: on

    ASSERT_TRUE(StoreDword(kProgramKey, "VistalPerScreen", 0));
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kProgramKey, "VistalPosition");
    EXPECT_FALSE(LoadSettings());
    EXPECT_EQ(0, Settings.VistalPerScreen);  // read although a value before it was missing
    EXPECT_EQ(113, Settings.VistalCycleMethod);

    ASSERT_TRUE(StoreText(kProgramKey, "VistalPerScreen", "each screen"));  // damaged: costs only itself
    ASSERT_TRUE(StoreDword(kProgramKey, "VistalPosition", 112));
    EXPECT_TRUE(LoadSettings());
    EXPECT_EQ(1, Settings.VistalPerScreen);
    EXPECT_EQ(122, Settings.CalendarTransparentBackground);

    Settings.VistalPerScreen = 0;
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(0u, StoredDword(kProgramKey, "VistalPerScreen"));
}

TEST_F(SettingsTest, OpenSettingsKeyReturnsTheProgramKey) {
    RegKey key = OpenSettingsKey();
    ASSERT_TRUE(key);
    DWORD value = 9;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key.get(), "Probe", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4));
    EXPECT_EQ(9u, StoredDword(kProgramKey, "Probe"));
}

TEST(SettingsIntervals, AbsurdStoredPartsGiveTheLongestIntervalNotANegativeOne) {
    SettingsRecord s;
    s.VistalDays = 2000000;  // 2.88 billion minutes: wrapped, this was negative
    s.VistalHours = 0;
    s.VistalMinutes = 0;
    s.VistalSetDays = INT32_MAX;
    s.VistalSetHours = INT32_MAX;
    s.VistalSetMinutes = INT32_MAX;
    s.DeriveIntervals();
    EXPECT_EQ(INT32_MAX, s.VistalIntervalMinutes);
    EXPECT_EQ(INT32_MAX, s.VistalSetIntervalMinutes);
    s.VistalDays = INT32_MIN;
    s.VistalSetDays = -1;
    s.VistalSetHours = 0;
    s.VistalSetMinutes = 1500;  // parts that sum to a normal total keep it
    s.DeriveIntervals();
    EXPECT_EQ(INT32_MIN, s.VistalIntervalMinutes);
    EXPECT_EQ(60, s.VistalSetIntervalMinutes);
}
