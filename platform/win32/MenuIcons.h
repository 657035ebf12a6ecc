#pragma once
// Icons for the popup menu: extraction from files and the shell, the program's own pictures,
// the canvas picIcon, and the image list ilsIcons that holds the menu's pictures as 32-bit
// premultiplied bitmaps, all of the system's small-icon size.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Icons.h"
#include "platform/ImageList.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Picture.h"

namespace lumbra::win32 {

class Win32Icon final : public platform::Icon {
public:
    explicit Win32Icon(unique_hicon icon) : icon_(std::move(icon)) {}
    HICON Handle() const { return icon_.get(); }

private:
    unique_hicon icon_;
};

// The side of a menu picture: the system's small-icon size (GetSystemMetrics(SM_CXSMICON)).
int MenuImageSize();

// An icon drawn at size x size into a premultiplied picture that keeps the icon's transparency:
// drawn once over black and once over white, the difference of the two is the coverage.
std::shared_ptr<Win32Picture> PictureFromIcon(HICON icon, int size);

// A bitmap's pixels as a premultiplied picture, every pixel opaque.
std::shared_ptr<Win32Picture> PictureFromBitmap(HBITMAP bitmap);

// The picture as the menu shows it: of the menu's picture size, and where it has no transparency of its own, the
// mask colour RGB(128, 128, 128) made transparent. The same picture when it already is one.
std::shared_ptr<const Win32Picture> MenuImageOf(const platform::PictureRef& picture);

class Win32IconSource final : public platform::IconSource {
public:
    // resources: the module that holds the program's icons and bitmaps.
    explicit Win32IconSource(HINSTANCE resources) : resources_(resources) {}

    platform::ExtractedIcon ExtractFileIcon(std::string_view file, std::int32_t index) override;
    platform::IconPtr AssociatedIcon(std::string_view path) override;
    platform::IconPtr ShellIcon(std::string_view path, std::optional<std::uint32_t> attributesOnly) override;
    platform::IconPtr Stock(platform::StockIcon which) override;
    platform::PictureRef ResourceIcon(int id) override;
    platform::PictureRef ResourceBitmap(int id) override;

private:
    // The icon of an item of the folder last asked about, by its item ID: the folder is bound
    // once, so the shell does not look every path up again from the root (which, under Wine,
    // costs more the more entries the folder has). nullptr when the shell cannot tell.
    HICON ShellIconById(std::wstring_view path, UINT flags);

    HINSTANCE resources_;
    std::wstring boundPath_;
    unique_item_id boundId_;
    Microsoft::WRL::ComPtr<IShellFolder> bound_;
};

// picIcon: the drawing is kept over black and over white, so that the picture taken from it
// carries the icons' own transparency (the mask colour's grey would fringe their soft edges).
class Win32IconCanvas final : public platform::IconCanvas {
public:
    Win32IconCanvas();
    ~Win32IconCanvas() override;
    Win32IconCanvas(const Win32IconCanvas&) = delete;
    Win32IconCanvas& operator=(const Win32IconCanvas&) = delete;

    void DrawIcon(const platform::Icon& icon) override;
    platform::PictureRef Picture() override;
    void Clear() override;

    // Draws straight from a handle (the same as DrawIcon).
    void DrawHandle(HICON icon);

private:
    struct Surface {
        unique_hdc dc;
        unique_hbitmap bitmap;
        HGDIOBJ original = nullptr;
        std::uint32_t* pixels = nullptr;
    };
    static void Make(Surface& surface);
    static void Release(Surface& surface);
    Surface black_;
    Surface white_;
};

class Win32ImageList final : public platform::ImageList {
public:
    std::int32_t Count() const override { return static_cast<std::int32_t>(images_.size()); }
    void Add(const platform::PictureRef& picture, std::string_view key) override;
    std::int32_t PositionOfKey(std::string_view key) const override;
    void Remove(std::int32_t position) override;
    platform::PictureRef Picture(std::int32_t position) const override;
    // The menu's bitmap of an image number (0-based), nullptr when there is none.
    const Win32Picture* MenuImage(std::int32_t imageNumber) const;

private:
    struct Image {
        std::shared_ptr<const Win32Picture> picture;
        std::string key;
    };
    std::vector<Image> images_;
};

}  // namespace lumbra::win32
