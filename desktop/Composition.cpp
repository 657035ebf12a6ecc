#include "desktop/Composition.h"

#include <algorithm>

#include "desktop/modMain.h"
#include "platform/Scene.h"

namespace lumbra::desktop {

int CompositionMode(std::int16_t wallpaperStyle, std::int16_t tileWallpaper) {
    if (wallpaperStyle == -1) return tileWallpaper;
    if (tileWallpaper == 1) return 1;
    return wallpaperStyle;
}

Layout LayoutOfMode(int mode) {
    switch (mode) {
    case 0:
        return Layout::Centre;
    case 1:
        return Layout::Tile;
    case 2:
        return Layout::Stretch;
    case 6:
        return Layout::Fit;
    case 10:
    case 22:
        return Layout::Fill;
    default:
        return Layout::Centre;
    }
}

std::string ExpandWallpaperPath(std::string path, platform::Environment& environment) {
    const std::size_t p1 = path.find('%');
    if (p1 == std::string::npos) return path;
    const std::size_t p2 = path.find('%', p1 + 1);
    if (p2 == std::string::npos) return path;

    const std::string reference = path.substr(p1, p2 - p1 + 1);
    const std::string expansion = environment.ExpandVariables(reference);
    // Every occurrence, left to right; the replaced text is not searched again.
    std::string expanded;
    std::size_t from = 0;
    for (std::size_t at = path.find(reference); at != std::string::npos; at = path.find(reference, from)) {
        expanded.append(path, from, at - from);
        expanded.append(expansion);
        from = at + reference.size();
    }
    expanded.append(path, from, std::string::npos);

    if (expanded.find('%') != std::string::npos) return std::string(kNoWallpaper);
    return expanded;
}

TwipsSize WallSize(Layout layout, TwipsSize natural, const PanelMetrics& panel) {
    const double pw = panel.width;
    const double ph = panel.height;
    switch (layout) {
    case Layout::Centre:
    case Layout::Tile:
        // The panel's share of the screen times the picture: the division first, then the
        // product, rounded once to single precision.
        return {static_cast<float>(pw / panel.screen.widthTwips * natural.width),
                static_cast<float>(ph / panel.screen.heightTwips * natural.height)};
    case Layout::Stretch:
        return {panel.width, panel.height};
    case Layout::Fit:
    case Layout::Fill: {
        if (!(natural.width > 0.0f) || !(natural.height > 0.0f)) return {0.0f, 0.0f};
        const double kx = pw / natural.width;
        const double ky = ph / natural.height;
        const double k = layout == Layout::Fit ? std::min(kx, ky) : std::max(kx, ky);
        return {static_cast<float>(natural.width * k), static_cast<float>(natural.height * k)};
    }
    }
    return {0.0f, 0.0f};
}

platform::PixelSize ShownPixels(TwipsSize size, const PanelMetrics& panel) {
    return {std::max(1, platform::TwipsToPixels(size.width, panel.screen.twipsPerPixelX)),
            std::max(1, platform::TwipsToPixels(size.height, panel.screen.twipsPerPixelY))};
}

TwipsSize NaturalTwips(platform::PixelSize natural, const platform::ScreenMetrics& screen) {
    return {static_cast<float>(natural.width * static_cast<double>(screen.twipsPerPixelX)),
            static_cast<float>(natural.height * static_cast<double>(screen.twipsPerPixelY))};
}

}  // namespace lumbra::desktop
