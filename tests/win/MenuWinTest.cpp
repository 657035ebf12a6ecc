// The popup menu on the real system: the native menu shown with the desktop's entries, answered
// from the keyboard inside its modal loop; the entries' pictures and order.
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

// Pixels of a picture (0xAARRGGBB, premultiplied).
std::vector<std::uint32_t> PixelsOf(const platform::PictureRef& picture) {
    DIBSECTION section{};
    const auto* own = dynamic_cast<const win32::Win32Picture*>(picture.get());
    if (own == nullptr || ::GetObjectW(own->Bitmap(), sizeof section, &section) != sizeof section) return {};
    const auto* bits = static_cast<const std::uint32_t*>(section.dsBm.bmBits);
    return {bits, bits + own->PixelWidth() * own->PixelHeight()};
}

struct MenuWin : ::testing::Test {
    MenuWin() { real.shellMenu.BuildPopupMenu(); }
    // Shows the menu and, once it is open, notes its top level's texts and posts the keys.
    std::vector<std::wstring> ShowAnswering(std::vector<UINT> keys) {
        std::vector<std::wstring> texts;
        real.Component().onOpen = [&](HWND window) {
            auto top = reinterpret_cast<HMENU>(::SendMessageW(::FindWindowW(L"#32768", nullptr), MN_GETHMENU, 0, 0));
            for (int i = 0; i < ::GetMenuItemCount(top); ++i) texts.push_back(MenuText(top, i));
            for (UINT key : keys) ::PostMessageW(window, WM_KEYDOWN, key, 1);
        };
        const UINT_PTR guard = ::SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
        real.shellMenu.ShowPopupMenu(0, 0);
        ::KillTimer(nullptr, guard);
        return texts;
    }

    win32::com_apartment com;
    OwnerWindow owner;
    RealMenu real{owner.value()};
};

// Enter on a file in a folder's sub-menu opens it; Enter on a folder's own item chooses it, though
// it opens a sub-menu (the message filter of the menu loop sees it).
TEST_F(MenuWin, DesktopEntriesShowTheirNamesAndPicturesAndFoldersCascade) {
    GeneratedDesktop desktop;
    desktop.AddFile(L"!! A&B.txt");
    desktop.AddFile(L"!! odd.zzq");
    const std::filesystem::path folder = desktop.AddFolder(L"~~ 写真");
    GeneratedDesktop inside(folder);
    const std::filesystem::path inner = inside.AddFile(L"inner.txt");
    const std::vector<std::wstring> texts = ShowAnswering({VK_END, VK_RIGHT, VK_END, VK_RETURN});
    // The captions without their padding, with shortcuts; headings under lines; names with "&" as itself.
    EXPECT_EQ(texts, std::vector<std::wstring>({L"画面のプロパティ(&S)...\tCtrl+S", L"デスクトップの表示(&T)\tCtrl+T", L"",
                                                L"システムアイコン", L"マイ コンピュータ(&M)...\tCtrl+M",
                                                L"マイ ネットワーク(&N)...\tCtrl+N", L"マイ ドキュメント(&D)...\tCtrl+D",
                                                L"インターネット(&I)...\tCtrl+I", L"ごみ箱(&R)...\tCtrl+R", L"プロパティ・機能",
                                                L"", L"ユーザアイコン", L"!! A&&B.txt", L"!! odd.zzq", L"~~ 写真"}));
    EXPECT_EQ(real.entries, std::vector<std::string>({Narrow(inner.wstring())}));
    for (int position = 1; position <= real.ilsIcons.Count(); ++position) {
        const std::vector<std::uint32_t> pixels = PixelsOf(real.ilsIcons.Picture(position));
        EXPECT_GT(std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p >> 24 == 0xFF; }), 20)
            << "every system folder and entry has a picture: " << position;
    }
    EXPECT_NE(PixelsOf(real.ilsIcons.Picture(6)), PixelsOf(real.ilsIcons.Picture(7))) << "the bin empty and full";
    EXPECT_EQ(PixelsOf(real.ilsIcons.Picture(9))[0] >> 24, 0u) << "the sheet's grey is the mask colour";
    ShowAnswering({VK_END, VK_RETURN});
    const std::int32_t j = real.Component().FindItemByKey("UserIcon") + real.shellMenu.userFileCount;
    EXPECT_EQ(real.clicks, std::vector<std::int32_t>({j + real.shellMenu.userFolderCount})) << "the last folder";
    EXPECT_EQ(real.shellMenu.userFolders.back(), Narrow(folder.wstring()));
    real.Component().SetItemEnabled(real.Component().FindItemByKey("ScreenProp"), false);
    const win32::unique_hmenu built = real.Component().BuildMenu();
    for (int position : {0, 1, 3, 11}) {
        EXPECT_EQ(::GetMenuState(built.get(), position, MF_BYPOSITION) & MF_DISABLED, position == 1 ? 0u : MF_DISABLED)
            << "a greyed item and the headings show greyed: " << position;
    }
    EXPECT_LT(real.glnFile.CompareNames("a2.txt", "A10.txt"), 0) << "the order of Explorer";
    EXPECT_NE(real.glnFile.List(Narrow((folder / L"missing").wstring())).error, "") << "the system's reason";
}

}  // namespace
}  // namespace lumbra::wintest
