#include "platform/win32/ScenePainter.h"

#include <algorithm>

#include "platform/win32/Handles.h"
#include "platform/win32/Picture.h"

namespace lumbra::win32 {
namespace {

int Modulo(int value, int divisor) { return ((value % divisor) + divisor) % divisor; }

const Win32Picture* PictureOf(const platform::ImageElement& element) {
    return element.Visible() ? dynamic_cast<const Win32Picture*>(element.Picture().get()) : nullptr;
}

// A copy of the picture over the background colour: opaque, so that a pattern brush can repeat it.
unique_hbitmap OverColour(HDC dc, const Win32Picture& picture, COLORREF background) {
    const int w = picture.PixelWidth();
    const int h = picture.PixelHeight();
    unique_hdc memory(::CreateCompatibleDC(dc));
    unique_hbitmap bitmap(::CreateCompatibleBitmap(dc, w, h));
    unique_hbrush fill(::CreateSolidBrush(background));
    if (!memory || !bitmap || !fill) return {};
    select_object selected(memory.get(), bitmap.get());
    const RECT all{0, 0, w, h};
    ::FillRect(memory.get(), &all, fill.get());
    picture.Draw(memory.get(), 0, 0, w, h);
    return bitmap;
}

// The grid paints only the tiles the DC can show: with a pattern brush in one go where each tile
// is its picture's own size, else tile by tile.
void PaintTiles(HDC dc, const platform::TileGrid& tiles, COLORREF background) {
    const Win32Picture* picture = PictureOf(tiles.cell);
    const int w = tiles.cell.PixelWidth();
    const int h = tiles.cell.PixelHeight();
    if (picture == nullptr || tiles.Count() == 0 || w <= 0 || h <= 0) return;
    const int left = tiles.cell.PixelLeft();
    const int top = tiles.cell.PixelTop();
    RECT clip{};
    if (::GetClipBox(dc, &clip) == ERROR) return;
    const int firstColumn = std::max(0, static_cast<int>(clip.left - left) / w);
    const int firstRow = std::max(0, static_cast<int>(clip.top - top) / h);
    const int endColumn = std::min(tiles.columns, static_cast<int>(clip.right - left + w - 1) / w);
    const int endRow = std::min(tiles.rows, static_cast<int>(clip.bottom - top + h - 1) / h);
    if (firstColumn >= endColumn || firstRow >= endRow) return;

    const bool cells = w == picture->PixelWidth() && h == picture->PixelHeight();
    unique_hbitmap opaque;
    if (cells && picture->HasAlpha()) opaque = OverColour(dc, *picture, background);
    unique_hbrush brush;
    if (cells) brush.reset(::CreatePatternBrush(opaque ? opaque.get() : picture->Bitmap()));
    if (brush) {
        POINT origin{};
        ::GetViewportOrgEx(dc, &origin);
        POINT previous{};
        ::SetBrushOrgEx(dc, Modulo(left + origin.x, w), Modulo(top + origin.y, h), &previous);
        const RECT block{left + firstColumn * w, top + firstRow * h, left + endColumn * w, top + endRow * h};
        ::FillRect(dc, &block, brush.get());
        ::SetBrushOrgEx(dc, previous.x, previous.y, nullptr);
        return;
    }
    for (int row = firstRow; row < endRow; ++row) {
        for (int column = firstColumn; column < endColumn; ++column) {
            picture->Draw(dc, left + column * w, top + row * h, w, h);
        }
    }
}

}  // namespace

void PaintScene(HDC dc, const platform::Scene& scene, COLORREF background) {
    RECT clip{};
    unique_hbrush fill(::CreateSolidBrush(background));
    if (::GetClipBox(dc, &clip) != ERROR && fill) ::FillRect(dc, &clip, fill.get());
    scene.ForEach([&](const platform::ImageElement& element) {
        if (const Win32Picture* picture = PictureOf(element)) {
            picture->Draw(dc, element.PixelLeft(), element.PixelTop(),
                          element.Stretch() ? element.PixelWidth() : picture->PixelWidth(),
                          element.Stretch() ? element.PixelHeight() : picture->PixelHeight());
        }
    });
    PaintTiles(dc, scene.Tiles(), background);
}

}  // namespace lumbra::win32
