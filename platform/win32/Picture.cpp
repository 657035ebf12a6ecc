#include "platform/win32/Picture.h"

#include <cstring>

namespace lumbra::win32 {

std::shared_ptr<Win32Picture> Win32Picture::FromPixels(int width, int height, const std::uint32_t* pixels) {
    if (width <= 0 || height <= 0 || pixels == nullptr) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    unique_hbitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr) return nullptr;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::memcpy(bits, pixels, count * sizeof(std::uint32_t));
    bool hasAlpha = false;
    for (std::size_t i = 0; i < count && !hasAlpha; ++i) hasAlpha = (pixels[i] >> 24) != 0xFF;
    return std::shared_ptr<Win32Picture>(new Win32Picture(std::move(bitmap), width, height, hasAlpha));
}

void Win32Picture::Draw(HDC dc, int x, int y, int width, int height) const {
    if (width <= 0 || height <= 0) return;
    unique_hdc source(::CreateCompatibleDC(dc));
    if (!source) return;
    select_object selected(source.get(), bitmap_.get());
    DrawFrom(source.get(), dc, x, y, width, height);
}

void Win32Picture::DrawFrom(HDC source, HDC dc, int x, int y, int width, int height) const {
    if (width <= 0 || height <= 0) return;
    if (hasAlpha_) {
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ::GdiAlphaBlend(dc, x, y, width, height, source, 0, 0, width_, height_, blend);
    } else if (width == width_ && height == height_) {
        ::BitBlt(dc, x, y, width, height, source, 0, 0, SRCCOPY);
    } else {
        const int previous = ::SetStretchBltMode(dc, HALFTONE);
        ::SetBrushOrgEx(dc, 0, 0, nullptr);
        ::StretchBlt(dc, x, y, width, height, source, 0, 0, width_, height_, SRCCOPY);
        ::SetStretchBltMode(dc, previous);
    }
}

}  // namespace lumbra::win32
