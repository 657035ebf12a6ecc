// The popup-menu component as a real menu: the item tree, the native menu it builds, and shown
// menus answered from the keyboard inside their modal loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "MenuTestSupport.h"
#include "common/MenuCaptionTable.h"
#include "platform/win32/MenuIcons.h"
#include "platform/win32/PopupMenu.h"
#include "platform/win32/ShellServices.h"
#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

class Clicks : public platform::PopupMenuEvents {
public:
    std::vector<std::int32_t> indices;
    void objPMn_Click(std::int32_t index) override { indices.push_back(index); }
};

using wintest::MenuInfo;
using wintest::MenuText;
using wintest::OwnerWindow;

// A letter arrives as the character it types (a key press would be translated into one only
// behind the keys already posted); other keys as they are pressed.
void PostKey(HWND window, UINT key) {
    if (key >= 'A' && key <= 'Z') {
        ::PostMessageW(window, WM_CHAR, key - 'A' + 'a', 1);
        return;
    }
    ::PostMessageW(window, WM_KEYDOWN, key, 1);
    ::PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

struct MenuFixture : ::testing::Test {
    MenuFixture() {
        std::vector<std::uint32_t> pixels(256, 0xFF3060C0u);
        images.Add(Win32Picture::FromPixels(16, 16, pixels.data()), "");
        menu.SetImageSource(images);
        menu.SetOwnerWindow(owner.value());
    }
    std::int32_t Add(std::string_view caption, std::int32_t parent = 0, std::string_view key = "", std::int32_t image = -1,
                     bool enabled = true) {
        return menu.AppendItem(caption, "", 0, parent, image, false, enabled, key);
    }
    // Shows the menu and, once it is open, posts the keys.
    std::int32_t ShowAnswering(std::vector<UINT> keys) {
        menu.onOpen = [keys](HWND ownerWindow) {
            for (UINT key : keys) PostKey(ownerWindow, key);
        };
        return ShowGuarded();
    }
    // Where the menu opened: it is closed again at once.
    RECT ShownAt() {
        RECT shownAt{};
        menu.onOpen = [&](HWND ownerWindow) {
            HWND popup = ::FindWindowW(L"#32768", nullptr);
            if (popup) ::GetWindowRect(popup, &shownAt);
            PostKey(ownerWindow, VK_ESCAPE);
        };
        ShowGuarded();
        return shownAt;
    }
    // A menu still open after a few seconds is closed, so that a failing test cannot hang.
    std::int32_t ShowGuarded() {
        const UINT_PTR guard = ::SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
        const std::int32_t chosen = menu.ShowAt(0, 0, 0, 0, 0, 0, -1);
        ::KillTimer(nullptr, guard);
        return chosen;
    }

    OwnerWindow owner;
    Clicks clicks;
    Win32CodePage932 codePage;
    Win32ImageList images;
    Win32PopupMenu menu{clicks, codePage};
};

// ---- the native menu ------------------------------------------------------------------------

TEST_F(MenuFixture, TheFixedCaptionsShowWithoutPaddingAndWithTheirShortcuts) {
    std::vector<std::int32_t> parents;
    for (const testdata::FixedItemRow& row : testdata::FixedItems(true)) {
        const std::int32_t parent = row.parentKey.empty() ? 0 : menu.FindItemByKey(row.parentKey);
        Add(testdata::PassedCaption(row), parent, row.key, row.image);
    }
    unique_hmenu built = menu.BuildMenu();
    HMENU top = built.get();
    // Top level: 2 items, line + heading, 6 items (the last opens the sub-menu), line + heading.
    ASSERT_EQ(::GetMenuItemCount(top), 12);
    EXPECT_EQ(MenuText(top, 0), L"画面のプロパティ(&S)...\tCtrl+S");
    EXPECT_EQ(MenuText(top, 1), L"デスクトップの表示(&T)\tCtrl+T");
    EXPECT_TRUE(MenuInfo(top, 2).fType & MFT_SEPARATOR);
    EXPECT_EQ(MenuText(top, 3), L"システムアイコン");
    EXPECT_TRUE(MenuInfo(top, 3).fState & MFS_DISABLED) << "a heading cannot be chosen";
    EXPECT_EQ(MenuText(top, 4), L"マイ コンピュータ(&M)...\tCtrl+M");
    EXPECT_EQ(MenuText(top, 5), L"マイ ネットワーク(&N)...\tCtrl+N");
    EXPECT_EQ(MenuText(top, 8), L"ごみ箱(&R)...\tCtrl+R");
    EXPECT_EQ(MenuText(top, 9), L"プロパティ・機能");
    EXPECT_TRUE(MenuInfo(top, 10).fType & MFT_SEPARATOR);
    EXPECT_EQ(MenuText(top, 11), L"ユーザアイコン");
    HMENU sub = MenuInfo(top, 9).hSubMenu;
    ASSERT_NE(sub, nullptr);
    ASSERT_EQ(::GetMenuItemCount(sub), 6);
    EXPECT_EQ(MenuText(sub, 0), L"マイ コンピュータのプロパティ\tCtrl+Shift+M");
    EXPECT_EQ(MenuText(sub, 4), L"ごみ箱のプロパティ\tCtrl+Shift+R");
    EXPECT_EQ(MenuText(sub, 5), L"ごみ箱を空にする\tCtrl+Shift+E");
    EXPECT_EQ(MenuInfo(sub, 5).wID, static_cast<UINT>(menu.FindItemByKey("EmptyT")));
}

TEST_F(MenuFixture, ImagesGreyedItemsAndFullUnicodeNames) {
    Add("with image", 0, "", 0);
    Add("no image");
    Add("greyed", 0, "", 0, false);
    Add("한국어 😀 名前xx");  // two double-byte characters in code page 932, the rest outside it
    Add("-A & B");
    unique_hmenu built = menu.BuildMenu();
    HMENU top = built.get();
    EXPECT_NE(MenuInfo(top, 0).hbmpItem, nullptr);
    EXPECT_EQ(MenuInfo(top, 1).hbmpItem, nullptr);
    EXPECT_TRUE(MenuInfo(top, 2).fState & MFS_DISABLED);
    EXPECT_EQ(MenuText(top, 3), L"한국어 😀 名前");
    EXPECT_EQ(MenuText(top, 5), L"A && B") << "a heading's & is text";
}

// ---- shown menus ----------------------------------------------------------------------------

TEST_F(MenuFixture, AChoiceByArrowKeysRaisesOneClickBeforeShowAtReturns) {
    Add("&Alpha");
    Add("&Beta");
    Add("&Gamma");
    const std::int32_t chosen = ShowAnswering({VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ(chosen, 2);
    EXPECT_EQ(clicks.indices, std::vector<std::int32_t>({2}));
}

TEST_F(MenuFixture, AMnemonicChoosesItsItem) {
    Add("&Alpha");
    Add("-Heading");
    Add("&Beta");
    Add("&Gamma");
    EXPECT_EQ(ShowAnswering({'G'}), 4);
    EXPECT_EQ(ShowAnswering({'B'}), 3);
    EXPECT_EQ(clicks.indices, std::vector<std::int32_t>({4, 3}));
}

TEST_F(MenuFixture, EscapeClosesWithoutAClick) {
    Add("&Alpha");
    EXPECT_EQ(ShowAnswering({VK_ESCAPE}), 0);
    EXPECT_TRUE(clicks.indices.empty());
}

TEST_F(MenuFixture, ASubMenuItemIsChosenThroughItsParentWhichRaisesNothing) {
    Add("&Top");
    const std::int32_t parent = Add("&Properties", 0, "Properties");
    Add("&First", parent);
    const std::int32_t second = Add("&Second", parent);
    EXPECT_EQ(ShowAnswering({'P', VK_DOWN, VK_RETURN}), second);
    EXPECT_EQ(clicks.indices, std::vector<std::int32_t>({second}));
}

TEST_F(MenuFixture, GreyedItemsAndHeadingsCannotBeChosen) {
    Add("&Alpha", 0, "", -1, false);
    Add("-&Heading");
    // The mnemonic finds the item but cannot choose it: the menu stays open until Escape.
    EXPECT_EQ(ShowAnswering({'A', VK_ESCAPE}), 0);
    EXPECT_EQ(ShowAnswering({'H', VK_ESCAPE}), 0);
    EXPECT_TRUE(clicks.indices.empty());
}

TEST_F(MenuFixture, FromTheKeyboardTheMenuOpensAtTheOwnersClientCorner) {
    Add("&Alpha");
    menu.SetAnchor(platform::MenuAnchor::OwnerTopLeft);
    const RECT shownAt = ShownAt();
    POINT corner{0, 0};
    ::ClientToScreen(owner.get(), &corner);
    EXPECT_EQ(shownAt.left, corner.x);
    EXPECT_EQ(shownAt.top, corner.y);
}

TEST_F(MenuFixture, FromTheMouseTheMenuOpensWhereThePointerWasAtTheInput) {
    Add("&Alpha");
    ::SetCursorPos(400, 300);
    // The input being handled: a message taken from the queue with the pointer at 400, 300.
    ::PostMessageW(owner.get(), WM_USER + 7, 0, 0);
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, owner.get(), WM_USER + 7, WM_USER + 7, PM_REMOVE));
    ::SetCursorPos(10, 10);  // where the pointer is now does not count
    const RECT shownAt = ShownAt();
    EXPECT_EQ(shownAt.left, 400);
    EXPECT_EQ(shownAt.top, 300);
}

TEST_F(MenuFixture, WithoutAnOwnerNothingShows) {
    Add("&Alpha");
    menu.SetOwnerWindow(0);
    EXPECT_EQ(menu.ShowAt(0, 0, 0, 0, 0, 0, -1), 0);
}

}  // namespace
}  // namespace lumbra::win32
