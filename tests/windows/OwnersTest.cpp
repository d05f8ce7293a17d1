// The Win32 owners: each handle is freed exactly once, whether the owner
// ends, is reset, is moved or is assigned; a released handle is the caller's;
// a selection puts back what the DC had.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <type_traits>
#include <utility>

#include "Owners.h"

namespace imvexa {
namespace {

static_assert(!std::is_copy_constructible_v<win32::Module> && std::is_nothrow_move_assignable_v<win32::Module>);
static_assert(!std::is_copy_constructible_v<win32::SelectedObject> && !std::is_copy_constructible_v<win32::ClientDC>);

bool Alive(HGDIOBJ object) { return GetObjectType(object) != 0; }
HBRUSH NewBrush() { return CreateSolidBrush(RGB(1, 2, 3)); }

TEST(OwnersTest, AHandleIsFreedWhenItsOwnerEndsOrTakesAnother) {
    const HBRUSH first = NewBrush(), second = NewBrush();
    {
        win32::Brush owner(first);
        win32::Brush moved(std::move(owner));
        EXPECT_FALSE(owner);
        EXPECT_EQ(moved.Get(), first);
        moved = win32::Brush(second);
        EXPECT_FALSE(Alive(first));
        EXPECT_TRUE(Alive(second));
    }
    EXPECT_FALSE(Alive(second));
}

TEST(OwnersTest, AReleasedHandleIsLeftToTheCaller) {
    win32::Brush owner(NewBrush());
    const HBRUSH released = owner.Release();
    EXPECT_FALSE(owner);
    owner.Reset();
    EXPECT_TRUE(Alive(released));
    DeleteObject(released);
}

TEST(OwnersTest, KernelHandlesAreClosedAndFilesAndSearchesTakeTheInvalidValueAsNone) {
    const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    { const win32::KernelHandle owner(event); }
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(event, &flags));

    WIN32_FIND_DATAW found;
    EXPECT_FALSE(win32::FindHandle(FindFirstFileW(L"C:\\no such folder\\*", &found)));
    EXPECT_FALSE(win32::FileHandle(CreateFileW(L"C:\\no such folder\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr)));
    EXPECT_TRUE(win32::FindHandle(FindFirstFileW(L"C:\\windows\\*", &found)));
}

template <typename Selection, typename Object>
void ExpectRestoredOnce(HDC dc, UINT kind, Object object) {
    const HGDIOBJ original = GetCurrentObject(dc, kind);
    ASSERT_NE(original, object);
    std::optional<Selection> kept;
    {
        Selection selection(dc, object);
        EXPECT_EQ(GetCurrentObject(dc, kind), object);
        kept.emplace(std::move(selection));
    }
    EXPECT_EQ(GetCurrentObject(dc, kind), object) << "a moved-from selection restored";
    kept.reset();
    EXPECT_EQ(GetCurrentObject(dc, kind), original);
}

TEST(OwnersTest, ASelectionPutsBackWhatTheDcHadOnce) {
    const win32::MemoryDC dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    ExpectRestoredOnce<win32::SelectedObject>(dc.Get(), OBJ_FONT, GetStockObject(ANSI_FIXED_FONT));

    LOGPALETTE logical{0x300, 1, {{10, 20, 30, 0}}};
    const win32::Palette palette(CreatePalette(&logical));
    ExpectRestoredOnce<win32::SelectedPalette>(dc.Get(), OBJ_PAL, palette.Get());
}

}  // namespace
}  // namespace imvexa
