// Icons for the popup menu on the real shell: extraction with its fallbacks, the stock pictures,
// the program's own pictures, the canvas and the image list.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>

#include "MenuTestSupport.h"
#include "app/frmMain.h"
#include "desktop/modMain.h"
#include "menu/ShellMenu.h"
#include "platform/win32/MenuIcons.h"
#include "platform/win32/PopupMenu.h"
#include "platform/win32/Registry.h"
#include "platform/win32/ShellServices.h"
#include "platform/win32/WinText.h"
#include "res/resource.h"

namespace lumbra::win32 {
namespace {

// Pixels of a menu picture: 0xAARRGGBB premultiplied, top-down.
std::vector<std::uint32_t> PixelsOf(const platform::PictureRef& picture) {
    const auto* own = dynamic_cast<const Win32Picture*>(picture.get());
    if (own == nullptr) return {};
    DIBSECTION section{};
    if (::GetObjectW(own->Bitmap(), sizeof section, &section) != sizeof section) return {};
    const auto* bits = static_cast<const std::uint32_t*>(section.dsBm.bmBits);
    return std::vector<std::uint32_t>(bits, bits + own->PixelWidth() * own->PixelHeight());
}

int OpaquePixels(const platform::PictureRef& picture) {
    int n = 0;
    for (std::uint32_t p : PixelsOf(picture)) n += (p >> 24) == 0xFF;
    return n;
}

int TransparentPixels(const platform::PictureRef& picture) {
    int n = 0;
    for (std::uint32_t p : PixelsOf(picture)) n += (p >> 24) == 0;
    return n;
}

std::string TestExePath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return Narrow(path);
}

class IconScratchFolder {
public:
    IconScratchFolder() {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        path_ = std::filesystem::path(temp) / (L"lumbra-menu-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                              std::to_wstring(counter_++));
        std::filesystem::create_directories(path_);
    }
    ~IconScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::wstring& name, const std::string& content = "x") {
        std::ofstream(path_ / name, std::ios::binary) << content;
        return Narrow((path_ / name).wstring());
    }
    std::string Folder(const std::wstring& name) {
        std::filesystem::create_directories(path_ / name);
        return Narrow((path_ / name).wstring());
    }
    std::string Path() const { return Narrow(path_.wstring()); }

private:
    std::filesystem::path path_;
    static inline int counter_ = 0;
};

// ---- extraction -----------------------------------------------------------------------------

TEST(MenuIconExtraction, AProgramFileGivesItsFirstIcon) {
    Win32IconSource icons(::GetModuleHandleW(nullptr));
    platform::ExtractedIcon extracted = icons.ExtractFileIcon(TestExePath(), 0);
    // One icon asked for; some systems count its large and small image apart.
    EXPECT_GE(extracted.count, 1u);
    ASSERT_NE(extracted.small, nullptr);
    Win32IconCanvas canvas;
    canvas.DrawIcon(*extracted.small);
    EXPECT_GT(OpaquePixels(canvas.Picture()), 20);
}

TEST(MenuIconExtraction, ATextFileAndAnEmptyNameHoldNoIcon) {
    IconScratchFolder folder;
    Win32IconSource icons(::GetModuleHandleW(nullptr));
    const std::string text = folder.File(L"note.txt", "hello");
    platform::ExtractedIcon fromText = icons.ExtractFileIcon(text, 0);
    EXPECT_EQ(fromText.count, 0u);
    EXPECT_EQ(fromText.small, nullptr) << "a handle beside a count of 0 is released, not handed on";
    EXPECT_EQ(icons.ExtractFileIcon("", 0).count, 0u);
    EXPECT_EQ(icons.ExtractFileIcon(folder.Path() + "\\missing.dll", 3).count, 0u);
}

TEST(MenuIconExtraction, ATextFileStillGetsAnIconThroughTheFallbacks) {
    IconScratchFolder folder;
    Win32IconSource icons(::GetModuleHandleW(nullptr));
    const std::string text = folder.File(L"メモ.txt", "hello");
    platform::IconPtr icon = icons.AssociatedIcon(text);
    if (!icon) icon = icons.ShellSmallIcon(text);
    ASSERT_NE(icon, nullptr);
    Win32IconCanvas canvas;
    canvas.DrawIcon(*icon);
    EXPECT_GT(OpaquePixels(canvas.Picture()), 20);
    ASSERT_NE(icons.ShellSmallIcon(folder.Folder(L"写真")), nullptr) << "a folder has the shell's folder icon";
}

TEST(MenuIconExtraction, EveryStockPictureOfTheSystemFoldersExists) {
    Win32IconSource icons(::GetModuleHandleW(nullptr));
    for (auto which : {platform::StockIcon::MyComputer, platform::StockIcon::Network, platform::StockIcon::MyDocuments,
                       platform::StockIcon::Internet, platform::StockIcon::RecycleBinEmpty,
                       platform::StockIcon::RecycleBinFull}) {
        platform::IconPtr icon = icons.Stock(which);
        ASSERT_NE(icon, nullptr) << static_cast<int>(which);
        Win32IconCanvas canvas;
        canvas.DrawIcon(*icon);
        EXPECT_GT(OpaquePixels(canvas.Picture()), 20) << static_cast<int>(which);
    }
}

TEST(MenuIconExtraction, TheProgramsOwnPicturesLoadAt16Pixels) {
    Win32IconSource icons(::GetModuleHandleW(nullptr));
    for (int id : {IDI_LUMBRA, IDI_DISPLAY_PROPS}) {
        platform::PictureRef picture = icons.ResourceIcon(id);
        ASSERT_NE(picture, nullptr) << id;
        EXPECT_EQ(picture->PixelWidth(), 16);
        EXPECT_EQ(picture->PixelHeight(), 16);
        EXPECT_GT(OpaquePixels(picture), 40) << id;
    }
    platform::PictureRef sheet = icons.ResourceBitmap(IDB_SHEET);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->PixelWidth(), 16);
    EXPECT_EQ(TransparentPixels(sheet), 0) << "a bitmap has no transparency of its own";
}

// ---- the canvas and the list ----------------------------------------------------------------

TEST(MenuIconCanvas, KeepsTheIconsTransparencyAndStartsCleanAfterClearing) {
    Win32IconSource icons(::GetModuleHandleW(nullptr));
    Win32IconCanvas canvas;
    EXPECT_EQ(TransparentPixels(canvas.Picture()), 256) << "an empty canvas shows nothing";
    platform::IconPtr icon = icons.Stock(platform::StockIcon::RecycleBinEmpty);
    ASSERT_NE(icon, nullptr);
    canvas.DrawIcon(*icon);
    platform::PictureRef drawn = canvas.Picture();
    EXPECT_GT(OpaquePixels(drawn), 20);
    EXPECT_GT(TransparentPixels(drawn), 0) << "a recycle bin does not fill its square";
    // Premultiplied: no colour brighter than its coverage.
    for (std::uint32_t p : PixelsOf(drawn)) {
        const std::uint32_t a = p >> 24;
        EXPECT_LE((p >> 16) & 0xFF, a);
        EXPECT_LE((p >> 8) & 0xFF, a);
        EXPECT_LE(p & 0xFF, a);
    }
    platform::PictureRef kept = canvas.Picture();
    canvas.Clear();
    EXPECT_EQ(TransparentPixels(canvas.Picture()), 256);
    EXPECT_EQ(PixelsOf(kept), PixelsOf(drawn)) << "a picture taken earlier is not changed by clearing";
}

TEST(MenuImageList, MaskGreyTurnsTransparentInPicturesWithoutTransparency) {
    std::vector<std::uint32_t> pixels(256, 0xFF808080u);
    pixels[0] = 0xFF102030u;
    pixels[17] = 0xFF818181u;
    Win32ImageList list;
    list.Add(Win32Picture::FromPixels(16, 16, pixels.data()), "");
    const std::vector<std::uint32_t> shown = PixelsOf(list.Picture(1));
    ASSERT_EQ(shown.size(), 256u);
    EXPECT_EQ(shown[0], 0xFF102030u);
    EXPECT_EQ(shown[17], 0xFF818181u) << "only the exact mask colour";
    EXPECT_EQ(shown[1], 0u);
    EXPECT_EQ(shown[255], 0u);
}

TEST(MenuImageList, PicturesWithTransparencyKeepTheirGreyAndOtherSizesAreScaled) {
    std::vector<std::uint32_t> pixels(256, 0xFF808080u);
    pixels[5] = 0;  // transparent: the picture carries its own transparency
    Win32ImageList list;
    list.Add(Win32Picture::FromPixels(16, 16, pixels.data()), "");
    EXPECT_EQ(PixelsOf(list.Picture(1))[0], 0xFF808080u);
    std::vector<std::uint32_t> big(32 * 32, 0xFF0000FFu);
    list.Add(Win32Picture::FromPixels(32, 32, big.data()), "Big");
    EXPECT_EQ(list.Picture(2)->PixelWidth(), 16);
    EXPECT_EQ(list.Picture(2)->PixelHeight(), 16);
    EXPECT_EQ(PixelsOf(list.Picture(2))[100] & 0xFFFFFFu, 0x0000FFu);
}

TEST(MenuImageList, PositionsFromOneKeysAndRemoval) {
    std::vector<std::uint32_t> pixels(256, 0xFF112233u);
    auto picture = Win32Picture::FromPixels(16, 16, pixels.data());
    Win32ImageList list;
    list.Add(picture, "");
    list.Add(picture, "Last");
    list.Add(picture, "");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.PositionOfKey("Last"), 2);
    EXPECT_EQ(list.PositionOfKey("None"), 0);
    EXPECT_EQ(list.PositionOfKey(""), 0);
    list.Remove(1);
    EXPECT_EQ(list.PositionOfKey("Last"), 1);
    list.Remove(7);
    list.Remove(0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Picture(3), nullptr);
    EXPECT_NE(list.MenuImage(1), nullptr) << "image number 1 is position 2";
    EXPECT_EQ(list.MenuImage(2), nullptr);
}

// ---- the system icon set on this system -----------------------------------------------------

TEST(MenuSystemIcons, NineImagesAndEverySystemFolderShowsAPicture) {
    wintest::RealMenu real(0);
    Win32ImageList& list = real.ilsIcons;
    menu::ShellMenu& shellMenu = real.shellMenu;
    shellMenu.LoadSystemIcons();
    ASSERT_EQ(list.Count(), 9);
    EXPECT_EQ(list.PositionOfKey("Last"), 9);
    for (int position = 1; position <= 9; ++position) {
        EXPECT_GT(OpaquePixels(list.Picture(position)), 20) << "position " << position;
    }
    EXPECT_NE(PixelsOf(list.Picture(6)), PixelsOf(list.Picture(7))) << "the bin empty and full differ";
    // The sheet's grey background is the mask colour.
    EXPECT_EQ(PixelsOf(list.Picture(9))[0] >> 24, 0u);
}

}  // namespace
}  // namespace lumbra::win32
