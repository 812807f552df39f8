// The handle owner closes exactly once and moves ownership cleanly.
#include "framework/Handle.h"
#include "framework/RegKey.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
bool IsOpen(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != 0;
}
}  // namespace

TEST(Owned, ClosesOnScopeExitAndOnReset) {
    HANDLE raw = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    {
        KernelHandle owner(raw);
        EXPECT_TRUE(IsOpen(raw));
    }
    EXPECT_FALSE(IsOpen(raw));

    HANDLE second = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    KernelHandle owner(second);
    owner.reset();
    EXPECT_FALSE(IsOpen(second));
    EXPECT_FALSE(owner);
}

TEST(Owned, MoveTransfersAndReleaseGivesUp) {
    HANDLE raw = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    KernelHandle first(raw);
    KernelHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(raw, second.get());

    KernelHandle third;
    third = std::move(second);
    EXPECT_TRUE(IsOpen(raw));
    HANDLE released = third.release();
    EXPECT_FALSE(third);
    EXPECT_TRUE(IsOpen(released));
    CloseHandle(released);
}

TEST(Owned, MoveAssignClosesWhatItHeld) {
    HANDLE a = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE b = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    KernelHandle ha(a), hb(b);
    ha = std::move(hb);
    EXPECT_FALSE(IsOpen(a));
    EXPECT_TRUE(IsOpen(b));
}

// The one registry key class: typed values both ways, the access asked for
// is the access granted, and a failed open keeps the key that was open.
TEST(RegKey, TypedValuesLeastAccessAndFailedOpens) {
    const char kPath[] = "Software\\VistalsRegKeyTest";
    RegDeleteTreeA(HKEY_CURRENT_USER, kPath);
    {
        RegKey writer;
        ASSERT_TRUE(writer.Create(HKEY_CURRENT_USER, "Software\\VistalsRegKeyTest\\Deeper", KEY_SET_VALUE));
        EXPECT_TRUE(writer.SetDword("Count", 0xFFFFFFFEu));
        const std::string longText(5000, 'x');
        EXPECT_TRUE(writer.SetString("Long", longText.c_str()));
        EXPECT_TRUE(writer.SetString("Empty", ""));

        RegKey reader;
        ASSERT_TRUE(reader.Open(HKEY_CURRENT_USER, "Software\\VistalsRegKeyTest\\Deeper", KEY_QUERY_VALUE));
        DWORD count = 0;
        EXPECT_TRUE(reader.QueryDword("Count", count));
        EXPECT_EQ(0xFFFFFFFEu, count);
        CString text;
        EXPECT_TRUE(reader.QueryString("Long", text));
        EXPECT_EQ(longText, text.str());
        EXPECT_TRUE(reader.QueryString("Empty", text));
        EXPECT_TRUE(text.IsEmpty());
        EXPECT_FALSE(reader.QueryDword("Missing", count));
        EXPECT_EQ(0xFFFFFFFEu, count) << "a missing value leaves the output alone";
        EXPECT_FALSE(reader.SetDword("Count", 1)) << "opened for reading only";

        const HKEY before = reader.get();
        EXPECT_FALSE(reader.Open(HKEY_CURRENT_USER, "Software\\VistalsRegKeyTest\\Nowhere", KEY_READ));
        EXPECT_EQ(before, reader.get());
        EXPECT_TRUE(reader.QueryDword("Count", count)) << "the old key still works";

        RegKey parent;
        ASSERT_TRUE(parent.Open(HKEY_CURRENT_USER, kPath, KEY_READ | DELETE));
        EXPECT_EQ(std::vector<std::string>{"Deeper"}, parent.SubkeyNames());
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, kPath);
}

TEST(ScopedSelectObject, RestoresThePreviousObject) {
    MemoryDCHandle dc(CreateCompatibleDC(nullptr));
    PenHandle pen(CreatePen(PS_SOLID, 3, RGB(1, 2, 3)));
    HGDIOBJ before = GetCurrentObject(dc.get(), OBJ_PEN);
    {
        ScopedSelectObject select(dc.get(), pen.get());
        EXPECT_EQ(pen.get(), GetCurrentObject(dc.get(), OBJ_PEN));
    }
    EXPECT_EQ(before, GetCurrentObject(dc.get(), OBJ_PEN));
}
