#pragma once
// A picture held as a 32-bit top-down DIB section (premultiplied BGRA), drawn into the panel.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "platform/Scene.h"
#include "platform/win32/Handles.h"

namespace lumbra::win32 {

class Win32Picture final : public platform::Picture {
public:
    // nullptr when the bitmap cannot be made. pixels: width * height premultiplied BGRA values.
    static std::shared_ptr<Win32Picture> FromPixels(int width, int height, const std::uint32_t* pixels);

    int PixelWidth() const override { return width_; }
    int PixelHeight() const override { return height_; }
    HBITMAP Bitmap() const { return bitmap_.get(); }
    bool HasAlpha() const { return hasAlpha_; }

    // Draws the picture stretched into the destination rectangle.
    void Draw(HDC dc, int x, int y, int width, int height) const;
    // The same, from a memory DC that already holds this picture's bitmap (many elements
    // showing one picture share it).
    void DrawFrom(HDC source, HDC dc, int x, int y, int width, int height) const;

private:
    Win32Picture(unique_hbitmap bitmap, int width, int height, bool hasAlpha)
        : bitmap_(std::move(bitmap)), width_(width), height_(height), hasAlpha_(hasAlpha) {}

    unique_hbitmap bitmap_;
    int width_;
    int height_;
    bool hasAlpha_;
};

}  // namespace lumbra::win32
