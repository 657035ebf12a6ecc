// The stateless rules of the miniature: the mode table, the layouts of the newer styles, the
// expansion of the wallpaper path and the sizes of the shown wallpaper.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop/Composition.h"
#include "desktop/modMain.h"
#include "fakes/WallpaperFakes.h"

namespace lumbra::desktop {
namespace {

TEST(CompositionMode, StyleMinusOneTakesTheTileFlagTileFlagOneTilesOtherwiseTheStyleIsTheMode) {
    const struct {
        std::int16_t style;
        std::int16_t tile;
        int mode;
    } cases[] = {
        {-1, 0, 0}, {-1, 1, 1}, {-1, 2, 2}, {-1, -1, -1},                              // the tile flag
        {0, 1, 1},  {2, 1, 1},  {6, 1, 1},  {10, 1, 1},   {22, 1, 1},   {7, 1, 1},     // tiles
        {0, 0, 0},  {2, 0, 2},  {2, 2, 2},  {6, 0, 6},    {10, 0, 10},  {22, -1, 22}, {0, 5, 0},  // the style
    };
    for (const auto& c : cases) EXPECT_EQ(CompositionMode(c.style, c.tile), c.mode) << c.style << ", " << c.tile;
}

TEST(LayoutOfMode, ClassicAndNewerStylesHaveTheirOwnLayoutsSpanIsFillAndUnknownModesAreCentred) {
    const std::pair<int, Layout> cases[] = {{0, Layout::Centre}, {1, Layout::Tile}, {2, Layout::Stretch},
                                            {6, Layout::Fit},    {10, Layout::Fill}, {22, Layout::Fill}};
    for (const auto& [mode, layout] : cases) EXPECT_EQ(LayoutOfMode(mode), layout) << mode;
    for (int mode : {-1, 3, 4, 5, 7, 11, 21, 23, 32767, -32768}) EXPECT_EQ(LayoutOfMode(mode), Layout::Centre) << mode;
}

TEST(WallpaperPath, TheFirstReferenceIsExpandedEverywhereAndAPathLeftWithAPercentSignNamesNothing) {
    const struct {
        const char* path;
        std::string expanded;
        std::vector<std::string> requests;  // what goes to the expansion
        const char* why;
    } cases[] = {
        {"%PICS%\\sea.bmp", "C:\\Users\\ken\\Pictures\\sea.bmp", {"%PICS%"}, "only the reference itself is expanded"},
        {"C:\\%D%\\%D%.bmp", "C:\\X\\X.bmp", {"%D%"}, "every occurrence of the first reference"},
        {"%NOSUCH%\\sea.bmp", std::string(kNoWallpaper), {"%NOSUCH%"}, "an undefined variable leaves its percent signs"},
        {"%A%\\%B%.bmp", std::string(kNoWallpaper), {"%A%"}, "a second reference is not expanded"},
        {"%ODD%\\a.bmp", std::string(kNoWallpaper), {"%ODD%"}, "a value holding a percent sign"},
        {"C:\\100%\\sea.bmp", "C:\\100%\\sea.bmp", {}, "a single percent sign is left alone"},
        {"C:\\壁紙\\海.jpg", "C:\\壁紙\\海.jpg", {}, "no reference"},
        {kNoWallpaper.data(), std::string(kNoWallpaper), {}, "no wallpaper"},
    };
    for (const auto& c : cases) {
        fakes::FakeEnvironment env;
        env.Set("PICS", "C:\\Users\\ken\\Pictures");
        env.Set("D", "X");
        env.Set("A", "C:\\a");
        env.Set("B", "b");
        env.Set("ODD", "C:\\50%off");
        EXPECT_EQ(ExpandWallpaperPath(c.path, env), c.expanded) << c.path << ": " << c.why;
        EXPECT_EQ(env.Requests(), c.requests) << c.path << ": " << c.why;
    }
}

// The screen 15360 x 11520 twips (1024 x 768 pixels), the panel a quarter of it each way.
PanelMetrics QuarterPanel() { return {3840.0f, 2880.0f, {15.0f, 15.0f, 15360.0f, 11520.0f}}; }

TEST(WallSize, EachLayoutSizesThePictureAgainstThePanel) {
    const struct {
        Layout layout;
        TwipsSize natural;
        TwipsSize wall;
        const char* why;
    } cases[] = {
        {Layout::Centre, {12000.0f, 9000.0f}, {3000.0f, 2250.0f}, "the natural size times the panel's share"},
        {Layout::Tile, {960.0f, 960.0f}, {240.0f, 240.0f}, "the natural size times the panel's share"},
        {Layout::Stretch, {1.0f, 99999.0f}, {3840.0f, 2880.0f}, "the panel"},
        {Layout::Fit, {18000.0f, 9000.0f}, {3840.0f, 1920.0f}, "2:1 into 4:3: the width meets the panel first"},
        {Layout::Fit, {9000.0f, 18000.0f}, {1440.0f, 2880.0f}, "1:2: the height does"},
        {Layout::Fit, {480.0f, 360.0f}, {3840.0f, 2880.0f}, "a small picture grows too"},
        {Layout::Fill, {18000.0f, 9000.0f}, {5760.0f, 2880.0f}, "until both sides cover the panel"},
        {Layout::Fill, {9000.0f, 18000.0f}, {3840.0f, 7680.0f}, "until both sides cover the panel"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << static_cast<int>(c.layout) << " " << c.natural.width << " x "
                                          << c.natural.height << ": " << c.why);
        const TwipsSize wall = WallSize(c.layout, c.natural, QuarterPanel());
        EXPECT_FLOAT_EQ(wall.width, c.wall.width);
        EXPECT_FLOAT_EQ(wall.height, c.wall.height);
    }
}

TEST(ShownPixels, SizesBelowHalfAPixelStillTakeOnePixel) {
    const PanelMetrics panel = QuarterPanel();
    EXPECT_EQ(ShownPixels({3.75f, 150.0f}, panel), (platform::PixelSize{1, 10}));
    EXPECT_EQ(ShownPixels({240.0f, 0.0f}, panel), (platform::PixelSize{16, 1}));
    EXPECT_EQ(ShownPixels({3000.0f, 2250.0f}, panel), (platform::PixelSize{200, 150}));
}

TEST(PlausiblePictureSize, RealWallpapersPassHeadersClaimingGiantPicturesAreRefused) {
    const std::pair<platform::PixelSize, bool> cases[] = {
        {{1, 1}, true},      {{3840, 2160}, true}, {{7680, 4320}, true}, {{16384, 8192}, true}, {{32768, 4096}, true},
        {{65535, 65535}, false}, {{32769, 1}, false}, {{1, 32769}, false},
        {{16385, 8192}, false},  // one column past 2^27 pixels
        {{0, 10}, false},        {{10, -1}, false},
    };
    for (const auto& [size, plausible] : cases) {
        EXPECT_EQ(platform::IsPlausiblePictureSize(size), plausible) << size.width << " x " << size.height;
    }
}

}  // namespace
}  // namespace lumbra::desktop
