// The miniature: the rules of modes, paths and sizes, the composition over the panel's element
// model, and the picture cache under it.
#include <gtest/gtest.h>

#include <memory>

#include "desktop/Composer.h"
#include "fakes/WallpaperFakes.h"

namespace lumbra::desktop {
namespace {

constexpr std::int32_t kTeal = 0x808000;
// A screen of 1024 x 768 pixels and a panel of a quarter of it: 256 x 192 pixels.
constexpr PanelMetrics kQuarter{3840.0f, 2880.0f, {15.0f, 15.0f, 15360.0f, 11520.0f}};

TEST(CompositionRules, ModeLayoutPathAndSize) {
    const struct {
        std::int16_t style, tile;
        int mode;
    } modes[] = {{-1, 0, 0}, {-1, 1, 1}, {-1, 2, 2}, {0, 1, 1}, {22, 1, 1}, {7, 1, 1}, {0, 0, 0}, {2, 2, 2}, {10, 0, 10}, {0, 5, 0}};
    for (const auto& c : modes) EXPECT_EQ(CompositionMode(c.style, c.tile), c.mode) << c.style << ", " << c.tile;
    const std::pair<int, Layout> layouts[] = {{0, Layout::Centre}, {1, Layout::Tile}, {2, Layout::Stretch}, {6, Layout::Fit},
                                              {10, Layout::Fill},  {22, Layout::Fill}, {3, Layout::Centre},  {-1, Layout::Centre}};
    for (const auto& [mode, layout] : layouts) EXPECT_EQ(LayoutOfMode(mode), layout) << mode;

    fakes::FakeEnvironment env;
    env.Set("D", "X");
    env.Set("A", "C:\\a");
    env.Set("ODD", "C:\\50%off");
    const std::pair<const char*, std::string> paths[] = {
        {"C:\\%D%\\%D%.bmp", "C:\\X\\X.bmp"}, {"%NOSUCH%\\a.bmp", "(なし)"}, {"%A%\\%D%.bmp", "(なし)"},
        {"%ODD%\\a.bmp", "(なし)"},           {"C:\\100%\\a.bmp", "C:\\100%\\a.bmp"}, {"(なし)", "(なし)"}};
    for (const auto& [path, expanded] : paths) EXPECT_EQ(ExpandWallpaperPath(path, env), expanded) << path;

    const struct {
        Layout layout;
        TwipsSize natural, wall;
    } sizes[] = {
        {Layout::Centre, {12000, 9000}, {3000, 2250}}, {Layout::Tile, {960, 960}, {240, 240}},
        {Layout::Stretch, {1, 99999}, {3840, 2880}},   {Layout::Fit, {18000, 9000}, {3840, 1920}},
        {Layout::Fit, {9000, 18000}, {1440, 2880}},    {Layout::Fit, {480, 360}, {3840, 2880}},
        {Layout::Fill, {18000, 9000}, {5760, 2880}},   {Layout::Fill, {9000, 18000}, {3840, 7680}},
        {Layout::Fill, {0, 9000}, {0, 0}},
    };
    for (const auto& c : sizes) {
        const TwipsSize wall = WallSize(c.layout, c.natural, kQuarter);
        EXPECT_FLOAT_EQ(wall.width, c.wall.width) << static_cast<int>(c.layout) << " " << c.natural.width;
        EXPECT_FLOAT_EQ(wall.height, c.wall.height) << static_cast<int>(c.layout) << " " << c.natural.width;
    }
    EXPECT_EQ(ShownPixels({3.75f, 150.0f}, kQuarter), (platform::PixelSize{1, 10}));
    EXPECT_EQ(ShownPixels({3000.0f, 0.0f}, kQuarter), (platform::PixelSize{200, 1}));
}

class Composition : public ::testing::Test, protected fakes::WallpaperWorld {
protected:
    Composition() {
        panel.Add("imgWall");
        panel.Add("picWall");
    }
    void Compose(const std::string& path, std::int16_t tile = 0, std::int16_t style = 0) {
        composer.Compose(panel, {path, tile, style, "-1", kTeal}, metrics);
    }
    const platform::ImageElement& Wall() { return *panel.Find("imgWall"); }
    const platform::ImageElement& Holder() { return *panel.Find("picWall"); }
    const fakes::FakePicture* Shown() { return dynamic_cast<const fakes::FakePicture*>(Wall().Picture().get()); }
    int Tiles() {
        int n = 0;
        panel.ForEach([&](const platform::ImageElement& e) { n += e.Name().rfind("imgTile", 0) == 0; });
        return n;
    }
    // A missing tile fails the test instead of crashing it.
    const platform::ImageElement& Tile(std::size_t i) {
        if (const platform::ImageElement* tile = panel.Find(TileName(i))) return *tile;
        ADD_FAILURE() << TileName(i) << " is missing";
        return *panel.Find("picWall");
    }
    void ExpectColourAlone() {
        EXPECT_EQ(panel.BackColor(), kTeal);
        EXPECT_EQ(Wall().Picture(), nullptr);
        EXPECT_EQ(Tiles(), 0);
        EXPECT_FALSE(composer.tilesShown);
        EXPECT_EQ(Holder().PixelWidth(), 0);
    }

    Composer composer{services, [] {}};
    platform::Scene panel{15.0f, 15.0f};
    PanelMetrics metrics = kQuarter;
};

TEST_F(Composition, EachLayoutPlacesImgWallWithACopyOfExactlyTheShownSize) {
    const struct {
        int width, height;
        std::int16_t tile, style;
        float left, top, wallWidth, wallHeight;
        int copyWidth, copyHeight;
    } cases[] = {
        {800, 600, 0, 0, 420, 315, 3000, 2250, 200, 150},      // centre: the worked figures
        {123, 45, 0, 2, 0, 0, 3840, 2880, 256, 192},           // stretch
        {1200, 600, 0, 6, 0, 480, 3840, 1920, 256, 128},       // fit
        {600, 1200, 0, 6, 1200, 0, 1440, 2880, 96, 192},       // fit
        {1200, 600, 0, 10, -960, 0, 5760, 2880, 384, 192},     // fill, cut at both sides
        {600, 1200, 0, 22, 0, -2400, 3840, 7680, 256, 512},    // span on one screen is fill
        {2, 2, 0, 0, 1920, 1440, 15, 15, 1, 1},                // one pixel at the least
    };
    for (const auto& c : cases) {
        const std::string path = "C:\\w\\" + std::to_string(c.width) + "-" + std::to_string(c.style) + ".jpg";
        files.PutPicture(path, c.width, c.height);
        Compose(path, c.tile, c.style);
        SCOPED_TRACE(path);
        EXPECT_EQ(panel.BackColor(), kTeal);
        EXPECT_FLOAT_EQ(Wall().Left(), c.left);
        EXPECT_FLOAT_EQ(Wall().Top(), c.top);
        EXPECT_FLOAT_EQ(Wall().Width(), c.wallWidth);
        EXPECT_FLOAT_EQ(Wall().Height(), c.wallHeight);
        EXPECT_TRUE(Wall().Visible());
        EXPECT_TRUE(Wall().Stretch());
        ASSERT_NE(Shown(), nullptr);
        EXPECT_EQ(Shown()->PixelWidth(), c.copyWidth);
        EXPECT_EQ(Shown()->PixelHeight(), c.copyHeight);
        // picWall measured the natural size and holds no picture afterwards.
        EXPECT_FLOAT_EQ(Holder().Width(), c.width * 15.0f);
        EXPECT_FLOAT_EQ(Holder().Height(), c.height * 15.0f);
        EXPECT_EQ(Holder().Picture(), nullptr);
        EXPECT_FALSE(Holder().Visible());
    }
}

TEST_F(Composition, TilesCoverThePanelWithOneMoreColumnAndRowAndGoWhenTheModeChanges) {
    files.PutPicture("C:\\w\\tile.bmp", 64, 64);  // 960 x 960 twips: tiles of 240
    files.PutPicture("C:\\w\\big.bmp", 128, 128);  // tiles of 480
    Compose("C:\\w\\tile.bmp");                    // centred first: imgWall shown
    Compose("C:\\w\\tile.bmp", 1, 0);
    EXPECT_TRUE(composer.tilesShown);
    EXPECT_EQ(composer.tileColumns, 17);
    EXPECT_EQ(composer.tileRows, 13);
    EXPECT_EQ(Tiles(), 221);
    EXPECT_FLOAT_EQ(Tile(37).Left(), 720.0f);  // row 2, column 3
    EXPECT_FLOAT_EQ(Tile(37).Top(), 480.0f);
    EXPECT_FLOAT_EQ(Tile(37).Width(), 240.0f);
    EXPECT_FLOAT_EQ(Tile(16).Left(), 3840.0f);  // the extra column starts at the panel's edge
    EXPECT_FLOAT_EQ(Tile(220).Top(), 2880.0f);
    for (std::size_t i : {0u, 220u}) {
        EXPECT_TRUE(Tile(i).Visible());
        EXPECT_TRUE(Tile(i).Stretch());
        EXPECT_EQ(Tile(i).Picture(), Wall().Picture());  // the one shared copy
    }
    EXPECT_EQ(Shown()->PixelWidth(), 16);
    EXPECT_FALSE(Wall().Visible());  // hidden, the size template, not moved
    EXPECT_FLOAT_EQ(Wall().Width(), 240.0f);

    Compose("C:\\w\\big.bmp", 1, 0);
    EXPECT_EQ(Tiles(), 63);
    EXPECT_EQ(panel.Find(TileName(63)), nullptr);
    EXPECT_FLOAT_EQ(Tile(10).Left(), 480.0f);
    Compose("C:\\w\\big.bmp", 0, 0);
    EXPECT_EQ(Tiles(), 0);
    EXPECT_TRUE(Wall().Visible());
    EXPECT_FLOAT_EQ(Wall().Left(), 1680.0f);
}

TEST_F(Composition, TilesSmallerThanAPixelTakeOnePixelAndMeetWithoutGaps) {
    files.PutPicture("C:\\w\\line.bmp", 1, 40);  // 0.25 x 10 pixels at this scale
    Compose("C:\\w\\line.bmp", 1, 0);
    EXPECT_EQ(composer.tileColumns, 257);
    EXPECT_EQ(composer.tileRows, 20);
    EXPECT_EQ(Tile(5).PixelLeft(), 5);
    EXPECT_EQ(Tile(5 + 257 * 3).PixelTop(), 30);
    EXPECT_EQ(Tile(5).PixelWidth(), 1);
    EXPECT_EQ(Shown()->PixelWidth(), 1);
    EXPECT_EQ(Shown()->PixelHeight(), 10);
}

TEST_F(Composition, NoMissingDamagedOrGiantPictureShowsTheColourAloneAndAnExpandedPathIsRead) {
    files.PutDamaged("C:\\w\\damaged.jpg");
    files.PutPicture("C:\\w\\giant.png", 65535, 65535);
    files.PutPicture("C:\\w\\tile.bmp", 64, 64);
    for (const char* path : {"(なし)", "%NOWHERE%\\a.bmp", "C:\\w\\missing.bmp", "C:\\w\\damaged.jpg", "C:\\w\\giant.png"}) {
        for (std::int16_t style : {0, 2}) {
            Compose("C:\\w\\tile.bmp", 1, 0);  // tiles standing before
            Compose(path, 0, style);
            SCOPED_TRACE(path);
            ExpectColourAlone();
            EXPECT_TRUE(Wall().Visible());
            EXPECT_FLOAT_EQ(Wall().Width(), style == 2 ? 3840.0f : 0.0f);
        }
    }
    // Only the tile was decoded; neither the damaged nor the giant file.
    EXPECT_EQ(files.decodedSizes, std::vector<platform::PixelSize>(10, {24, 24}));

    env.Set("WALLS", "D:\\Walls");
    files.PutPicture("D:\\Walls\\sea.bmp", 800, 600);
    Compose("%WALLS%\\sea.bmp");
    EXPECT_EQ(composer.ShownPath(), "D:\\Walls\\sea.bmp");
    ASSERT_NE(Shown(), nullptr);
    EXPECT_EQ(Shown()->Source(), "D:\\Walls\\sea.bmp");
}

TEST_F(Composition, AnotherDpiKeepsThePanelsShareOfTheScreen) {
    metrics = {3072.0f, 2460.0f, {12.0f, 12.0f, 15360.0f, 12288.0f}};  // 120 dpi, 1280 x 1024
    panel = platform::Scene(12.0f, 12.0f);
    files.PutPicture("C:\\w\\photo.bmp", 640, 480);
    Compose("C:\\w\\photo.bmp");
    EXPECT_EQ(Wall().PixelWidth(), 128);
    EXPECT_EQ(Wall().PixelHeight(), 96);
}

// The picture cache: a 1024 x 768 screen and a panel of a fifth of it, 205 x 154 pixels.
class PictureCaching : public Composition {
protected:
    PictureCaching() { metrics = {3075.0f, 2310.0f, {15.0f, 15.0f, 15360.0f, 11520.0f}}; }
    void Zoom(float panelWidth) {
        metrics.height = metrics.height * panelWidth / metrics.width;
        metrics.width = panelWidth;
    }
};

TEST_F(PictureCaching, EachFileVersionIsDecodedOnceWithHeadroomAndScaledInMemory) {
    files.PutPicture("C:\\w\\4k.jpg", 3840, 2160);
    Compose("C:\\w\\4k.jpg", 0, 10);  // fill: 274 x 154, the master 411 x 231
    const platform::PictureRef first = Wall().Picture();
    for (int i = 0; i < 5; ++i) Compose("C:\\w\\4k.jpg", 0, 10);
    EXPECT_EQ(Wall().Picture(), first);
    EXPECT_EQ(files.decodedSizes, (std::vector<platform::PixelSize>{{411, 231}}));
    EXPECT_EQ(files.scales, 1);
    EXPECT_EQ(composer.Cache().Decodes(), 1);

    Compose("C:\\w\\4k.jpg", 0, 6);  // fit: 205 x 115, from the master
    Zoom(3450.0f);                   // stretched over 230 x 173, within the master
    Compose("C:\\w\\4k.jpg", 0, 2);
    EXPECT_EQ(Shown()->PixelWidth(), 230);
    EXPECT_EQ(files.loads, 1);
    Compose("C:\\w\\4k.jpg", 0, 0);  // centre: 863 x 486 is more than the master holds
    EXPECT_EQ(files.loads, 2);
    EXPECT_EQ(Shown()->PixelWidth(), 863);

    files.Touch("C:\\w\\4k.jpg");  // rewritten in place
    Compose("C:\\w\\4k.jpg", 0, 0);
    EXPECT_EQ(files.loads, 3);
    files.PutPicture("C:\\w\\other.jpg", 800, 600);
    std::weak_ptr<const platform::Picture> old = Wall().Picture();
    Compose("C:\\w\\other.jpg");
    EXPECT_TRUE(old.expired());  // one file at a time
    old = Wall().Picture();
    Compose("(なし)");
    EXPECT_TRUE(old.expired());
}

TEST_F(PictureCaching, AMasterOfExactlyTheShownSizeIsShownItselfAndASmallPictureIsDecodedWhole) {
    files.PutPicture("C:\\w\\small.png", 40, 30);
    Compose("C:\\w\\small.png", 0, 2);
    EXPECT_EQ(files.decodedSizes.back(), (platform::PixelSize{40, 30}));
    EXPECT_EQ(Shown()->PixelWidth(), 205);
    Zoom(9000.0f);
    Compose("C:\\w\\small.png", 0, 2);
    EXPECT_EQ(files.loads, 1);
    EXPECT_EQ(Shown()->PixelWidth(), 600);

    files.PutPicture("C:\\w\\exact.png", 16, 16);  // tiled at a fifth: 3 x 3, the whole picture 16 x 16
    Zoom(15360.0f);                                // the panel as large as the screen: 16 x 16
    Compose("C:\\w\\exact.png", 1, 0);
    EXPECT_EQ(files.scales, 2);
    EXPECT_EQ(Shown()->PixelWidth(), 16);
}

TEST_F(PictureCaching, FilesThatCannotBeShownAreNotRetriedUntilTheyChange) {
    Compose("C:\\w\\later.jpg");
    EXPECT_EQ(files.loads, 0);  // a missing file is not opened
    files.PutDamaged("C:\\w\\later.jpg");
    Compose("C:\\w\\later.jpg");
    Compose("C:\\w\\later.jpg");
    EXPECT_EQ(files.loads, 1);
    files.PutPicture("C:\\w\\later.jpg", 800, 600);  // the writer finished
    Compose("C:\\w\\later.jpg");
    EXPECT_NE(Shown(), nullptr);

}

TEST(PictureCacheStatus, AFailedDecodeOrScalingGivesNoPictureAndTheReasonWhyNot) {
    fakes::FakePictureFiles files;
    PictureCache cache(files, files);
    const auto square = [](int side) { return [side](platform::PixelSize) { return platform::PixelSize{side, side}; }; };
    files.PutPicture("C:\\w\\a.png", 400, 400);
    EXPECT_EQ(cache.Get("C:\\w\\a.png", square(100)).status, platform::PictureStatus::Ok);
    files.failLoads = true;  // decoded again for a size beyond the master (150), and it fails
    PictureCache::Result result = cache.Get("C:\\w\\a.png", square(300));
    EXPECT_EQ(result.status, platform::PictureStatus::NotAPicture);
    EXPECT_EQ(result.picture, nullptr);
    files.failLoads = false;
    files.failScales = true;
    files.Touch("C:\\w\\a.png");
    result = cache.Get("C:\\w\\a.png", square(300));
    EXPECT_EQ(result.status, platform::PictureStatus::NotAPicture);
    EXPECT_EQ(result.picture, nullptr);
    EXPECT_EQ(cache.Get("C:\\w\\a.png", square(0)).status, platform::PictureStatus::Refused);
    EXPECT_EQ(cache.Get("C:\\w\\b.png", square(10)).status, platform::PictureStatus::Unreadable);
}

TEST(CopySizes, CopiesAreCappedWithTheirProportionsAndTheMasterCoversTheShownSize) {
    EXPECT_EQ(CappedCopySize({1000, 500}), (platform::PixelSize{1000, 500}));
    EXPECT_EQ(CappedCopySize({0, 500}), (platform::PixelSize{}));
    const platform::PixelSize capped = CappedCopySize({100000, 400});
    EXPECT_LE(static_cast<std::uint64_t>(capped.width) * capped.height, PictureCache::kMaxCopyPixels);
    EXPECT_NEAR(static_cast<double>(capped.width) / capped.height, 250.0, 1.0);
    EXPECT_EQ(CappedCopySize({100000000, 1}), (platform::PixelSize{16777216, 1}));
    EXPECT_EQ(CappedCopySize({1, 100000000}), (platform::PixelSize{1, 16777216}));
    EXPECT_EQ(MasterSize({200, 100}, {4000, 2000}), (platform::PixelSize{300, 150}));
    EXPECT_EQ(MasterSize({200, 100}, {250, 125}), (platform::PixelSize{250, 125}));
    EXPECT_EQ(MasterSize({500, 100}, {250, 125}), (platform::PixelSize{250, 125}));
    EXPECT_EQ(MasterSize({200, 200}, {4000, 1000}), (platform::PixelSize{1200, 300}));
    EXPECT_EQ(MasterSize({0, 200}, {4000, 1000}), (platform::PixelSize{}));
}

}  // namespace
}  // namespace lumbra::desktop
