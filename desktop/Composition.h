#pragma once
// The rules of the miniature that need no state: which layout a wallpaper setting asks for, the
// environment-variable expansion of the wallpaper path, and the size of the shown wallpaper.
#include <cstdint>
#include <string>

#include "platform/Environment.h"
#include "platform/PictureLoader.h"
#include "platform/SystemInfo.h"

namespace lumbra::desktop {

// The composition mode of a WallpaperStyle and TileWallpaper pair: 0 centre, 1 tile, 2 stretch,
// and on newer systems 6 fit, 10 fill, 22 span; anything else as it comes.
int CompositionMode(std::int16_t wallpaperStyle, std::int16_t tileWallpaper);

enum class Layout {
    Centre,   // natural size at the panel's scale, in the middle
    Tile,     // natural size at the panel's scale, repeated from the top-left corner
    Stretch,  // over the whole panel
    Fit,      // uniformly as large as fits inside the panel, in the middle
    Fill,     // uniformly as small as covers the panel, in the middle, cut at its edges
};

// Span covers the whole virtual screen, which on the one screen the panel shows is fill. A mode
// no Windows defines is shown centred.
Layout LayoutOfMode(int mode);

// Expands the first %NAME% reference of the path (every occurrence of it); a path that still
// holds a "%" afterwards names nothing and becomes "(なし)". A single "%" is left alone.
std::string ExpandWallpaperPath(std::string path, platform::Environment& environment);

// The panel, the screen it shows, and its twips per pixel.
struct PanelMetrics {
    float width = 0.0f;
    float height = 0.0f;
    platform::ScreenMetrics screen;
};

struct TwipsSize {
    float width = 0.0f;
    float height = 0.0f;
};

// The size imgWall is given, in twips, before it takes whole pixels. natural is the picture's
// size in twips (its pixels at the screen's twips per pixel).
TwipsSize WallSize(Layout layout, TwipsSize natural, const PanelMetrics& panel);

// The whole pixels an element of that size takes. A picture never disappears: a size that
// rounds to no pixel takes one.
platform::PixelSize ShownPixels(TwipsSize size, const PanelMetrics& panel);

// The picture's natural size in twips.
TwipsSize NaturalTwips(platform::PixelSize natural, const platform::ScreenMetrics& screen);

}  // namespace lumbra::desktop
