// The stateless rules of the miniature: the mode table, the layouts of the newer styles, the
// expansion of the wallpaper path and the sizes of the shown wallpaper.
#include <gtest/gtest.h>

#include "desktop/Composition.h"
#include "desktop/modMain.h"
#include "fakes/WallpaperFakes.h"

namespace lumbra::desktop {
namespace {

TEST(CompositionMode, StyleMinusOneTakesTheTileFlagAsTheMode) {
    EXPECT_EQ(CompositionMode(-1, 0), 0);
    EXPECT_EQ(CompositionMode(-1, 1), 1);
    EXPECT_EQ(CompositionMode(-1, 2), 2);
    EXPECT_EQ(CompositionMode(-1, -1), -1);
}

TEST(CompositionMode, TileFlagOneTilesWhateverTheStyle) {
    for (std::int16_t style : {0, 1, 2, 6, 10, 22, 7}) EXPECT_EQ(CompositionMode(style, 1), 1) << style;
}

TEST(CompositionMode, OtherwiseTheStyleIsTheMode) {
    EXPECT_EQ(CompositionMode(0, 0), 0);
    EXPECT_EQ(CompositionMode(2, 0), 2);
    EXPECT_EQ(CompositionMode(2, 2), 2);
    EXPECT_EQ(CompositionMode(6, 0), 6);
    EXPECT_EQ(CompositionMode(10, 0), 10);
    EXPECT_EQ(CompositionMode(22, -1), 22);
    EXPECT_EQ(CompositionMode(0, 5), 0);
}

TEST(LayoutOfMode, ClassicAndNewerStylesHaveTheirOwnLayouts) {
    EXPECT_EQ(LayoutOfMode(0), Layout::Centre);
    EXPECT_EQ(LayoutOfMode(1), Layout::Tile);
    EXPECT_EQ(LayoutOfMode(2), Layout::Stretch);
    EXPECT_EQ(LayoutOfMode(6), Layout::Fit);
    EXPECT_EQ(LayoutOfMode(10), Layout::Fill);
}

TEST(LayoutOfMode, SpanOnOneScreenIsFillAndUnknownModesAreCentred) {
    EXPECT_EQ(LayoutOfMode(22), Layout::Fill);
    for (int mode : {-1, 3, 4, 5, 7, 11, 21, 23, 32767, -32768}) EXPECT_EQ(LayoutOfMode(mode), Layout::Centre) << mode;
}

class WallpaperPath : public ::testing::Test {
protected:
    fakes::FakeEnvironment env;
};

TEST_F(WallpaperPath, DefinedVariableIsExpanded) {
    env.Set("PICS", "C:\\Users\\ken\\Pictures");
    EXPECT_EQ(ExpandWallpaperPath("%PICS%\\sea.bmp", env), "C:\\Users\\ken\\Pictures\\sea.bmp");
    // Only the reference itself goes to the expansion.
    ASSERT_EQ(env.Requests().size(), 1u);
    EXPECT_EQ(env.Requests()[0], "%PICS%");
}

TEST_F(WallpaperPath, EveryOccurrenceOfTheFirstReferenceIsReplaced) {
    env.Set("D", "X");
    EXPECT_EQ(ExpandWallpaperPath("C:\\%D%\\%D%.bmp", env), "C:\\X\\X.bmp");
}

TEST_F(WallpaperPath, UndefinedVariableLeavesPercentSignsAndNamesNothing) {
    EXPECT_EQ(ExpandWallpaperPath("%NOSUCH%\\sea.bmp", env), kNoWallpaper);
}

TEST_F(WallpaperPath, SecondReferenceIsNotExpandedSoThePathNamesNothing) {
    env.Set("A", "C:\\a");
    env.Set("B", "b");
    EXPECT_EQ(ExpandWallpaperPath("%A%\\%B%.bmp", env), kNoWallpaper);
    EXPECT_EQ(env.Requests().size(), 1u);
}

TEST_F(WallpaperPath, SinglePercentSignIsLeftAlone) {
    EXPECT_EQ(ExpandWallpaperPath("C:\\100%\\sea.bmp", env), "C:\\100%\\sea.bmp");
    EXPECT_TRUE(env.Requests().empty());
}

TEST_F(WallpaperPath, PathWithoutReferencesIsUnchanged) {
    EXPECT_EQ(ExpandWallpaperPath("C:\\壁紙\\海.jpg", env), "C:\\壁紙\\海.jpg");
    EXPECT_EQ(ExpandWallpaperPath(std::string(kNoWallpaper), env), kNoWallpaper);
    EXPECT_TRUE(env.Requests().empty());
}

TEST_F(WallpaperPath, ValueHoldingAPercentSignNamesNothing) {
    env.Set("ODD", "C:\\50%off");
    EXPECT_EQ(ExpandWallpaperPath("%ODD%\\a.bmp", env), kNoWallpaper);
}

// The screen 15360 x 11520 twips (1024 x 768 pixels), the panel a quarter of it each way.
PanelMetrics QuarterPanel() { return {3840.0f, 2880.0f, {15.0f, 15.0f, 15360.0f, 11520.0f}}; }

TEST(WallSize, CentreAndTileScaleTheNaturalSizeByThePanelsShareOfTheScreen) {
    const TwipsSize centre = WallSize(Layout::Centre, {12000.0f, 9000.0f}, QuarterPanel());
    EXPECT_FLOAT_EQ(centre.width, 3000.0f);
    EXPECT_FLOAT_EQ(centre.height, 2250.0f);
    const TwipsSize tile = WallSize(Layout::Tile, {960.0f, 960.0f}, QuarterPanel());
    EXPECT_FLOAT_EQ(tile.width, 240.0f);
    EXPECT_FLOAT_EQ(tile.height, 240.0f);
}

TEST(WallSize, StretchTakesThePanel) {
    const TwipsSize s = WallSize(Layout::Stretch, {1.0f, 99999.0f}, QuarterPanel());
    EXPECT_FLOAT_EQ(s.width, 3840.0f);
    EXPECT_FLOAT_EQ(s.height, 2880.0f);
}

TEST(WallSize, FitScalesUniformlyUntilOneSideMeetsThePanel) {
    // 2:1 into 4:3: the width meets the panel first.
    const TwipsSize wide = WallSize(Layout::Fit, {18000.0f, 9000.0f}, QuarterPanel());
    EXPECT_FLOAT_EQ(wide.width, 3840.0f);
    EXPECT_FLOAT_EQ(wide.height, 1920.0f);
    // 1:2: the height does.
    const TwipsSize tall = WallSize(Layout::Fit, {9000.0f, 18000.0f}, QuarterPanel());
    EXPECT_FLOAT_EQ(tall.width, 1440.0f);
    EXPECT_FLOAT_EQ(tall.height, 2880.0f);
    // A small picture grows too.
    const TwipsSize small = WallSize(Layout::Fit, {480.0f, 360.0f}, QuarterPanel());
    EXPECT_FLOAT_EQ(small.width, 3840.0f);
    EXPECT_FLOAT_EQ(small.height, 2880.0f);
}

TEST(WallSize, FillScalesUniformlyUntilBothSidesCoverThePanel) {
    const TwipsSize wide = WallSize(Layout::Fill, {18000.0f, 9000.0f}, QuarterPanel());
    EXPECT_FLOAT_EQ(wide.width, 5760.0f);
    EXPECT_FLOAT_EQ(wide.height, 2880.0f);
    const TwipsSize tall = WallSize(Layout::Fill, {9000.0f, 18000.0f}, QuarterPanel());
    EXPECT_FLOAT_EQ(tall.width, 3840.0f);
    EXPECT_FLOAT_EQ(tall.height, 7680.0f);
}

TEST(ShownPixels, SizesBelowHalfAPixelStillTakeOnePixel) {
    const PanelMetrics panel = QuarterPanel();
    EXPECT_EQ(ShownPixels({3.75f, 150.0f}, panel), (platform::PixelSize{1, 10}));
    EXPECT_EQ(ShownPixels({240.0f, 0.0f}, panel), (platform::PixelSize{16, 1}));
    EXPECT_EQ(ShownPixels({3000.0f, 2250.0f}, panel), (platform::PixelSize{200, 150}));
}

TEST(PlausiblePictureSize, HeadersClaimingGiantPicturesAreRefused) {
    EXPECT_FALSE(platform::IsPlausiblePictureSize({65535, 65535}));
    EXPECT_FALSE(platform::IsPlausiblePictureSize({32769, 1}));
    EXPECT_FALSE(platform::IsPlausiblePictureSize({1, 32769}));
    EXPECT_FALSE(platform::IsPlausiblePictureSize({16385, 8192}));  // one column past 2^27 pixels
    EXPECT_FALSE(platform::IsPlausiblePictureSize({0, 10}));
    EXPECT_FALSE(platform::IsPlausiblePictureSize({10, -1}));
}

TEST(PlausiblePictureSize, RealWallpapersPass) {
    EXPECT_TRUE(platform::IsPlausiblePictureSize({1, 1}));
    EXPECT_TRUE(platform::IsPlausiblePictureSize({3840, 2160}));
    EXPECT_TRUE(platform::IsPlausiblePictureSize({7680, 4320}));
    EXPECT_TRUE(platform::IsPlausiblePictureSize({16384, 8192}));
    EXPECT_TRUE(platform::IsPlausiblePictureSize({32768, 4096}));
}

}  // namespace
}  // namespace lumbra::desktop
