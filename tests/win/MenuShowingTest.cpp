// The whole popup menu on the real system: the desktop's entries in a shown menu, and the
// window system objects of a thousand showings.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <fstream>

#include "MenuTestSupport.h"
#include "platform/win32/Handles.h"
#include "platform/win32/WinText.h"

namespace lumbra::wintest {
namespace {

using win32::com_apartment;
using win32::Narrow;

std::filesystem::path TestExe() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// The texts of the open menu's top level, read from inside its modal loop.
std::vector<std::wstring> OpenMenuTexts() {
    std::vector<std::wstring> texts;
    HWND popup = ::FindWindowW(L"#32768", nullptr);
    if (popup == nullptr) return texts;
    auto menu = reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) texts.push_back(MenuText(menu, i));
    return texts;
}

TEST(MenuShowing, TheDesktopsFilesThenFoldersFollowTheUserIconHeading) {
    com_apartment com;
    OwnerWindow owner;
    GeneratedDesktop desktop;
    // Names that sort before anything else the desktop may hold.
    desktop.AddFile(L"!! メモ帳.txt", "memo");
    desktop.AddCopyOf(TestExe(), L"!! tool.exe");
    desktop.AddFolder(L"!! 写真");
    RealMenu real(owner.value());
    real.shellMenu.BuildPopupMenu();
    std::vector<std::wstring> texts;
    real.Component().onOpen = [&](HWND) {
        texts = OpenMenuTexts();
        ::EndMenu();
    };
    real.shellMenu.ShowPopupMenu(0, 0);
    const auto heading = std::find(texts.begin(), texts.end(), L"ユーザアイコン");
    ASSERT_NE(heading, texts.end());
    ASSERT_GE(texts.end() - heading, 4);
    // In the order Explorer sorts names: the Latin name before the Japanese one.
    EXPECT_EQ(heading[1], L"!! tool.exe");
    EXPECT_EQ(heading[2], L"!! メモ帳.txt");
    const auto folder = std::find(heading, texts.end(), L"!! 写真");
    ASSERT_NE(folder, texts.end());
    EXPECT_GT(folder - heading, 2) << "folders come after every file";
    EXPECT_TRUE(real.clicks.empty());
}

TEST(MenuShowing, ChoosingADesktopEntryByKeyboardRaisesItsIndex) {
    com_apartment com;
    OwnerWindow owner;
    GeneratedDesktop desktop;
    desktop.AddFile(L"!! first.txt");
    RealMenu real(owner.value());
    real.shellMenu.BuildPopupMenu();
    // Every desktop entry is selectable and nothing but entries follows ours: from the last
    // item, up to it.
    real.Component().onOpen = [&](HWND window) {
        const std::vector<std::wstring> texts = OpenMenuTexts();
        const auto at = std::find(texts.begin(), texts.end(), L"!! first.txt");
        ::PostMessageW(window, WM_KEYDOWN, VK_END, 1);
        for (auto i = at + 1; i < texts.end(); ++i) ::PostMessageW(window, WM_KEYDOWN, VK_UP, 1);
        ::PostMessageW(window, WM_KEYDOWN, VK_RETURN, 1);
    };
    const UINT_PTR guard = ::SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
    real.shellMenu.ShowPopupMenu(0, 0);
    ::KillTimer(nullptr, guard);
    ASSERT_EQ(real.clicks.size(), 1u);
    const std::int32_t heading = real.shellMenu.objPMn()->FindItemByKey("UserIcon");
    EXPECT_EQ(real.clicks[0], heading + 1);
    EXPECT_EQ(real.shellMenu.userFiles[0], Narrow((GeneratedDesktop::Folder() / L"!! first.txt").wstring()));
}

TEST(MenuShowing, AThousandShowingsLeaveTheWindowSystemObjectsAsTheyWere) {
    com_apartment com;
    OwnerWindow owner;
    GeneratedDesktop desktop;
    std::vector<std::filesystem::path> files;
    for (int i = 0; i < 12; ++i) files.push_back(desktop.AddFile(L"leak " + std::to_wstring(i) + L".txt"));
    desktop.AddFile(L"leak unknown.zzq");
    desktop.AddCopyOf(TestExe(), L"leak tool.exe");
    desktop.AddFolder(L"leak folder");
    RealMenu real(owner.value());
    real.shellMenu.BuildPopupMenu();
    real.Component().onOpen = [](HWND) { ::EndMenu(); };
    for (int i = 0; i < 3; ++i) real.shellMenu.ShowPopupMenu(0, 0);
    OwnerWindow::Pump();

    const GuiObjects before = CountGuiObjects();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000; ++i) {
        // Now and then an entry is written to, so that its icon is extracted afresh.
        if (i % 100 == 50) std::ofstream(files[static_cast<std::size_t>(i / 100)], std::ios::app) << "more";
        real.shellMenu.ShowPopupMenu(0, 0);
    }
    OwnerWindow::Pump();
    const GuiObjects after = CountGuiObjects();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("1000 showings in %.1f s; GDI objects %ld -> %ld, USER objects %ld -> %ld\n", seconds, before.gdi,
                after.gdi, before.user, after.user);
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
    EXPECT_EQ(real.ilsIcons.Count(), 9 + real.shellMenu.userFileCount + real.shellMenu.userFolderCount);
}

}  // namespace
}  // namespace lumbra::wintest
