// The popup menu on the real system: the native menu its component builds, shown menus answered
// from the keyboard inside their modal loop, icons and pictures, and the lister.
#include <gtest/gtest.h>
#include <windows.h>

#include "MenuTestSupport.h"
#include "platform/win32/WinText.h"

namespace lumbra::wintest {
namespace {

using win32::Narrow;

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[256] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(position), text, 255, MF_BYPOSITION);
    return text;
}

// Pixels of a picture (0xAARRGGBB, premultiplied) and how many are opaque.
std::vector<std::uint32_t> PixelsOf(const platform::PictureRef& picture) {
    DIBSECTION section{};
    const auto* own = dynamic_cast<const win32::Win32Picture*>(picture.get());
    if (own == nullptr || ::GetObjectW(own->Bitmap(), sizeof section, &section) != sizeof section) return {};
    const auto* bits = static_cast<const std::uint32_t*>(section.dsBm.bmBits);
    return {bits, bits + own->PixelWidth() * own->PixelHeight()};
}
long Opaque(const platform::PictureRef& picture) {
    const std::vector<std::uint32_t> pixels = PixelsOf(picture);
    return std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t p) { return (p >> 24) == 0xFF; });
}

struct MenuWin : ::testing::Test {
    MenuWin() { real.shellMenu.BuildPopupMenu(); }
    // Shows the menu and, once it is open, posts the keys (a letter as the character it types).
    std::int32_t ShowAnswering(std::vector<UINT> keys) {
        real.Component().onOpen = [keys](HWND window) {
            for (UINT key : keys) ::PostMessageW(window, key >= 'A' ? WM_CHAR : WM_KEYDOWN, key | 0x20 * (key >= 'A'), 1);
        };
        const UINT_PTR guard = ::SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
        const std::int32_t chosen = real.Component().ShowAt(0, 0, 0, 0, 0, 0, -1);
        ::KillTimer(nullptr, guard);
        return chosen;
    }
    std::int32_t Find(std::string_view key) { return real.Component().FindItemByKey(key); }

    win32::com_apartment com;
    OwnerWindow owner;
    RealMenu real{owner.value()};
};

TEST_F(MenuWin, TheNativeMenuShowsTheCaptionsWithoutPaddingWithShortcutsHeadingsAndTheSubMenu) {
    real.Component().AppendItem("한국어 😀 名前xx", "", 0, 0, 9, false, false, "");
    real.Component().AppendItem("-A & B", "", 0, 0, -1, false, true, "");
    win32::unique_hmenu built = real.Component().BuildMenu();
    HMENU top = built.get();
    const std::wstring texts[] = {L"画面のプロパティ(&S)...\tCtrl+S", L"デスクトップの表示(&T)\tCtrl+T", L"",
                                  L"システムアイコン", L"マイ コンピュータ(&M)...\tCtrl+M",
                                  L"マイ ネットワーク(&N)...\tCtrl+N", L"マイ ドキュメント(&D)...\tCtrl+D",
                                  L"インターネット(&I)...\tCtrl+I", L"ごみ箱(&R)...\tCtrl+R", L"プロパティ・機能", L"",
                                  L"ユーザアイコン", L"한국어 😀 名前", L"", L"A && B"};
    ASSERT_EQ(::GetMenuItemCount(top), 15);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(MenuText(top, i), texts[i]) << i;
    EXPECT_EQ(::GetMenuState(top, 3, MF_BYPOSITION) & MF_DISABLED, MF_DISABLED) << "a heading cannot be chosen";
    EXPECT_EQ(::GetMenuState(top, 12, MF_BYPOSITION) & MF_DISABLED, MF_DISABLED);
    HMENU sub = ::GetSubMenu(top, 9);
    ASSERT_EQ(::GetMenuItemCount(sub), 6);
    EXPECT_EQ(MenuText(sub, 5), L"ごみ箱を空にする\tCtrl+Shift+E");
    EXPECT_EQ(::GetMenuItemID(sub, 5), static_cast<UINT>(Find("EmptyT")));
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP;
    ::GetMenuItemInfoW(top, 0, TRUE, &info);
    EXPECT_NE(info.hbmpItem, nullptr) << "an item with an image shows it";
}

TEST_F(MenuWin, AChoiceByKeysRaisesOneClickBeforeShowAtReturnsAndGreyedItemsCannotBeChosen) {
    EXPECT_EQ(ShowAnswering({VK_DOWN, VK_DOWN, VK_RETURN}), Find("ShowDesktop"));
    std::vector<UINT> toEmptying(9, VK_DOWN);  // to the sub-menu's parent, headings included
    toEmptying.insert(toEmptying.end(), {VK_RIGHT, VK_END, VK_RETURN});
    EXPECT_EQ(ShowAnswering(toEmptying), Find("EmptyT"));
    real.Component().SetItemEnabled(Find("ScreenProp"), false);
    EXPECT_EQ(ShowAnswering({'S', VK_ESCAPE}), 0);
    EXPECT_EQ(ShowAnswering({VK_ESCAPE}), 0);
    EXPECT_EQ(real.clicks, std::vector<std::int32_t>({Find("ShowDesktop"), Find("EmptyT")}));
}

TEST_F(MenuWin, EverySystemFolderAndEveryDesktopEntryShowsAPicture) {
    ASSERT_EQ(real.ilsIcons.Count(), 9);
    for (int position = 1; position <= 9; ++position) EXPECT_GT(Opaque(real.ilsIcons.Picture(position)), 20) << position;
    EXPECT_NE(PixelsOf(real.ilsIcons.Picture(6)), PixelsOf(real.ilsIcons.Picture(7))) << "the bin empty and full";
    EXPECT_EQ(PixelsOf(real.ilsIcons.Picture(9))[0] >> 24, 0u) << "the sheet's grey is the mask colour";
    GeneratedDesktop desktop;
    desktop.AddFile(L"!! メモ.txt");
    desktop.AddFile(L"!! odd.zzq");
    desktop.AddFolder(L"!! 写真");
    real.Component().onOpen = [](HWND) { ::EndMenu(); };
    real.shellMenu.ShowPopupMenu(0, 0);
    for (int position = 10; position <= real.ilsIcons.Count(); ++position) {
        EXPECT_GT(Opaque(real.ilsIcons.Picture(position)), 20) << position;
    }
}

TEST(MenuWinParts, TheListerGivesFilesThenFoldersInExplorersOrderWithoutHiddenOrSystemEntries) {
    GeneratedDesktop temp(std::filesystem::temp_directory_path());
    const std::filesystem::path base = temp.AddFolder(L"lumbra-lister");
    GeneratedDesktop folder(base);
    for (const wchar_t* name : {L"b.txt", L"a10.txt", L"a2.txt", L"メモ.txt", L"hidden.txt", L"system.txt"}) {
        folder.AddFile(name);
    }
    for (const wchar_t* name : {L"Zeta", L"alpha", L"Folder 10", L"Folder 9"}) folder.AddFolder(name);
    ::SetFileAttributesW((base / L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::SetFileAttributesW((base / L"system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
    win32::Win32FileLister lister;
    const menu::Entries entries = menu::ListEntries(lister, {Narrow(base.wstring()), ""});
    std::string names;
    for (const auto* run : {&entries.files, &entries.folders}) {
        for (const platform::ListedEntry& entry : *run) names += entry.path.substr(entry.path.rfind('\\') + 1) + "|";
    }
    EXPECT_EQ(names, "a2.txt|a10.txt|b.txt|メモ.txt|alpha|Folder 9|Folder 10|Zeta|") << "no folder lists nothing";
    EXPECT_EQ(entries.error, "");
    EXPECT_NE(lister.List(Narrow((base / L"missing").wstring())).error, "") << "the system's reason";
}

}  // namespace
}  // namespace lumbra::wintest
