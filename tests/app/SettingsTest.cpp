// The settings store against the real registry.
#include "settings/Settings.h"
#include "support/RegistrySandbox.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kKeyPath[] = "Software\\Corvane Software\\Vistals";

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { Settings = SettingsRecord(); }
    void TearDown() override { Settings = SettingsRecord(); }

    static void StoreDword(const char* name, DWORD value) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kKeyPath, name, REG_DWORD, &value, sizeof value));
    }
    static bool ReadDword(const char* name, DWORD* value) {
        DWORD size = sizeof *value;
        return RegGetValueA(HKEY_CURRENT_USER, kKeyPath, name, RRF_RT_REG_DWORD, nullptr, value, &size) == ERROR_SUCCESS;
    }
    // Stores every value with a recognisable number: 100 + its position.
    static void StoreAllNumbered() {
        for (int i = 0; i < 23; ++i) StoreDword(kSettingsValues[i].name, 100 + i);
    }

    RegistrySandbox sandbox_;
};

}  // namespace

TEST_F(SettingsTest, DefaultsAreThoseOfAFreshInstall) {
    const SettingsRecord d;
    EXPECT_EQ(0, d.ShowFileName);
    EXPECT_EQ(1, d.ShowTimeLeft);
    EXPECT_EQ(1, d.VistalPeriodic);
    EXPECT_EQ(1, d.VistalStartup);
    EXPECT_EQ(1, d.VistalHours);
    EXPECT_EQ(2, d.VistalPosition);
    EXPECT_EQ(150, d.CalendarWidth);
    EXPECT_EQ(125, d.CalendarHeight);
    EXPECT_EQ(1, d.CalendarTransparentBackground);
}

TEST_F(SettingsTest, FirstRunCreatesTheKeyKeepsDefaultsAndStillDerivesIntervals) {
    EXPECT_FALSE(LoadSettings());
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &key));
    RegCloseKey(key);
    EXPECT_EQ(1, Settings.VistalHours);
    // One hour, not 0: a first run must not change the picture every minute.
    EXPECT_EQ(60, Settings.VistalIntervalMinutes);
    EXPECT_EQ(0, Settings.VistalSetIntervalMinutes);
}

TEST_F(SettingsTest, SaveWritesAllValuesAsDwordsInOrderAndLoadReadsThemBack) {
    Settings.VistalDays = 2;
    Settings.VistalMinutes = 7;
    Settings.VistalSetHours = 3;
    Settings.CalendarPosition = 5;
    ASSERT_TRUE(SaveSettings());
    for (const SettingsValue& value : kSettingsValues) {
        DWORD stored = 0;
        EXPECT_TRUE(ReadDword(value.name, &stored)) << value.name;
        EXPECT_EQ(static_cast<DWORD>(Settings.*value.field), stored) << value.name;
    }
    Settings = SettingsRecord();
    ASSERT_TRUE(LoadSettings());
    EXPECT_EQ(5, Settings.CalendarPosition);
    EXPECT_EQ(2 * 1440 + 60 + 7, Settings.VistalIntervalMinutes);
    EXPECT_EQ(180, Settings.VistalSetIntervalMinutes);
}

TEST_F(SettingsTest, AMissingValueTakesItsDefaultAndEveryOtherKeepsWhatWasStored) {
    StoreAllNumbered();
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kKeyPath, "VistalPosition");  // the 13th value
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
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kKeyPath, "CalendarWidth", REG_BINARY, raw, 4));
    const char two[] = "7";  // REG_SZ of 2 bytes: '7' and the terminator
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kKeyPath, "CalendarHeight", REG_SZ, two, 2));
    EXPECT_TRUE(LoadSettings());
    EXPECT_EQ(5, Settings.CalendarWidth);
    EXPECT_EQ('7', Settings.CalendarHeight);
}

TEST_F(SettingsTest, DamagedValuesCostOnlyThemselves) {
    StoreAllNumbered();
    const char text[] = "150 pixels";  // longer than 4 bytes
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetKeyValueA(HKEY_CURRENT_USER, kKeyPath, "CalendarWidth", REG_SZ, text, sizeof text));
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kKeyPath, "ShowFileName");  // the very first
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
    DWORD stored = 0;
    ASSERT_TRUE(ReadDword("CalendarWidth", &stored));
    EXPECT_EQ(150u, stored);
    ASSERT_TRUE(ReadDword("CalendarHeight", &stored));
    EXPECT_EQ(117u, stored);
}

TEST_F(SettingsTest, ThePerScreenValueIsReadAndWrittenOnItsOwn) {
    StoreAllNumbered();
    EXPECT_TRUE(LoadSettings()) << "its absence does not make the 23 incomplete";
    EXPECT_EQ(1, Settings.VistalPerScreen);  // missing: on

    StoreDword("VistalPerScreen", 0);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kKeyPath, "VistalPosition");
    EXPECT_FALSE(LoadSettings());
    EXPECT_EQ(0, Settings.VistalPerScreen);  // read although a value before it was missing
    EXPECT_EQ(113, Settings.VistalCycleMethod);

    const char text[] = "each screen";  // damaged: costs only itself
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, kKeyPath, "VistalPerScreen", REG_SZ, text, sizeof text));
    StoreDword("VistalPosition", 112);
    EXPECT_TRUE(LoadSettings());
    EXPECT_EQ(1, Settings.VistalPerScreen);
    EXPECT_EQ(122, Settings.CalendarTransparentBackground);

    Settings.VistalPerScreen = 0;
    ASSERT_TRUE(SaveSettings());
    DWORD stored = 9;
    ASSERT_TRUE(ReadDword("VistalPerScreen", &stored));
    EXPECT_EQ(0u, stored);
}

TEST_F(SettingsTest, OpenSettingsKeyReturnsTheProgramKey) {
    RegKey key = OpenSettingsKey();
    ASSERT_TRUE(key);
    DWORD value = 9;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key.get(), "Probe", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4));
    DWORD read = 0;
    EXPECT_TRUE(ReadDword("Probe", &read));
    EXPECT_EQ(9u, read);
}

TEST(SettingsIntervals, DeriveFromDaysHoursMinutes) {
    SettingsRecord s;
    s.VistalDays = 1; s.VistalHours = 2; s.VistalMinutes = 5;
    s.VistalSetDays = 0; s.VistalSetHours = 0; s.VistalSetMinutes = 0;
    s.DeriveIntervals();
    EXPECT_EQ(1440 + 120 + 5, s.VistalIntervalMinutes);
    EXPECT_EQ(0, s.VistalSetIntervalMinutes);
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
