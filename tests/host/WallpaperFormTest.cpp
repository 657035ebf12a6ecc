// The main window's side of the miniature: DrawScreen composes from the settings (and nothing
// while loading), a rewritten wallpaper file recomposes, and a double-click opens the wallpaper.
#include <gtest/gtest.h>

#include "fakes/WallpaperFormHarness.h"

namespace lumbra::app {
namespace {

using fakes::WallpaperFormHarness;

int Tiles(platform::Scene& scene) {
    int n = 0;
    scene.ForEach([&](const platform::ImageElement& e) {
        if (e.Name().rfind("imgTile", 0) == 0) ++n;
    });
    return n;
}

TEST(DrawScreen, WhileLoadingNothingChangesNotEvenImgWallsVisibility) {
    WallpaperFormHarness h;
    h.files.PutPicture("C:\\w\\tile.bmp", 64, 64);
    h.SetWallpaper("C:\\w\\tile.bmp", "1", "0");
    h.SetColour("0 128 128");
    platform::Scene& panel = h.window.Panel();
    panel.Find("imgWall")->SetVisible(true);
    const platform::OleColor colour = panel.BackColor();

    h.form.formLoading = true;
    h.form.DrawScreen();
    EXPECT_TRUE(panel.Find("imgWall")->Visible());
    EXPECT_EQ(panel.BackColor(), colour);
    EXPECT_EQ(panel.Count(), 2u);
    EXPECT_EQ(h.files.Loads(), 0);
    EXPECT_EQ(h.window.RefreshCount(), 0);
}

TEST(DrawScreen, ComposesTheSettingsOfWinIniAndRepaintsThePanelOnce) {
    WallpaperFormHarness h;
    h.files.PutPicture("C:\\w\\tile.bmp", 64, 64);
    h.SetWallpaper("C:\\w\\tile.bmp", "1", "0");
    h.SetColour("0 128 128");
    h.form.DrawScreen();
    platform::Scene& panel = h.window.Panel();
    EXPECT_EQ(panel.BackColor(), 0x808000);
    EXPECT_EQ(Tiles(panel), 221);
    const platform::ImageElement* t37 = panel.Find("imgTile37");
    ASSERT_NE(t37, nullptr);
    EXPECT_FLOAT_EQ(t37->Left(), 720.0f);
    EXPECT_FLOAT_EQ(t37->Top(), 480.0f);
    EXPECT_EQ(h.window.RefreshCount(), 1);
}

TEST(DrawScreen, RegistryWallpaperWinsWithItsOwnStyle) {
    WallpaperFormHarness h;
    h.files.PutPicture("C:\\w\\tile.bmp", 64, 64);
    h.files.PutPicture("C:\\w\\photo.jpg", 800, 600);
    h.SetWallpaper("C:\\w\\tile.bmp", "1", "0");
    h.SetRegistryWallpaper("Wallpaper", "C:\\w\\photo.jpg");
    h.SetRegistryWallpaper("TileWallpaper", "0");
    h.SetRegistryWallpaper("WallpaperStyle", "2");
    h.form.DrawScreen();
    const platform::ImageElement* wall = h.window.Panel().Find("imgWall");
    EXPECT_EQ(Tiles(h.window.Panel()), 0);
    EXPECT_FLOAT_EQ(wall->Width(), 3840.0f);
    EXPECT_TRUE(wall->Visible());
}

TEST(DrawScreen, WallpaperFileRewrittenInPlaceIsComposedAgainWithoutAnyMessage) {
    WallpaperFormHarness h;
    h.files.PutPicture("C:\\w\\slide.jpg", 800, 600);
    h.SetWallpaper("C:\\w\\slide.jpg", "0", "2");
    h.form.DrawScreen();
    ASSERT_EQ(h.watch.WatchedFile(), "C:\\w\\slide.jpg");
    h.files.Touch("C:\\w\\slide.jpg");
    h.watch.Fire();
    EXPECT_EQ(h.window.RefreshCount(), 2);
    EXPECT_EQ(h.files.Loads(), 2);
}

TEST(DrawScreen, RepaintsReuseTheDecodedPicture) {
    WallpaperFormHarness h;
    h.files.PutPicture("C:\\w\\photo.jpg", 3840, 2160);
    h.SetWallpaper("C:\\w\\photo.jpg", "0", "10");
    for (int i = 0; i < 10; ++i) h.form.WindowProc(platform::kMsgPaint, 0, 0);
    EXPECT_EQ(h.files.Loads(), 1);
    EXPECT_EQ(h.window.RefreshCount(), 10);
}

TEST(DrawScreen, WithoutWallpaperServicesTheColourShowsAlone) {
    WallpaperFormHarness h(false);
    h.files.PutPicture("C:\\w\\photo.jpg", 800, 600);
    h.SetWallpaper("C:\\w\\photo.jpg", "0", "0");
    h.SetColour("255 255 255");
    h.form.DrawScreen();
    EXPECT_EQ(h.window.Panel().BackColor(), 16777215);
    EXPECT_EQ(h.window.Panel().Find("imgWall")->Picture(), nullptr);
    EXPECT_EQ(h.files.Loads(), 0);
}

TEST(imgWall_DblClick, OpensTheWallpaperAsTheSettingsHoldItWithTheShellsOpenVerb) {
    const struct {
        const char* profileWallpaper;  // nullptr for none
        const char* registryWallpaper;
        const char* opened;            // nullptr for nothing
        const char* why;
    } cases[] = {
        {"C:\\w\\photo.jpg", nullptr, "C:\\w\\photo.jpg", "the profile's wallpaper"},
        {"%WALLS%\\sea.bmp", nullptr, "%WALLS%\\sea.bmp", "a path with a variable goes to the shell unexpanded"},
        {nullptr, nullptr, nullptr, "no wallpaper opens nothing"},
        {"", nullptr, nullptr, "an empty entry reads as missing"},
        {"C:\\w\\photo.jpg", "C:\\web\\page.HTM", "C:\\w\\photo.jpg", "an HTML page leaves the profile's file"},
        {"C:\\w\\photo.jpg", "C:\\w\\reg.jpg", "C:\\w\\reg.jpg", "the registry's picture wins"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        WallpaperFormHarness h;
        h.env.Set("WALLS", "D:\\Walls");
        if (c.profileWallpaper) h.SetWallpaper(c.profileWallpaper, "0", "0");
        if (c.registryWallpaper) h.SetRegistryWallpaper("Wallpaper", c.registryWallpaper);
        h.form.imgWall_DblClick();
        if (!c.opened) {
            EXPECT_TRUE(h.shell.calls.empty());
            continue;
        }
        ASSERT_EQ(h.shell.calls.size(), 1u);
        const auto& call = h.shell.calls[0];
        EXPECT_EQ(call.owner, fakes::FakeMainWindow::kWindowHandle);
        EXPECT_EQ(call.verb, "open");
        EXPECT_EQ(call.file, c.opened);
        EXPECT_EQ(call.parameters, "");
        EXPECT_EQ(call.directory, "");
        EXPECT_EQ(call.show, 1);
        EXPECT_TRUE(h.env.Requests().empty());
    }
}

TEST(imgWall_DblClick, SettingsAreReadAfreshAtEveryDoubleClick) {
    WallpaperFormHarness h;
    h.SetWallpaper("C:\\w\\a.jpg", "0", "0");
    h.form.imgWall_DblClick();
    h.SetWallpaper("C:\\w\\b.jpg", "0", "0");
    h.form.imgWall_DblClick();
    ASSERT_EQ(h.shell.calls.size(), 2u);
    EXPECT_EQ(h.shell.calls[1].file, "C:\\w\\b.jpg");
}

}  // namespace
}  // namespace lumbra::app
