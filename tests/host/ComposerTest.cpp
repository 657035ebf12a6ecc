// The composition over the panel's element model: the worked figures of a quarter-size panel,
// tiles and their removal, fit and fill, the one-pixel minimum, and the pictures that cannot be
// shown.
#include <gtest/gtest.h>

#include <set>

#include "desktop/Composer.h"
#include "fakes/WallpaperFakes.h"

namespace lumbra::desktop {
namespace {

constexpr std::int32_t kTeal = 0x808000;

class Composition : public ::testing::Test {
protected:
    // Screen 15360 x 11520 twips = 1024 x 768 pixels; panel 3840 x 2880 twips = 256 x 192 pixels.
    Composition() : services{env, files, files, watch, shell}, composer(services, [this] { ++fileChanges; }) {
        panel.Add("imgWall");
        panel.Add("picWall");
    }

    void Compose(const std::string& path, std::int16_t tile, std::int16_t style) {
        WallpaperInfo info;
        info.wallpaper = path;
        info.tileWallpaper = tile;
        info.wallpaperStyle = style;
        info.pattern = "-1";
        info.backColor = kTeal;
        composer.Compose(panel, info, metrics);
    }

    const platform::ImageElement& Wall() { return *panel.Find("imgWall"); }
    const platform::ImageElement& Holder() { return *panel.Find("picWall"); }
    const platform::ImageElement* Tile(std::size_t i) { return panel.Find(TileName(i)); }

    int TilesInScene() {
        int n = 0;
        panel.ForEach([&](const platform::ImageElement& e) {
            if (e.Name().rfind("imgTile", 0) == 0) ++n;
        });
        return n;
    }

    void ExpectColourAlone() {
        EXPECT_EQ(panel.BackColor(), kTeal);
        EXPECT_EQ(Wall().Picture(), nullptr);
        EXPECT_EQ(TilesInScene(), 0);
        EXPECT_FALSE(composer.tilesShown);
        EXPECT_EQ(Holder().Picture(), nullptr);
        EXPECT_FALSE(Holder().Visible());
    }

    fakes::FakeEnvironment env;
    fakes::FakePictureFiles files;
    fakes::FakeFolderWatch watch;
    fakes::FakeShellLauncher shell;
    WallpaperServices services;
    int fileChanges = 0;
    Composer composer;
    platform::Scene panel{15.0f, 15.0f};
    PanelMetrics metrics{3840.0f, 2880.0f, {15.0f, 15.0f, 15360.0f, 11520.0f}};
};

TEST_F(Composition, CentreShowsThePictureAtThePanelsScaleInTheMiddle) {
    files.PutPicture("C:\\w\\photo.bmp", 800, 600);  // 12000 x 9000 twips
    Compose("C:\\w\\photo.bmp", 0, 0);
    EXPECT_EQ(panel.BackColor(), kTeal);
    EXPECT_FLOAT_EQ(Wall().Width(), 3000.0f);
    EXPECT_FLOAT_EQ(Wall().Height(), 2250.0f);
    EXPECT_FLOAT_EQ(Wall().Left(), 420.0f);
    EXPECT_FLOAT_EQ(Wall().Top(), 315.0f);
    EXPECT_TRUE(Wall().Visible());
    EXPECT_TRUE(Wall().Stretch());
    ASSERT_NE(Wall().Picture(), nullptr);
    // The copy is exactly what the panel shows: 200 x 150 pixels.
    EXPECT_EQ(Wall().Picture()->PixelWidth(), 200);
    EXPECT_EQ(Wall().Picture()->PixelHeight(), 150);
    // picWall measured the natural size and holds no picture afterwards.
    EXPECT_FLOAT_EQ(Holder().Width(), 12000.0f);
    EXPECT_FLOAT_EQ(Holder().Height(), 9000.0f);
    EXPECT_EQ(Holder().Picture(), nullptr);
    EXPECT_FALSE(Holder().Visible());
    EXPECT_FALSE(composer.tilesShown);
}

TEST_F(Composition, TileCoversThePanelWithOneMoreColumnAndRowThanFitExactly) {
    files.PutPicture("C:\\w\\tile.bmp", 64, 64);  // 960 x 960 twips
    Compose("C:\\w\\tile.bmp", 1, 0);
    EXPECT_TRUE(composer.tilesShown);
    EXPECT_EQ(composer.tileColumns, 17);
    EXPECT_EQ(composer.tileRows, 13);
    EXPECT_EQ(TilesInScene(), 221);
    EXPECT_EQ(composer.tileImages.size(), 221u);
    ASSERT_NE(Tile(0), nullptr);
    ASSERT_NE(Tile(220), nullptr);
    EXPECT_EQ(Tile(221), nullptr);

    const platform::ImageElement* t37 = Tile(37);  // row 2, column 3
    ASSERT_NE(t37, nullptr);
    EXPECT_FLOAT_EQ(t37->Left(), 720.0f);
    EXPECT_FLOAT_EQ(t37->Top(), 480.0f);
    EXPECT_FLOAT_EQ(t37->Width(), 240.0f);
    EXPECT_FLOAT_EQ(t37->Height(), 240.0f);
    // The extra column starts at the panel's right edge.
    EXPECT_FLOAT_EQ(Tile(16)->Left(), 3840.0f);
    EXPECT_FLOAT_EQ(Tile(12 * 17)->Top(), 2880.0f);

    // imgWall is hidden, sized as the template, not moved.
    EXPECT_FALSE(Wall().Visible());
    EXPECT_FLOAT_EQ(Wall().Width(), 240.0f);
    EXPECT_FLOAT_EQ(Wall().Left(), 0.0f);
}

TEST_F(Composition, EveryTileIsShownStretchedFromTheOneSharedPicture) {
    files.PutPicture("C:\\w\\tile.bmp", 64, 64);
    Compose("C:\\w\\tile.bmp", 1, 0);
    const platform::PictureRef& shared = Wall().Picture();
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->PixelWidth(), 16);
    for (std::size_t i = 0; i < 221; ++i) {
        const platform::ImageElement* t = Tile(i);
        ASSERT_NE(t, nullptr) << i;
        EXPECT_TRUE(t->Visible()) << i;
        EXPECT_TRUE(t->Stretch()) << i;
        EXPECT_EQ(t->Picture(), shared) << i;
        EXPECT_EQ(composer.tileImages[i], t) << i;
    }
    EXPECT_EQ(files.Loads(), 1);
}

TEST_F(Composition, TilesMeetWithoutGapsAtWholeMultiplesOfTheReadBackSize) {
    // 100 px at a quarter: 25 px, 375 twips; 3840 / 375 = 10.24.
    files.PutPicture("C:\\w\\t.bmp", 100, 100);
    Compose("C:\\w\\t.bmp", 1, 0);
    EXPECT_EQ(composer.tileColumns, 11);
    EXPECT_EQ(composer.tileRows, 8);
    std::set<std::pair<int, int>> cells;
    for (std::size_t i = 0; i < composer.tileImages.size(); ++i) {
        const platform::ImageElement* t = composer.tileImages[i];
        EXPECT_EQ(t->PixelLeft(), 25 * static_cast<int>(i % 11));
        EXPECT_EQ(t->PixelTop(), 25 * static_cast<int>(i / 11));
        cells.insert({t->PixelLeft(), t->PixelTop()});
    }
    EXPECT_EQ(cells.size(), 88u);
}

TEST_F(Composition, StretchCoversThePanelFromItsCorner) {
    files.PutPicture("C:\\w\\photo.bmp", 123, 45);
    Compose("C:\\w\\photo.bmp", 0, 2);
    EXPECT_FLOAT_EQ(Wall().Width(), 3840.0f);
    EXPECT_FLOAT_EQ(Wall().Height(), 2880.0f);
    EXPECT_FLOAT_EQ(Wall().Left(), 0.0f);
    EXPECT_FLOAT_EQ(Wall().Top(), 0.0f);
    EXPECT_TRUE(Wall().Visible());
    EXPECT_EQ(Wall().Picture()->PixelWidth(), 256);
    EXPECT_EQ(Wall().Picture()->PixelHeight(), 192);
}

TEST_F(Composition, StyleMinusOneWithTileFlagTwoStretches) {
    files.PutPicture("C:\\w\\photo.bmp", 800, 600);
    Compose("C:\\w\\photo.bmp", 2, -1);
    EXPECT_FLOAT_EQ(Wall().Width(), 3840.0f);
    EXPECT_FLOAT_EQ(Wall().Left(), 0.0f);
    Compose("C:\\w\\photo.bmp", 0, -1);
    EXPECT_FLOAT_EQ(Wall().Width(), 3000.0f);
    EXPECT_FLOAT_EQ(Wall().Left(), 420.0f);
}

TEST_F(Composition, FitShowsTheWholePictureWithColourAround) {
    files.PutPicture("C:\\w\\wide.jpg", 1200, 600);
    Compose("C:\\w\\wide.jpg", 0, 6);
    EXPECT_FLOAT_EQ(Wall().Width(), 3840.0f);
    EXPECT_FLOAT_EQ(Wall().Height(), 1920.0f);
    EXPECT_FLOAT_EQ(Wall().Left(), 0.0f);
    EXPECT_FLOAT_EQ(Wall().Top(), 480.0f);
    EXPECT_EQ(Wall().Picture()->PixelWidth(), 256);
    EXPECT_EQ(Wall().Picture()->PixelHeight(), 128);

    files.PutPicture("C:\\w\\tall.jpg", 600, 1200);
    Compose("C:\\w\\tall.jpg", 0, 6);
    EXPECT_FLOAT_EQ(Wall().Width(), 1440.0f);
    EXPECT_FLOAT_EQ(Wall().Height(), 2880.0f);
    EXPECT_FLOAT_EQ(Wall().Left(), 1200.0f);
    EXPECT_FLOAT_EQ(Wall().Top(), 0.0f);
}

TEST_F(Composition, FillCoversThePanelAndIsCutEvenlyAtBothEdges) {
    files.PutPicture("C:\\w\\wide.jpg", 1200, 600);
    Compose("C:\\w\\wide.jpg", 0, 10);
    EXPECT_FLOAT_EQ(Wall().Width(), 5760.0f);
    EXPECT_FLOAT_EQ(Wall().Height(), 2880.0f);
    EXPECT_FLOAT_EQ(Wall().Left(), -960.0f);
    EXPECT_FLOAT_EQ(Wall().Top(), 0.0f);
    EXPECT_EQ(Wall().Picture()->PixelWidth(), 384);
    EXPECT_EQ(Wall().Picture()->PixelHeight(), 192);

    files.PutPicture("C:\\w\\tall.jpg", 600, 1200);
    Compose("C:\\w\\tall.jpg", 0, 10);
    EXPECT_FLOAT_EQ(Wall().Width(), 3840.0f);
    EXPECT_FLOAT_EQ(Wall().Height(), 7680.0f);
    EXPECT_FLOAT_EQ(Wall().Left(), 0.0f);
    EXPECT_FLOAT_EQ(Wall().Top(), -2400.0f);
}

TEST_F(Composition, SpanOnOneScreenComposesAsFill) {
    files.PutPicture("C:\\w\\wide.jpg", 1200, 600);
    Compose("C:\\w\\wide.jpg", 0, 22);
    EXPECT_FLOAT_EQ(Wall().Width(), 5760.0f);
    EXPECT_FLOAT_EQ(Wall().Left(), -960.0f);
}

TEST_F(Composition, TilingAgainRemovesEveryEarlierTileBeforeCreatingTheNewOnes) {
    files.PutPicture("C:\\w\\small.bmp", 64, 64);
    files.PutPicture("C:\\w\\big.bmp", 128, 128);  // tiles of 480 twips: 9 x 7
    Compose("C:\\w\\small.bmp", 1, 0);
    ASSERT_EQ(TilesInScene(), 221);
    Compose("C:\\w\\big.bmp", 1, 0);
    EXPECT_EQ(composer.tileColumns, 9);
    EXPECT_EQ(composer.tileRows, 7);
    EXPECT_EQ(TilesInScene(), 63);
    EXPECT_EQ(panel.Count(), 2u + 63u);
    EXPECT_EQ(Tile(63), nullptr);
    EXPECT_EQ(Tile(220), nullptr);
    ASSERT_NE(Tile(62), nullptr);
    EXPECT_FLOAT_EQ(Tile(62)->Left(), 3840.0f);
    EXPECT_FLOAT_EQ(Tile(62)->Top(), 2880.0f);
    EXPECT_FLOAT_EQ(Tile(10)->Left(), 480.0f);  // row 1, column 1
    EXPECT_FLOAT_EQ(Tile(10)->Top(), 480.0f);

    // The same tiling once more: the same names, created anew.
    Compose("C:\\w\\big.bmp", 1, 0);
    EXPECT_EQ(TilesInScene(), 63);
    EXPECT_EQ(panel.Count(), 65u);
}

TEST_F(Composition, TilesStandInIndexOrderAboveTheWindowsOwnElements) {
    files.PutPicture("C:\\w\\small.bmp", 64, 64);  // 221 tiles
    files.PutPicture("C:\\w\\big.bmp", 128, 128);   // 63 tiles
    for (const char* path : {"C:\\w\\big.bmp", "C:\\w\\small.bmp", "C:\\w\\big.bmp"}) {
        Compose(path, 1, 0);
        std::vector<std::string> order;
        panel.ForEach([&](const platform::ImageElement& e) { order.push_back(e.Name()); });
        const std::size_t tiles = composer.tileImages.size();
        ASSERT_EQ(order.size(), 2 + tiles) << path;
        EXPECT_EQ(order[0], "imgWall");
        EXPECT_EQ(order[1], "picWall");
        for (std::size_t i = 0; i < tiles; ++i) ASSERT_EQ(order[2 + i], TileName(i)) << path;
    }
}

TEST_F(Composition, SwitchingFromTileToCentreLeavesNoTileAndShowsImgWallCentred) {
    files.PutPicture("C:\\w\\tile.bmp", 64, 64);
    Compose("C:\\w\\tile.bmp", 1, 0);
    Compose("C:\\w\\tile.bmp", 0, 0);
    EXPECT_EQ(TilesInScene(), 0);
    EXPECT_EQ(panel.Count(), 2u);
    EXPECT_FALSE(composer.tilesShown);
    EXPECT_TRUE(Wall().Visible());
    EXPECT_FLOAT_EQ(Wall().Width(), 240.0f);
    EXPECT_FLOAT_EQ(Wall().Left(), 1800.0f);
    EXPECT_FLOAT_EQ(Wall().Top(), 1320.0f);
}

TEST_F(Composition, UnknownModeAfterTilingIsCentredAndShowsNoRemovedTile) {
    files.PutPicture("C:\\w\\tile.bmp", 64, 64);
    Compose("C:\\w\\tile.bmp", 1, 0);
    Compose("C:\\w\\tile.bmp", 0, 3);
    EXPECT_FALSE(composer.tilesShown);
    EXPECT_EQ(TilesInScene(), 0);
    EXPECT_TRUE(Wall().Visible());
    EXPECT_FLOAT_EQ(Wall().Left(), 1800.0f);
    EXPECT_FLOAT_EQ(Wall().Top(), 1320.0f);
    ASSERT_NE(Wall().Picture(), nullptr);
}

TEST_F(Composition, TileSmallerThanAPixelTakesOnePixelInThatDirection) {
    // 1 x 40 pixels at a quarter: 0.25 x 10 pixels.
    files.PutPicture("C:\\w\\line.bmp", 1, 40);
    Compose("C:\\w\\line.bmp", 1, 0);
    EXPECT_FLOAT_EQ(Wall().Width(), 15.0f);
    EXPECT_FLOAT_EQ(Wall().Height(), 150.0f);
    EXPECT_EQ(composer.tileColumns, 3840 / 15 + 1);
    EXPECT_EQ(composer.tileRows, 2880 / 150 + 1);
    EXPECT_FLOAT_EQ(Tile(5)->Left(), 75.0f);
    EXPECT_FLOAT_EQ(Tile(5)->Width(), 15.0f);
    EXPECT_EQ(Wall().Picture()->PixelWidth(), 1);
    EXPECT_EQ(Wall().Picture()->PixelHeight(), 10);
}

TEST_F(Composition, TinyPictureOnATinyPanelTilesInSinglePixels) {
    metrics.width = 300.0f;  // 20 x 10 pixels
    metrics.height = 150.0f;
    files.PutPicture("C:\\w\\dot.png", 16, 16);  // 0.3 pixels at this scale
    Compose("C:\\w\\dot.png", 1, 0);
    EXPECT_EQ(composer.tileColumns, 21);
    EXPECT_EQ(composer.tileRows, 11);
    EXPECT_EQ(Tile(21 * 11 - 1)->PixelLeft(), 20);
    EXPECT_EQ(Tile(21 * 11 - 1)->PixelTop(), 10);
    EXPECT_EQ(Wall().Picture()->PixelWidth(), 1);
}

TEST_F(Composition, CentredPictureSmallerThanAPixelStillShowsOnePixel) {
    files.PutPicture("C:\\w\\dot.png", 2, 2);
    Compose("C:\\w\\dot.png", 0, 0);
    EXPECT_EQ(Wall().PixelWidth(), 1);
    EXPECT_EQ(Wall().PixelHeight(), 1);
    EXPECT_NE(Wall().Picture(), nullptr);
}

TEST_F(Composition, NoWallpaperShowsTheColourAlone) {
    Compose("(なし)", 0, 0);
    ExpectColourAlone();
    EXPECT_TRUE(Wall().Visible());
    EXPECT_EQ(files.Loads(), 0);
}

TEST_F(Composition, NoWallpaperInTileModeMakesNoTiles) {
    Compose("(なし)", 1, 0);
    ExpectColourAlone();
}

TEST_F(Composition, NoWallpaperStretchedLeavesTheEmptyImgWallOverThePanel) {
    Compose("(なし)", 0, 2);
    ExpectColourAlone();
    EXPECT_FLOAT_EQ(Wall().Width(), 3840.0f);
    EXPECT_TRUE(Wall().Visible());
}

TEST_F(Composition, MissingDamagedFolderAndGiantPicturesShowTheColourAlone) {
    files.PutDamaged("C:\\w\\damaged.jpg");
    files.PutFolder("C:\\w\\folder");
    files.PutPicture("C:\\w\\giant.png", 65535, 65535);
    files.PutPicture("C:\\w\\tile-first.bmp", 64, 64);
    for (const char* path : {"C:\\w\\missing.bmp", "C:\\w\\damaged.jpg", "C:\\w\\folder", "C:\\w\\giant.png"}) {
        for (std::int16_t tile : {0, 1}) {
            Compose("C:\\w\\tile-first.bmp", 1, 0);  // tiles standing before
            Compose(path, tile, 0);
            SCOPED_TRACE(path);
            ExpectColourAlone();
            EXPECT_EQ(Holder().PixelWidth(), 0);
        }
    }
}

TEST_F(Composition, GiantPictureIsRefusedBeforeAnythingIsDecodedAndNotRetriedUntilItChanges) {
    files.PutPicture("C:\\w\\giant.png", 65535, 65535);
    Compose("C:\\w\\giant.png", 0, 2);
    Compose("C:\\w\\giant.png", 0, 2);
    ExpectColourAlone();
    EXPECT_EQ(files.Loads(), 1);
    EXPECT_TRUE(files.DecodedSizes().empty());
}

TEST_F(Composition, ExpandedPathIsLoadedAndAnUnresolvedOneShowsTheColourAlone) {
    env.Set("WALLS", "D:\\Walls");
    files.PutPicture("D:\\Walls\\sea.bmp", 800, 600);
    Compose("%WALLS%\\sea.bmp", 0, 0);
    EXPECT_EQ(composer.ShownPath(), "D:\\Walls\\sea.bmp");
    ASSERT_NE(Wall().Picture(), nullptr);
    EXPECT_EQ(files.LoadedPaths().back(), "D:\\Walls\\sea.bmp");

    Compose("%NOWHERE%\\sea.bmp", 0, 0);
    ExpectColourAlone();
    EXPECT_EQ(composer.ShownPath(), "(なし)");
}

TEST_F(Composition, SinglePercentPathIsLoadedAsItStands) {
    files.PutPicture("C:\\100%\\sea.bmp", 800, 600);
    Compose("C:\\100%\\sea.bmp", 0, 0);
    EXPECT_NE(Wall().Picture(), nullptr);
    EXPECT_EQ(files.LoadedPaths().back(), "C:\\100%\\sea.bmp");
}

TEST_F(Composition, ScreenAtAnotherDpiKeepsThePanelsShareOfTheScreen) {
    // 120 dots per inch: 12 twips per pixel; a 1280 x 1024 screen and a panel of a fifth.
    metrics = {3072.0f, 2460.0f, {12.0f, 12.0f, 15360.0f, 12288.0f}};
    panel = platform::Scene(12.0f, 12.0f);
    files.PutPicture("C:\\w\\photo.bmp", 640, 480);  // 7680 x 5760 twips
    Compose("C:\\w\\photo.bmp", 0, 0);
    EXPECT_EQ(Wall().PixelWidth(), 128);
    EXPECT_EQ(Wall().PixelHeight(), 96);
}

}  // namespace
}  // namespace lumbra::desktop
