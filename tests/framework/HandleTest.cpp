// The handle owner closes exactly once and moves ownership cleanly.
#include "framework/Handle.h"

#include <gtest/gtest.h>

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

TEST(Owned, RegistryKeyThroughPut) {
    RegKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VistalsHandleTest", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, key.put(), nullptr));
    EXPECT_TRUE(key);
    key.reset();
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VistalsHandleTest");
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
