// The miniature: the rules of modes and paths, the composition over the panel's element model
// with its grid of tiles, the picture cache under it, and the folder watch that follows the file.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <sstream>

#include "desktop/Composer.h"
#include "fakes/WallpaperFakes.h"

namespace lumbra::desktop {
namespace {

constexpr std::int32_t kTeal = 0x808000;

// An element as "left,top widthxheight", " shown" when visible; a picture as "widthxheight".
std::string Describe(const platform::ImageElement& e) {
    std::ostringstream out;
    out << e.Left() << ',' << e.Top() << ' ' << e.Width() << 'x' << e.Height() << (e.Visible() ? " shown" : "");
    return out.str();
}
std::string Describe(const platform::PictureRef& p) {
    return p ? std::to_string(p->PixelWidth()) + "x" + std::to_string(p->PixelHeight()) : "none";
}

TEST(CompositionRules, ModesLayoutsAndTheExpansionOfThePath) {
    const struct {
        std::int16_t style, tile;
        int mode;
    } modes[] = {{-1, 0, 0}, {-1, 2, 2}, {0, 1, 1}, {22, 1, 1}, {7, 1, 1}, {0, 0, 0}, {2, 2, 2}, {10, 0, 10}, {0, 5, 0}};
    for (const auto& c : modes) EXPECT_EQ(CompositionMode(c.style, c.tile), c.mode) << c.style << ", " << c.tile;
    const std::pair<int, Layout> layouts[] = {{0, Layout::Centre}, {1, Layout::Tile}, {2, Layout::Stretch}, {6, Layout::Fit},
                                              {10, Layout::Fill},  {22, Layout::Fill}, {3, Layout::Centre},  {-1, Layout::Centre}};
    for (const auto& [mode, layout] : layouts) EXPECT_EQ(LayoutOfMode(mode), layout) << mode;
    fakes::FakeEnvironment env;
    env.Set("D", "X");
    env.Set("ODD", "C:\\50%off");
    const std::pair<const char*, std::string> paths[] = {
        {"C:\\%D%\\%D%.bmp", "C:\\X\\X.bmp"}, {"%NOSUCH%\\a.bmp", "(なし)"}, {"%D%\\%D2%.bmp", "(なし)"},
        {"%ODD%\\a.bmp", "(なし)"},           {"C:\\100%\\a.bmp", "C:\\100%\\a.bmp"}, {"(なし)", "(なし)"},
        {"a%D%b%D%", "aXbX"}};
    for (const auto& [path, expanded] : paths) EXPECT_EQ(ExpandWallpaperPath(path, env), expanded) << path;
    const PanelMetrics panel{3840.0f, 2880.0f, {15.0f, 15.0f, 15360.0f, 11520.0f}};
    EXPECT_FLOAT_EQ(WallSize(Layout::Fill, {0.0f, 9000.0f}, panel).width, 0.0f);  // no picture to fill with
}

class Composition : public ::testing::Test, protected fakes::WallpaperWorld {
protected:
    Composition() {
        panel.Add("imgWall");
        panel.Add("picWall");
    }
    void Compose(const std::string& path, std::int16_t tile = 0, std::int16_t style = 0) {
        current = path;
        composer.Compose(panel, {path, tile, style, "-1", kTeal}, metrics);
    }
    const platform::ImageElement& Wall() { return *panel.Find("imgWall"); }
    std::string Source() {
        const auto* shown = dynamic_cast<const fakes::FakePicture*>(Wall().Picture().get());
        return shown ? shown->source : "none";
    }
    std::string Tile(std::size_t i) {
        const std::optional<platform::ImageElement> tile = panel.Tiles().Find("imgTile" + std::to_string(i));
        return tile ? Describe(*tile) + (tile->Picture() == Wall().Picture() ? "" : " another picture") : "none";
    }

    std::string current;  // the wallpaper composed last, composed again when its file changes
    int recompositions = 0;
    Composer composer{services, [this] {
                          ++recompositions;
                          Compose(current);
                      }};
    platform::Scene panel{15.0f, 15.0f};
    // A screen of 1024 x 768 pixels and a panel of a quarter of it: 256 x 192 pixels.
    PanelMetrics metrics{3840.0f, 2880.0f, {15.0f, 15.0f, 15360.0f, 11520.0f}};
};

TEST_F(Composition, EachLayoutPlacesImgWallWithACopyOfExactlyTheShownSize) {
    const struct {
        int width, height;
        std::int16_t tile, style;
        const char* wall;
        const char* copy;
    } cases[] = {
        {800, 600, 0, 0, "420,315 3000x2250 shown", "200x150"},  // centre: the worked figures
        {123, 45, 0, 2, "0,0 3840x2880 shown", "256x192"},       // stretch
        {1200, 600, 0, 6, "0,480 3840x1920 shown", "256x128"},   // fit
        {600, 1200, 0, 6, "1200,0 1440x2880 shown", "96x192"},
        {1200, 600, 0, 10, "-960,0 5760x2880 shown", "384x192"},  // fill, cut at both sides
        {600, 1200, 0, 22, "0,-2400 3840x7680 shown", "256x512"},  // span on one screen is fill
        {40, 1, 0, 0, "1845,1440 150x15 shown", "10x1"},          // one pixel at the least
    };
    for (const auto& c : cases) {
        const std::string path = "C:\\w\\" + std::to_string(c.width) + "-" + std::to_string(c.style) + ".jpg";
        files.PutPicture(path, c.width, c.height);
        Compose(path, c.tile, c.style);
        EXPECT_EQ(Describe(Wall()), c.wall) << path;
        EXPECT_EQ(Describe(Wall().Picture()), c.copy) << path;
        EXPECT_TRUE(Wall().Stretch()) << path;
        // picWall measured the natural size and holds no picture afterwards.
        const platform::ImageElement& holder = *panel.Find("picWall");
        EXPECT_EQ(Describe(holder), "0,0 " + std::to_string(c.width * 15) + "x" + std::to_string(c.height * 15)) << path;
        EXPECT_EQ(holder.Picture(), nullptr) << path;
    }
}

TEST_F(Composition, TilesAreOneGridWithOneMoreColumnAndRowThatGoesWhenTheModeChanges) {
    files.PutPicture("C:\\w\\tile.bmp", 64, 64);  // 960 x 960 twips: tiles of 240
    files.PutPicture("C:\\w\\line.bmp", 1, 40);    // 0.25 x 10 pixels at this scale
    Compose("C:\\w\\tile.bmp");                    // centred first: imgWall shown
    Compose("C:\\w\\tile.bmp", 1, 0);
    EXPECT_EQ(panel.Tiles().Count(), 221u);  // 17 columns, 13 rows
    EXPECT_EQ(Tile(37), "720,480 240x240 shown");  // row 2, column 3
    EXPECT_EQ(Tile(16), "3840,0 240x240 shown");   // the extra column starts at the panel's edge
    EXPECT_EQ(Tile(220), "3840,2880 240x240 shown");
    EXPECT_EQ(Describe(Wall()), "1800,1320 240x240");  // hidden: the size template, not moved
    EXPECT_EQ(Describe(Wall().Picture()), "16x16");

    Compose("C:\\w\\line.bmp", 1, 0);  // 257 columns of one pixel
    EXPECT_EQ(Tile(5 + 257 * 3), "75,450 15x150 shown");
    EXPECT_EQ(Describe(Wall().Picture()), "1x10");
    const std::weak_ptr<const platform::Picture> line = Wall().Picture();
    Compose("C:\\w\\tile.bmp", 0, 0);
    EXPECT_TRUE(line.expired());
    EXPECT_EQ(panel.Tiles().Count(), 0u);
    EXPECT_EQ(Describe(Wall()), "1800,1320 240x240 shown");
}

TEST_F(Composition, NoMissingDamagedOrGiantPictureShowsTheColourAlone) {
    files.PutDamaged("C:\\w\\damaged.jpg");
    files.PutPicture("C:\\w\\giant.png", 65535, 65535);
    files.PutPicture("C:\\w\\tile.bmp", 64, 64);
    for (const char* path : {"(なし)", "%NOWHERE%\\a.bmp", "C:\\w\\missing.bmp", "C:\\w\\damaged.jpg", "C:\\w\\giant.png"}) {
        for (std::int16_t style : {0, 2}) {
            Compose("C:\\w\\tile.bmp", 1, 0);  // tiles standing before
            Compose(path, 0, style);
            EXPECT_EQ(Describe(Wall()), style == 2 ? "0,0 3840x2880 shown" : "1920,1440 0x0 shown") << path;
            EXPECT_EQ(Wall().Picture(), nullptr) << path;
            EXPECT_EQ(Describe(*panel.Find("picWall")), "0,0 0x0") << path;
            EXPECT_EQ(panel.BackColor(), kTeal);
        }
    }
    // Only the tile was decoded; neither the damaged nor the giant file.
    EXPECT_EQ(files.decodedSizes, std::vector<platform::PixelSize>(10, {24, 24}));
}

TEST_F(Composition, AWallpaperFileThatIsGoneShowsWindowsOwnCopyInTheSameLayout) {
    env.Set("APPDATA", "C:\\Users\\ken\\AppData\\Roaming");
    env.Set("WALLS", "D:\\gone");
    const std::string copy = "C:\\Users\\ken\\AppData\\Roaming\\Microsoft\\Windows\\Themes\\TranscodedWallpaper";
    files.PutPicture(copy, 800, 600);
    Compose("%WALLS%\\sea.jpg");
    EXPECT_EQ(Source(), copy);
    EXPECT_EQ(watch.opened.back(), "D:\\gone\\sea.jpg");  // the watch follows the expanded path, not the copy
    files.PutPicture("D:\\gone\\sea.jpg", 400, 300);  // back: the file itself
    Compose("%WALLS%\\sea.jpg");
    EXPECT_EQ(Source(), "D:\\gone\\sea.jpg");
    files.PutDamaged("D:\\gone\\sea.jpg");  // there, but no picture: the colour, not the copy
    for (const char* path : {"D:\\gone\\sea.jpg", "(なし)", "%NOWHERE%\\sea.jpg"}) {
        Compose(path);
        EXPECT_EQ(Source(), "none") << path;
    }
}

// The watch never holds a composition up: set up once per path, set up again after it broke, let
// go while its drive is removed and taken up again when the drive is back; a change of the shown
// file composes again.
class WallpaperWatch : public Composition {
protected:
    // Words: "a" or "b" composes that wallpaper, "none" none; "fail", "slow" and "ok" make the
    // folders opened from then on fail, answer only later or open at once; "touch" rewrites the
    // shown file; the rest are the events of the watch.
    void Run(const std::string& script) {
        using platform::FolderEvent;
        std::istringstream words(script);
        const std::map<std::string, FolderEvent> events{
            {"Opened", FolderEvent::Opened}, {"OpenFailed", FolderEvent::OpenFailed}, {"Changed", FolderEvent::Changed},
            {"Broken", FolderEvent::Broken}, {"Leaving", FolderEvent::VolumeLeaving}, {"Back", FolderEvent::VolumeBack}};
        for (std::string word; words >> word;) {
            if (word == "a" || word == "b") Compose("C:\\" + word + "\\wall.jpg");
            if (word == "none") Compose("(なし)");
            if (word == "fail") watch.answer = FolderEvent::OpenFailed;
            if (word == "slow") watch.answer.reset();
            if (word == "ok") watch.answer = FolderEvent::Opened;
            if (word == "touch") files.Touch("C:\\a\\wall.jpg");
            if (events.contains(word)) watch.Send(events.at(word));
        }
    }
};

TEST_F(WallpaperWatch, FoldersAreOpenedOncePerPathAgainAfterABreakAndWhenTheirDriveIsBack) {
    const struct {
        const char* script;
        const char* opened;  // the folders' files opened, in order
        bool open, watching;
        int recompositions;
    } cases[] = {
        {"a a a", "a", true, true, 0}, {"fail a a a", "a", true, false, 0},  // a share that is gone is asked once
        {"fail a a b", "ab", true, false, 0}, {"slow a a Opened", "a", true, true, 0},  // no composition waits
        {"a Broken a a", "aa", true, true, 0},  // set up again at the next composition, once
        {"a Leaving", "a", false, false, 0}, {"a Leaving a Back", "aa", true, true, 0},  // the drive let go, taken up again
        {"fail a Back", "aa", true, false, 0}, {"a Back Opened", "a", true, true, 0},
        {"a none Back Broken Changed", "a", false, false, 0}, {"a touch Changed Changed", "a", true, true, 1},
        {"a touch Broken", "aa", true, true, 1}, {"fail a touch ok Back", "aa", true, true, 1},  // back with the file
    };
    for (const auto& c : cases) {
        watch.answer = platform::FolderEvent::Opened;
        watch.opened.clear();
        recompositions = 0;
        files.PutPicture("C:\\a\\wall.jpg", 800, 600);
        Compose("(なし)");  // closes what the last case left open
        Run(c.script);
        std::string opened;
        for (const std::string& file : watch.opened) opened += file.substr(3, 1);
        EXPECT_EQ(opened, c.opened) << c.script;
        EXPECT_EQ(watch.open, c.open) << c.script;
        EXPECT_EQ(composer.Watching(), c.watching) << c.script;
        EXPECT_EQ(recompositions, c.recompositions) << c.script;
    }
}

TEST_F(WallpaperWatch, TheWatchEndsWithTheComposer) {
    fakes::WallpaperWorld world;
    std::optional<Composer> other(std::in_place, world.services, [] {});
    other->Compose(panel, {"C:\\a\\wall.jpg", 0, 0, "-1", 0}, metrics);
    ASSERT_TRUE(world.watch.open);
    other.reset();
    EXPECT_FALSE(world.watch.open);
    EXPECT_FALSE(world.watch.listener);
}

TEST(Scene, TilesAreNamedAndPlacedOnDemandAndElementsKeepTheirNames) {
    platform::Scene scene(15.0f, 15.0f);
    platform::TileGrid& grid = scene.Tiles();
    grid.prefix = "imgTile";
    grid.cell.SetWidth(240.0f);
    grid.cell.SetHeight(100.0f);  // 6.7 pixels: taken as 7
    grid.columns = 17;
    grid.rows = 13;
    EXPECT_EQ(grid.Find("imgTile37")->Name(), "imgTile37");
    EXPECT_EQ(Describe(*grid.Find("imgTile37")), "720,210 240x105");
    EXPECT_EQ(Describe(*grid.Tile(220)), "3840,1260 240x105");
    EXPECT_EQ(Describe(*grid.Find("imgTile0")), "0,0 240x105");
    for (const char* none : {"imgTile221", "imgTile037", "imgTile07", "imgTile", "imgTil3", "imgTile-1", "imgTile3x", "Tile3"}) {
        EXPECT_FALSE(grid.Find(none)) << none;
    }
    grid.rows = 1;
    EXPECT_EQ(grid.Count(), 17u);
    grid.rows = -1;
    EXPECT_EQ(grid.Count(), 0u);

    scene.Add("imgWall").SetVisible(true);
    scene.Add("picWall");
    EXPECT_FALSE(scene.Add("imgWall").Visible());  // a new element in place of the old one
    std::vector<std::string> order;
    scene.ForEach([&](const platform::ImageElement& e) { order.push_back(e.Name()); });
    EXPECT_EQ(order, (std::vector<std::string>{"picWall", "imgWall"}));
    EXPECT_TRUE(scene.Remove("picWall"));
    EXPECT_FALSE(scene.Remove("picWall"));
    EXPECT_EQ(scene.Find("picWall"), nullptr);

    const struct {
        float twips, tpp;
        int pixels;
    } lengths[] = {{22.5f, 15, 2},  {-22.5f, 15, -1},         {7.4f, 15, 0},  {15, 0, 0},
                   {15, NAN, 0},    {NAN, 15, 0},             {1e30f, 15, 1 << 24}, {-1e30f, 15, -(1 << 24)},
                   {16777216.0f * 15, 15, 1 << 24}};
    for (const auto& c : lengths) EXPECT_EQ(platform::TwipsToPixels(c.twips, c.tpp), c.pixels) << c.twips << " / " << c.tpp;
}

// A 1024 x 768 screen and a panel of a fifth of it, 205 x 154 pixels.
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
    for (int i = 0; i < 5; ++i) Compose("C:\\w\\4k.jpg", 0, 10);
    EXPECT_EQ(files.decodedSizes, (std::vector<platform::PixelSize>{{411, 231}}));
    EXPECT_EQ(files.scales, 1);
    EXPECT_EQ(composer.Cache().Decodes(), 1);

    Zoom(3450.0f);                   // stretched over 230 x 173, within the master
    Compose("C:\\w\\4k.jpg", 0, 2);
    EXPECT_EQ(Describe(Wall().Picture()), "230x173");
    EXPECT_EQ(files.loads, 1);
    metrics.height = 6000.0f;  // stretched over 230 x 400: taller than the master
    Compose("C:\\w\\4k.jpg", 0, 2);
    EXPECT_EQ(files.loads, 2);
    Compose("C:\\w\\4k.jpg", 0, 0);  // centre: more than the new master holds
    EXPECT_EQ(Describe(Wall().Picture()), "863x1125");
    EXPECT_EQ(files.loads, 3);
    files.Touch("C:\\w\\4k.jpg");  // rewritten in place
    Compose("C:\\w\\4k.jpg", 0, 0);
    EXPECT_EQ(files.loads, 4);
    const std::weak_ptr<const platform::Picture> old = Wall().Picture();
    Compose("(なし)");  // no copy kept for a wallpaper no longer shown
    EXPECT_TRUE(old.expired());
}

TEST_F(PictureCaching, AWholePictureIsDecodedOnceAndShownItselfWhenItIsTheShownSize) {
    files.PutPicture("C:\\w\\small.png", 40, 30);
    Compose("C:\\w\\small.png", 0, 2);  // the whole picture: smaller than the panel
    Zoom(9000.0f);
    Compose("C:\\w\\small.png", 0, 2);
    EXPECT_EQ(files.loads, 1);
    EXPECT_EQ(Describe(Wall().Picture()), "600x451");
    files.PutPicture("C:\\w\\exact.png", 16, 16);
    Zoom(15360.0f);  // the panel as large as the screen: tiles of 16 x 16, the whole picture
    Compose("C:\\w\\exact.png", 1, 0);
    EXPECT_EQ(files.scales, 2);
    EXPECT_EQ(Describe(Wall().Picture()), "16x16");
}

TEST_F(PictureCaching, FilesThatCannotBeShownAreNotReadAgainUntilTheyChange) {
    Compose("C:\\w\\later.jpg");
    EXPECT_EQ(files.loads, 0);  // a missing file is not opened
    files.PutDamaged("C:\\w\\later.jpg");
    Compose("C:\\w\\later.jpg");
    Compose("C:\\w\\later.jpg");
    EXPECT_EQ(files.loads, 1);
    files.PutPicture("C:\\w\\later.jpg", 800, 600);  // the writer finished
    Compose("C:\\w\\later.jpg");
    EXPECT_EQ(Source(), "C:\\w\\later.jpg");

    PictureCache cache(files, files);
    const auto square = [](int side) { return [side](platform::PixelSize) { return platform::PixelSize{side, side}; }; };
    files.PutPicture("C:\\w\\a.png", 400, 400);
    EXPECT_EQ(cache.Get("C:\\w\\a.png", square(100)).status, platform::PictureStatus::Ok);
    files.failLoads = true;  // decoded again for a size beyond the master (150), and it fails
    EXPECT_EQ(cache.Get("C:\\w\\a.png", square(300)).status, platform::PictureStatus::NotAPicture);
    files.failLoads = false;
    files.failScales = true;
    files.Touch("C:\\w\\a.png");
    EXPECT_EQ(cache.Get("C:\\w\\a.png", square(300)).status, platform::PictureStatus::NotAPicture);
    EXPECT_EQ(cache.Get("C:\\w\\a.png", square(0)).status, platform::PictureStatus::Refused);
}

TEST(CopySizes, CopiesAreCappedWithTheirProportionsAndTheMasterCoversTheShownSize) {
    const std::pair<platform::PixelSize, platform::PixelSize> capped[] = {
        {{1000, 500}, {1000, 500}}, {{0, 500}, {}}, {{100000, 400}, {64763, 259}},
        {{100000000, 1}, {16777216, 1}}, {{1, 100000000}, {1, 16777216}}};
    for (const auto& [shown, copy] : capped) EXPECT_EQ(CappedCopySize(shown), copy) << shown.width << " x " << shown.height;
    const std::tuple<platform::PixelSize, platform::PixelSize, platform::PixelSize> masters[] = {
        {{200, 100}, {4000, 2000}, {300, 150}}, {{200, 100}, {250, 125}, {250, 125}}, {{500, 100}, {250, 125}, {250, 125}},
        {{200, 200}, {4000, 1000}, {1200, 300}}, {{0, 200}, {4000, 1000}, {}}};
    for (const auto& [shown, natural, master] : masters) EXPECT_EQ(MasterSize(shown, natural), master) << shown.width;
}

}  // namespace
}  // namespace lumbra::desktop
