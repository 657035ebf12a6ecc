#include "platform/win32/MenuIcons.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/WinText.h"

namespace lumbra::win32 {
namespace {

constexpr std::uint32_t kBlack = 0x00000000u;
constexpr std::uint32_t kWhite = 0x00FFFFFFu;

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// The picture's pixels when it is a top-down 32-bit DIB section of its own size.
const std::uint32_t* PixelsOf(const Win32Picture& picture) {
    DIBSECTION section{};
    if (::GetObjectW(picture.Bitmap(), sizeof section, &section) != sizeof section) return nullptr;
    if (section.dsBm.bmBitsPixel != 32 || section.dsBm.bmBits == nullptr) return nullptr;
    return static_cast<const std::uint32_t*>(section.dsBm.bmBits);
}

// Coverage and premultiplied colour from the same drawing over black and over white.
std::uint32_t Compose(std::uint32_t overBlack, std::uint32_t overWhite) {
    int alpha = 255;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int b = static_cast<int>((overBlack >> shift) & 0xFF);
        const int w = static_cast<int>((overWhite >> shift) & 0xFF);
        alpha = std::min(alpha, 255 - (w - b));
    }
    alpha = std::clamp(alpha, 0, 255);
    std::uint32_t out = static_cast<std::uint32_t>(alpha) << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int c = std::min(static_cast<int>((overBlack >> shift) & 0xFF), alpha);
        out |= static_cast<std::uint32_t>(c) << shift;
    }
    return out;
}

platform::IconPtr Wrap(HICON icon) {
    if (icon == nullptr) return nullptr;
    return std::make_unique<Win32Icon>(unique_hicon(icon));
}

}  // namespace

// ---- pictures -------------------------------------------------------------------------------

int MenuImageSize() {
    // The size the system shows small icons at, for the system DPI the program runs at.
    static const int size = [] {
        const int metric = ::GetSystemMetrics(SM_CXSMICON);
        return metric > 0 ? metric : 16;
    }();
    return size;
}

std::shared_ptr<Win32Picture> PictureFromIcon(HICON icon, int size) {
    if (icon == nullptr || size <= 0) return nullptr;
    const BITMAPINFO info = TopDown32(size, size);
    const std::size_t count = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
    std::vector<std::uint32_t> result(count);
    std::uint32_t* drawn[2] = {nullptr, nullptr};
    unique_hbitmap bitmaps[2];
    unique_hdc dc(::CreateCompatibleDC(nullptr));
    if (!dc) return nullptr;
    for (int i = 0; i < 2; ++i) {
        void* bits = nullptr;
        bitmaps[i].reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmaps[i] || bits == nullptr) return nullptr;
        drawn[i] = static_cast<std::uint32_t*>(bits);
        std::fill(drawn[i], drawn[i] + count, i == 0 ? kBlack : kWhite);
        select_object selected(dc.get(), bitmaps[i].get());
        ::DrawIconEx(dc.get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        ::GdiFlush();
    }
    for (std::size_t p = 0; p < count; ++p) result[p] = Compose(drawn[0][p], drawn[1][p]);
    return Win32Picture::FromPixels(size, size, result.data());
}

std::shared_ptr<Win32Picture> PictureFromBitmap(HBITMAP bitmap) {
    BITMAP bm{};
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof bm, &bm) == 0 || bm.bmWidth <= 0 || bm.bmHeight <= 0) {
        return nullptr;
    }
    BITMAPINFO info = TopDown32(bm.bmWidth, bm.bmHeight);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bm.bmWidth) * static_cast<std::size_t>(bm.bmHeight));
    window_dc screen(nullptr);
    if (::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(bm.bmHeight), pixels.data(), &info, DIB_RGB_COLORS) == 0) {
        return nullptr;
    }
    for (std::uint32_t& p : pixels) p |= 0xFF000000u;
    return Win32Picture::FromPixels(bm.bmWidth, bm.bmHeight, pixels.data());
}

std::shared_ptr<const Win32Picture> MenuImageOf(const platform::PictureRef& picture) {
    auto source = std::dynamic_pointer_cast<const Win32Picture>(picture);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(MenuImageSize() * MenuImageSize()), 0u);
    if (!source) return Win32Picture::FromPixels(MenuImageSize(), MenuImageSize(), pixels.data());
    if (source->PixelWidth() == MenuImageSize() && source->PixelHeight() == MenuImageSize() && source->HasAlpha()) return source;

    const std::uint32_t* own = source->PixelWidth() == MenuImageSize() && source->PixelHeight() == MenuImageSize() ? PixelsOf(*source) : nullptr;
    if (own != nullptr) {
        std::memcpy(pixels.data(), own, pixels.size() * sizeof(std::uint32_t));
    } else {
        // Another size: scaled into a surface of the menu's size.
        const BITMAPINFO info = TopDown32(MenuImageSize(), MenuImageSize());
        void* bits = nullptr;
        unique_hbitmap target(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        unique_hdc dc(::CreateCompatibleDC(nullptr));
        if (!target || !dc || bits == nullptr) return Win32Picture::FromPixels(MenuImageSize(), MenuImageSize(), pixels.data());
        std::memset(bits, 0, pixels.size() * sizeof(std::uint32_t));
        {
            select_object selected(dc.get(), target.get());
            source->Draw(dc.get(), 0, 0, MenuImageSize(), MenuImageSize());
            ::GdiFlush();
        }
        std::memcpy(pixels.data(), bits, pixels.size() * sizeof(std::uint32_t));
        if (!source->HasAlpha()) {
            for (std::uint32_t& p : pixels) p |= 0xFF000000u;
        }
    }
    if (!source->HasAlpha()) {
        const std::uint32_t mask = (platform::kImageMaskColor & 0x0000FF00u) | ((platform::kImageMaskColor & 0xFF) << 16) |
                                   ((platform::kImageMaskColor >> 16) & 0xFF);  // as B, G, R
        for (std::uint32_t& p : pixels) {
            if ((p & 0x00FFFFFFu) == mask) p = 0;
        }
    }
    return Win32Picture::FromPixels(MenuImageSize(), MenuImageSize(), pixels.data());
}

// ---- icon sources ---------------------------------------------------------------------------

platform::ExtractedIcon Win32IconSource::ExtractFileIcon(std::string_view file, std::int32_t index) {
    platform::ExtractedIcon result;
    if (file.empty()) return result;
    const std::wstring path = Widen(file);
    HICON large = nullptr;
    HICON small = nullptr;
    const UINT count = ::ExtractIconExW(path.c_str(), index, &large, &small, 1);
    // Only the count says whether the handles are icons: beside a count of 0 (or the UINT_MAX
    // of a failure) they may be left-over values that must not be destroyed.
    if (count == 0 || count == UINT_MAX) return result;
    unique_hicon largeOwner(large);
    result.count = count;
    if (small != nullptr) result.small = std::make_unique<Win32Icon>(unique_hicon(small));
    return result;
}

platform::IconPtr Win32IconSource::AssociatedIcon(std::string_view path) {
    std::wstring buffer = Widen(path);
    // The call may write the icon's file into the buffer, which must hold MAX_PATH characters.
    if (buffer.size() >= MAX_PATH) return nullptr;
    buffer.resize(MAX_PATH, L'\0');
    WORD index = 0;
    unique_hicon icon(::ExtractAssociatedIconW(::GetModuleHandleW(nullptr), buffer.data(), &index));
    if (!icon) return nullptr;
    HICON copy = static_cast<HICON>(::CopyImage(icon.get(), IMAGE_ICON, MenuImageSize(), MenuImageSize(), LR_COPYFROMRESOURCE));
    if (copy != nullptr) return Wrap(copy);
    return std::make_unique<Win32Icon>(std::move(icon));
}

platform::IconPtr Win32IconSource::ShellIcon(std::string_view path, std::optional<std::uint32_t> attributesOnly) {
    const std::wstring wide = Widen(path);
    const UINT flags = SHGFI_ICON | SHGFI_SMALLICON | SHGFI_ADDOVERLAYS | (attributesOnly ? SHGFI_USEFILEATTRIBUTES : 0u);
    // A file whose data is here is asked about by item ID; the name and attributes alone go by path.
    if (!attributesOnly) {
        if (HICON icon = ShellIconById(wide, flags)) return Wrap(icon);
    }
    SHFILEINFOW info{};
    if (::SHGetFileInfoW(wide.c_str(), attributesOnly.value_or(0), &info, sizeof info, flags) == 0) return nullptr;
    return Wrap(info.hIcon);
}

HICON Win32IconSource::ShellIconById(std::wstring_view path, UINT flags) {
    const std::size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring_view::npos || slash + 1 >= path.size()) return nullptr;
    const std::wstring folder(path.substr(0, slash == 2 ? 3 : slash));  // "C:\" keeps its backslash
    if (!bound_ || boundPath_ != folder) {
        bound_.Reset();
        boundId_.reset();
        boundPath_.clear();
        PIDLIST_ABSOLUTE id = nullptr;
        if (FAILED(::SHParseDisplayName(folder.c_str(), nullptr, &id, 0, nullptr))) return nullptr;
        boundId_.reset(id);
        Microsoft::WRL::ComPtr<IShellFolder> desktop;
        if (FAILED(::SHGetDesktopFolder(&desktop)) ||
            FAILED(desktop->BindToObject(boundId_.get(), nullptr, IID_PPV_ARGS(&bound_)))) {
            bound_.Reset();
            return nullptr;
        }
        boundPath_ = folder;
    }
    std::wstring name(path.substr(slash + 1));
    PIDLIST_RELATIVE child = nullptr;
    if (FAILED(bound_->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &child, nullptr))) return nullptr;
    const unique_item_id childId(child);
    const unique_item_id item(::ILCombine(boundId_.get(), child));
    SHFILEINFOW info{};
    if (!item ||
        ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item.get()), 0, &info, sizeof info, flags | SHGFI_PIDL) == 0) {
        return nullptr;
    }
    return info.hIcon;
}

platform::IconPtr Win32IconSource::Stock(platform::StockIcon which) {
    // The shell's stock picture first; then the same pictures in the shell's own library by
    // their resource numbers (Wine answers the stock request without an icon, and its library
    // keeps the empty bin under another number).
    SHSTOCKICONID stock = SIID_FOLDER;
    std::vector<int> resources;
    switch (which) {
    case platform::StockIcon::MyComputer: stock = SIID_DESKTOPPC; resources = {16}; break;
    case platform::StockIcon::Network: stock = SIID_MYNETWORK; resources = {18, 15}; break;
    case platform::StockIcon::MyDocuments: stock = SIID_FOLDER; resources = {235, 4}; break;
    case platform::StockIcon::Internet: stock = SIID_INTERNET; resources = {512, 14}; break;
    case platform::StockIcon::RecycleBinEmpty: stock = SIID_RECYCLER; resources = {32, 142}; break;
    case platform::StockIcon::RecycleBinFull: stock = SIID_RECYCLERFULL; resources = {33}; break;
    }
    SHSTOCKICONINFO info{};
    info.cbSize = sizeof info;
    if (SUCCEEDED(::SHGetStockIconInfo(stock, SHGSI_ICON | SHGSI_SMALLICON, &info)) && info.hIcon != nullptr) {
        return Wrap(info.hIcon);
    }
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::string library = Narrow(std::wstring_view(system, length)) + "\\shell32.dll";
    for (int resource : resources) {
        platform::ExtractedIcon extracted = ExtractFileIcon(library, -resource);
        if (extracted.small) return std::move(extracted.small);
    }
    return nullptr;
}

platform::PictureRef Win32IconSource::ResourceIcon(int id) {
    unique_hicon icon(static_cast<HICON>(
        ::LoadImageW(resources_, MAKEINTRESOURCEW(id), IMAGE_ICON, MenuImageSize(), MenuImageSize(), LR_DEFAULTCOLOR)));
    return PictureFromIcon(icon.get(), MenuImageSize());
}

platform::PictureRef Win32IconSource::ResourceBitmap(int id) {
    unique_hbitmap bitmap(static_cast<HBITMAP>(
        ::LoadImageW(resources_, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    return PictureFromBitmap(bitmap.get());
}

// ---- the canvas -----------------------------------------------------------------------------

Win32IconCanvas::Win32IconCanvas() {
    Make(black_);
    Make(white_);
    Clear();
}

Win32IconCanvas::~Win32IconCanvas() {
    Release(black_);
    Release(white_);
}

void Win32IconCanvas::Make(Surface& surface) {
    const BITMAPINFO info = TopDown32(MenuImageSize(), MenuImageSize());
    void* bits = nullptr;
    surface.bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    surface.dc.reset(::CreateCompatibleDC(nullptr));
    surface.pixels = static_cast<std::uint32_t*>(bits);
    if (surface.dc && surface.bitmap) surface.original = ::SelectObject(surface.dc.get(), surface.bitmap.get());
}

void Win32IconCanvas::Release(Surface& surface) {
    if (surface.dc && surface.original) ::SelectObject(surface.dc.get(), surface.original);
    surface.original = nullptr;
}

void Win32IconCanvas::DrawIcon(const platform::Icon& icon) {
    if (const auto* own = dynamic_cast<const Win32Icon*>(&icon)) DrawHandle(own->Handle());
}

void Win32IconCanvas::DrawHandle(HICON icon) {
    if (icon == nullptr || !black_.dc || !white_.dc) return;
    ::DrawIconEx(black_.dc.get(), 0, 0, icon, MenuImageSize(), MenuImageSize(), 0, nullptr, DI_NORMAL);
    ::DrawIconEx(white_.dc.get(), 0, 0, icon, MenuImageSize(), MenuImageSize(), 0, nullptr, DI_NORMAL);
    ::GdiFlush();
}

platform::PictureRef Win32IconCanvas::Picture() {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(MenuImageSize() * MenuImageSize()), 0u);
    if (black_.pixels != nullptr && white_.pixels != nullptr) {
        ::GdiFlush();
        for (std::size_t p = 0; p < pixels.size(); ++p) pixels[p] = Compose(black_.pixels[p], white_.pixels[p]);
    }
    return Win32Picture::FromPixels(MenuImageSize(), MenuImageSize(), pixels.data());
}

void Win32IconCanvas::Clear() {
    const std::size_t count = static_cast<std::size_t>(MenuImageSize() * MenuImageSize());
    if (black_.pixels != nullptr) std::fill(black_.pixels, black_.pixels + count, kBlack);
    if (white_.pixels != nullptr) std::fill(white_.pixels, white_.pixels + count, kWhite);
}

// ---- the image list -------------------------------------------------------------------------

void Win32ImageList::Add(const platform::PictureRef& picture, std::string_view key) {
    images_.push_back({MenuImageOf(picture), std::string(key)});
}

std::int32_t Win32ImageList::PositionOfKey(std::string_view key) const {
    if (key.empty()) return 0;
    for (std::size_t i = 0; i < images_.size(); ++i) {
        if (images_[i].key == key) return static_cast<std::int32_t>(i + 1);
    }
    return 0;
}

void Win32ImageList::Remove(std::int32_t position) {
    if (position < 1 || position > Count()) return;
    images_.erase(images_.begin() + (position - 1));
}

platform::PictureRef Win32ImageList::Picture(std::int32_t position) const {
    if (position < 1 || position > Count()) return nullptr;
    return images_[static_cast<std::size_t>(position - 1)].picture;
}

const Win32Picture* Win32ImageList::MenuImage(std::int32_t imageNumber) const {
    if (imageNumber < 0 || imageNumber >= Count()) return nullptr;
    return images_[static_cast<std::size_t>(imageNumber)].picture.get();
}

}  // namespace lumbra::win32
