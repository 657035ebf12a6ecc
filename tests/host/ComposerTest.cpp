// The composition over the panel's element model: the worked figures of a quarter-size panel,
// tiles and their removal, fit and fill, the one-pixel minimum, and the pictures that cannot be
// shown.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "desktop/Composer.h"
#include "fakes/WallpaperFakes.h"

namespace lumbra::desktop {
namespace {

constexpr std::int32_t kTeal = 0x808000;

class Composition : public ::testing::Test, protected fakes::WallpaperWorld {
protected:
    // Screen 15360 x 11520 twips = 1024 x 768 pixels; panel 3840 x 2880 twips = 256 x 192 pixels.
    Composition() {
        panel.Add("imgWall");
        panel.Add("picWall");
    }

    void Compose(const std::string& path, std::int16_t tile, std::int16_t style) {
        composer.Compose(panel, {path, tile, style, "-1", kTeal}, metrics);
    }

    const platform::ImageElement& Wall() { return *panel.Find("imgWall"); }
    const platform::ImageElement& Holder() { return *panel.Find("picWall"); }
    const platform::ImageElement* Tile(std::size_t i) { return panel.Find(TileName(i)); }
    // A missing tile fails the test instead of crashing it.
    const platform::ImageElement& TileAt(std::size_t i) {
        if (const platform::ImageElement* tile = Tile(i)) return *tile;
        ADD_FAILURE() << TileName(i) << " is missing";
        return missing.Add("missing");
    }

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

    Composer composer{services, [] {}};
    platform::Scene panel{15.0f, 15.0f};
    platform::Scene missing;
    PanelMetrics metrics{3840.0f, 2880.0f, {15.0f, 15.0f, 15360.0f, 11520.0f}};
};

TEST_F(Composition, EachLayoutPlacesImgWallAndHandsItACopyOfExactlyTheShownSize) {
    const struct {
        int width, height;  // the picture's pixels
        std::int16_t tile, style;
        float left, top, wallWidth, wallHeight;
        int copyWidth, copyHeight;
        const char* why;
    } cases[] = {
        {800, 600, 0, 0, 420.0f, 315.0f, 3000.0f, 2250.0f, 200, 150, "centre: the panel's share of 12000 x 9000"},
        {800, 600, 0, -1, 420.0f, 315.0f, 3000.0f, 2250.0f, 200, 150, "style -1 takes the tile flag 0: centre"},
        {123, 45, 0, 2, 0.0f, 0.0f, 3840.0f, 2880.0f, 256, 192, "stretch covers the panel from its corner"},
        {800, 600, 2, -1, 0.0f, 0.0f, 3840.0f, 2880.0f, 256, 192, "style -1 takes the tile flag 2: stretch"},
        {1200, 600, 0, 6, 0.0f, 480.0f, 3840.0f, 1920.0f, 256, 128, "fit: the whole picture, colour above and below"},
        {600, 1200, 0, 6, 1200.0f, 0.0f, 1440.0f, 2880.0f, 96, 192, "fit: colour left and right"},
        {1200, 600, 0, 10, -960.0f, 0.0f, 5760.0f, 2880.0f, 384, 192, "fill: cut evenly at both sides"},
        {600, 1200, 0, 10, 0.0f, -2400.0f, 3840.0f, 7680.0f, 256, 512, "fill: cut evenly at top and bottom"},
        {1200, 600, 0, 22, -960.0f, 0.0f, 5760.0f, 2880.0f, 384, 192, "span on one screen composes as fill"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const std::string path = "C:\\w\\" + std::to_string(c.width) + "x" + std::to_string(c.height) + ".jpg";
        files.PutPicture(path, c.width, c.height);
        Compose(path, c.tile, c.style);
        EXPECT_EQ(panel.BackColor(), kTeal);
        EXPECT_FLOAT_EQ(Wall().Left(), c.left);
        EXPECT_FLOAT_EQ(Wall().Top(), c.top);
        EXPECT_FLOAT_EQ(Wall().Width(), c.wallWidth);
        EXPECT_FLOAT_EQ(Wall().Height(), c.wallHeight);
        EXPECT_TRUE(Wall().Visible());
        EXPECT_TRUE(Wall().Stretch());
        ASSERT_NE(Wall().Picture(), nullptr);
        EXPECT_EQ(Wall().Picture()->PixelWidth(), c.copyWidth);
        EXPECT_EQ(Wall().Picture()->PixelHeight(), c.copyHeight);
        EXPECT_FALSE(composer.tilesShown);
        // picWall measured the natural size and holds no picture afterwards.
        EXPECT_FLOAT_EQ(Holder().Width(), c.width * 15.0f);
        EXPECT_FLOAT_EQ(Holder().Height(), c.height * 15.0f);
        EXPECT_EQ(Holder().Picture(), nullptr);
        EXPECT_FALSE(Holder().Visible());
    }
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
    EXPECT_FLOAT_EQ(TileAt(16).Left(), 3840.0f);
    EXPECT_FLOAT_EQ(TileAt(12 * 17).Top(), 2880.0f);

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
    EXPECT_FLOAT_EQ(TileAt(62).Left(), 3840.0f);
    EXPECT_FLOAT_EQ(TileAt(62).Top(), 2880.0f);
    EXPECT_FLOAT_EQ(TileAt(10).Left(), 480.0f);  // row 1, column 1
    EXPECT_FLOAT_EQ(TileAt(10).Top(), 480.0f);

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

TEST_F(Composition, CentreOrAnUnknownModeAfterTilingLeavesNoTileAndShowsImgWallCentred) {
    files.PutPicture("C:\\w\\tile.bmp", 64, 64);
    for (std::int16_t style : {0, 3}) {
        SCOPED_TRACE(style);
        Compose("C:\\w\\tile.bmp", 1, 0);
        Compose("C:\\w\\tile.bmp", 0, style);
        EXPECT_EQ(TilesInScene(), 0);
        EXPECT_EQ(panel.Count(), 2u);
        EXPECT_FALSE(composer.tilesShown);
        EXPECT_TRUE(Wall().Visible());
        EXPECT_FLOAT_EQ(Wall().Width(), 240.0f);
        EXPECT_FLOAT_EQ(Wall().Left(), 1800.0f);
        EXPECT_FLOAT_EQ(Wall().Top(), 1320.0f);
        EXPECT_NE(Wall().Picture(), nullptr);
    }
}

TEST_F(Composition, TileSmallerThanAPixelTakesOnePixelInThatDirection) {
    // 1 x 40 pixels at a quarter: 0.25 x 10 pixels.
    files.PutPicture("C:\\w\\line.bmp", 1, 40);
    Compose("C:\\w\\line.bmp", 1, 0);
    EXPECT_FLOAT_EQ(Wall().Width(), 15.0f);
    EXPECT_FLOAT_EQ(Wall().Height(), 150.0f);
    EXPECT_EQ(composer.tileColumns, 257);  // 3840 / 15 = 256 whole columns, and one more
    EXPECT_EQ(composer.tileRows, 20);      // 2880 / 150 = 19.2
    EXPECT_FLOAT_EQ(TileAt(5).Left(), 75.0f);
    EXPECT_FLOAT_EQ(TileAt(5).Width(), 15.0f);
    ASSERT_NE(Wall().Picture(), nullptr);
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
    EXPECT_EQ(TileAt(21 * 11 - 1).PixelLeft(), 20);
    EXPECT_EQ(TileAt(21 * 11 - 1).PixelTop(), 10);
    ASSERT_NE(Wall().Picture(), nullptr);
    EXPECT_EQ(Wall().Picture()->PixelWidth(), 1);
}

TEST_F(Composition, CentredPictureSmallerThanAPixelStillShowsOnePixel) {
    files.PutPicture("C:\\w\\dot.png", 2, 2);
    Compose("C:\\w\\dot.png", 0, 0);
    EXPECT_EQ(Wall().PixelWidth(), 1);
    EXPECT_EQ(Wall().PixelHeight(), 1);
    EXPECT_NE(Wall().Picture(), nullptr);
}

TEST_F(Composition, NoWallpaperShowsTheColourAloneWithTheEmptyImgWallCentredOrOverThePanel) {
    for (const auto& [tile, style, wallWidth] : {std::tuple{0, 0, 0.0f}, {1, 0, 0.0f}, {0, 2, 3840.0f}}) {
        SCOPED_TRACE(::testing::Message() << "tile " << tile << ", style " << style);
        Compose("(なし)", static_cast<std::int16_t>(tile), static_cast<std::int16_t>(style));
        ExpectColourAlone();
        EXPECT_TRUE(Wall().Visible());
        EXPECT_FLOAT_EQ(Wall().Width(), wallWidth);
    }
    EXPECT_EQ(files.Loads(), 0);
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
